// The confusion lattice engine's confusion file from the input: read into the
// engine's map over a small fixed lexicon, then every key, and the keys run
// together, decoded into lattices.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"
#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "fuzz/fuzz_support.h"

namespace {

struct Language {
  Language() {
    const std::string model = fuzz_support::ScratchFile("confusion_model.bin");
    const std::string words = fuzz_support::ScratchFile("confusion_lexicon.txt");
    vok_testing::WriteClassBigramModel(model, 4, std::vector<uint8_t>(16, 10));
    vok_testing::WriteTextLexicon(words, 4,
                                  {{"<S>", 0, 9},
                                   {"</S>", 1, 9},
                                   {"<UNK>", 2, 9},
                                   {"\xB1\xA1", 3, 5},
                                   {"\xB1\xA1\xB1\xA2", 3, 5},
                                   {"ab", 3, 5},
                                   {"a", 3, 5},
                                   {"\xB1\xA2xy", 3, 5}});
    core = std::make_unique<vok::CoreLM>(nullptr, model.c_str());
    lexicon = std::make_unique<vok::CLexicon>(nullptr, words.c_str(), core.get(), nullptr);
  }
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::CLexicon> lexicon;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Language language;
  const std::string path = fuzz_support::ScratchFile("confusion.txt");
  fuzz_support::WriteFile(path, {data, size});
  vok::BackTraceTable table(2000, 10, 1);
  vok::ConfusionLatticeEngine engine(&table, language.lexicon.get(), path.c_str());
  std::string together;
  int keys = 0;
  engine.confusion_map()->ForEachKey([&](const vok::StringMap::KeyEntry* entry) {
    if (keys++ >= 16) return;
    const std::string key(entry->key, std::min<int>(entry->key_length, 24));
    engine.ProcessText(key.c_str());
    if (together.size() < 40) together += key;
  });
  engine.ProcessText(together.c_str());
  vok::ErrorClear();
  return 0;
}
