// A speech corpus list and a "Syllable" text from the input, as the acoustic
// model trainer reads them: the syllables of the text form the inventory,
// and every usable transcript is spelled into units.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tools/train_acoustic_model/corpus_list.h"
#include "tools/train_acoustic_model/units.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace tam = train_acoustic_model;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> syllables = tam::ReadSyllableInventory(text);
  std::set<std::string> inventory(syllables.begin(), syllables.end());
  inventory.insert({"NI3", "HAO3", "ZHONG1", "A1"});
  std::vector<std::string> problems;
  for (const tam::CorpusEntry& entry : tam::ParseCorpusList(text, "corpus", inventory, &problems)) {
    const tam::UnitLabels labels = tam::LabelSyllables(entry.syllables);
    for (const std::string& name : labels.contexts) tam::CenterPhone(name);
  }
  return 0;
}
