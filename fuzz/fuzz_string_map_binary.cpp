// The StringMap's binary form from the input (plain or scrambled): read,
// every key looked up, written and read back with the same keys, and its
// keys put in a symbol table.
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("map.bin");
  fuzz_support::WriteFile(path, {data, size});
  if (std::unique_ptr<vok::StringMap> map = vok::StringMap::FromBinaryFile(path.c_str())) {
    int counted = 0;
    map->ForEachKey([&](const vok::StringMap::KeyEntry* entry) {
      for (const auto* link = map->Lookup(entry->key); link != nullptr; link = link->next)
        counted += link->record->count;
    });
    static_cast<void>(counted);
    // What was read is written and read back with the same keys.
    const std::string again = fuzz_support::ScratchFile("map.out");
    if (map->WriteBinary(again.c_str(), 0x5A) == 0) {
      const std::unique_ptr<vok::StringMap> reread = vok::StringMap::FromBinaryFile(again.c_str());
      if (!reread || reread->key_count() != map->key_count()) std::abort();
    }
    vok::SymbolTable symbols(map->key_count() + 1);
    map->AddToSymbolTable(&symbols, 1);
  }
  vok::ErrorClear();
  return 0;
}
