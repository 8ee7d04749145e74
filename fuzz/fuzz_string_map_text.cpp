// The StringMap's text form from the input: read, every key looked up, then
// written in the binary form and read back.
#include <memory>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("map.txt");
  fuzz_support::WriteFile(path, {data, size});
  vok::StringMap map(256);
  if (map.ReadText(path.c_str()) >= 0) {
    int counted = 0;
    map.ForEachKey([&](const vok::StringMap::KeyEntry* entry) {
      for (const auto* link = map.Lookup(entry->key); link != nullptr; link = link->next)
        counted += link->record->count;
    });
    static_cast<void>(counted);
    const std::string binary = fuzz_support::ScratchFile("map.bin");
    if (map.WriteBinary(binary.c_str(), 0x5A) == 0) vok::StringMap::FromBinaryFile(binary.c_str());
  }
  vok::ErrorClear();
  return 0;
}
