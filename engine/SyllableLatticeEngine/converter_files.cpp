#include "engine/SyllableLatticeEngine/converter_files.h"

#include "engine/core/resources.h"

namespace vok {

void PutConverterFiles(const std::string& data_folder, Resources* resources) {
  const auto in_folder = [&](const char* name) { return data_folder + "/" + name; };
  resources->Put("LMBackend", "LexiconFile", in_folder(ConverterFiles::kLexiconText).c_str());
  resources->Put("LMBackend", "BinaryLexiconFile", in_folder(ConverterFiles::kLexicon).c_str());
  resources->Put("LMBackend", "CoreLMFile", in_folder(ConverterFiles::kModel).c_str());
  resources->Put("CPCSystem", "GBToBig5MapFile", in_folder(ConverterFiles::kCharacterMap).c_str());
  resources->Put("CPCSystem", "GBToBig5TermMapFile", in_folder(ConverterFiles::kTermMap).c_str());
}

}  // namespace vok
