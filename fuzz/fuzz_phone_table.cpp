// The homophone table from the input: parsed, every character's readings and
// every syllable's lists read, and the provider fed keys from the table.
#include <vector>

#include "app/core/homophone_provider.h"
#include "app/core/phone_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  if (const auto table = wrendle::app::PhoneTable::Parse(bytes)) {
    for (int index = 0; index < table->character_count(); ++index) table->Readings(index);
    for (const std::uint16_t syllable : table->syllables())
      for (int tone = 0; tone < wrendle::app::kPhoneTones; ++tone) table->Homophones(syllable, tone);
  }
  const std::string path = fuzz_support::ScratchFile("GBPhone.Tab");
  fuzz_support::WriteFile(path, bytes);
  for (const int language : {2000, 4000}) {
    wrendle::app::CHomophoneProvider provider(language, path);
    // Characters across both code pages' ranges.
    for (unsigned lead = 0xA4; lead <= 0xF9; lead += 3) {
      const int groups = provider.SetKey(static_cast<std::uint16_t>(lead | 0xA1u << 8));
      for (int group = 0; group < groups; ++group) {
        provider.GetGroupLabel(group, 0);
        const int items = provider.SelectGroup(group);
        if (items > 0) provider.GetItem(items - 1, 0);
      }
    }
  }
  return 0;
}
