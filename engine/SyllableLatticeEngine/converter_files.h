// The script converter's files in the engine's "\Data" folder, and the keys
// of the store that point the converter at them.
#pragma once

#include <string>

namespace vok {

class Resources;

struct ConverterFiles {
  static constexpr const char* kCharacterMap = "G2bchar.tab";
  static constexpr const char* kTermMap = "G2bterm.tab";
  // Traditional words in Big5: the binary lexicon and its text form.
  static constexpr const char* kLexicon = "PCSysLex";
  static constexpr const char* kLexiconText = "PCSysLex.txt";
  static constexpr const char* kModel = "PCSysLM1";
};

// Section "LMBackend" ("LexiconFile", "BinaryLexiconFile", "CoreLMFile") and
// section "CPCSystem" ("GBToBig5MapFile", "GBToBig5TermMapFile") for the
// files in `data_folder`.
void PutConverterFiles(const std::string& data_folder, Resources* resources);

}  // namespace vok
