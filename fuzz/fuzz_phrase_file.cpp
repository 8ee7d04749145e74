// The associated-phrase file from the input: the keys at the start of the
// first lines looked up, every group listed, items typed on and the same key
// set again, as the phrase pane does.
#include <string>
#include <vector>

#include "app/core/assoc_phrase_provider.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("schar.txt");
  fuzz_support::WriteFile(path, {data, size});
  std::vector<std::uint16_t> keys;
  for (std::size_t at = 0; at + 1 < size && keys.size() < 8;) {
    keys.push_back(static_cast<std::uint16_t>(data[at] | data[at + 1] << 8));
    while (at < size && data[at] != '\n') ++at;
    ++at;
  }
  wrendle::app::CAssocPhraseProvider provider(4000, path);
  for (const std::uint16_t key : keys) {
    for (int round = 0; round < 3; ++round) {
      const int groups = provider.SetKey(key);
      for (int group = 0; group < groups; ++group) {
        provider.GetGroupLabel(group, 0);
        const int items = provider.SelectGroup(group);
        for (int item = 0; item < items; ++item) provider.GetItem(item, 0);
      }
      provider.EntryHead(0);
      provider.HoldsKey(key);
      if (groups > 0 && provider.SelectGroup(groups - 1) > 0) provider.AppendItem(0);
    }
  }
  return 0;
}
