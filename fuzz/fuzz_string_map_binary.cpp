// The StringMap's binary form from the input (plain or scrambled): read,
// every key looked up, then written again and its keys put in a symbol table.
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
    map->WriteBinary(fuzz_support::ScratchFile("map.out").c_str(), 0x5A);
    vok::SymbolTable symbols(map->key_count() + 1);
    map->AddToSymbolTable(&symbols, 1);
  }
  vok::ErrorClear();
  return 0;
}
