// The script converter's character map and term map files from the input:
// the input read as both over a small Traditional lexicon, then the input
// converted as Simplified text and mapped as Traditional text.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/pc_system.h"
#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "fuzz/fuzz_support.h"

namespace {

// The fixture's files, written once: a class bigram model, a text lexicon
// and its binary form (the converter needs one to make its back end).
struct Language {
  Language() {
    vok_testing::WriteClassBigramModel(model, 4, std::vector<uint8_t>(16, 10));
    vok_testing::WriteTextLexicon(text, 4,
                                  {{"<S>", 0, 9},
                                   {"</S>", 1, 9},
                                   {"<UNK>", 2, 9},
                                   {"\xC0\x59", 3, 5},
                                   {"\xC0\x59\xBE\x76", 3, 5},
                                   {"\xB5\x6F\xAE\x69", 3, 5}});
    vok::CoreLM core(nullptr, model.c_str());
    vok::CLexicon lexicon(nullptr, text.c_str(), &core, nullptr);
    lexicon.WriteBinary(binary.c_str(), 0, 0);
  }
  std::string model = fuzz_support::ScratchFile("converter_model.bin");
  std::string text = fuzz_support::ScratchFile("converter_lexicon.txt");
  std::string binary = fuzz_support::ScratchFile("converter_lexicon.bin");
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Language language;
  const std::string path = fuzz_support::ScratchFile("converter_map.txt");
  fuzz_support::WriteFile(path, {data, size});
  vok::Resources resources;
  resources.PutInt("System", "NBestChoices", 1);
  resources.PutInt("Search", "StackSearchBeam", 300);
  resources.PutInt("LMBackend", "WordInsertionPenalty", -50);
  resources.Put("LMBackend", "LexiconFile", language.text.c_str());
  resources.Put("LMBackend", "CoreLMFile", language.model.c_str());
  resources.Put("LMBackend", "BinaryLexiconFile", language.binary.c_str());
  resources.Put("CPCSystem", "GBToBig5MapFile", path.c_str());
  resources.Put("CPCSystem", "GBToBig5TermMapFile", path.c_str());
  vok::CPCSystem converter(resources);
  const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 600));
  std::string out;
  converter.ConvertText(text.c_str(), &out);
  converter.ConvertText("\xCD\xB7\xB7\xA2 \xB7\xA2\xD5\xB9", &out);
  converter.MapText(text.c_str(), &out);
  vok::ErrorClear();
  return 0;
}
