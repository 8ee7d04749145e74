// The SymbolTable's binary form from the input, plain or keyed: read, every
// id looked up by name and back, copied, then written and read back: the
// names must come back unchanged. The first
// byte chooses the tag the reader expects (0 reads only the plain form).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Input input(data, size);
  const std::uint16_t tag = input.Byte();
  const std::string path = fuzz_support::ScratchFile("symbols.bin");
  fuzz_support::WriteFile(path, input.rest());
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return 0;
  vok::SymbolTable table;
  const int status = table.Read(stream, tag);
  std::fclose(stream);
  if (status == 0) {
    for (int id = 0; id < table.GetCount(); ++id) {
      const char* name = table.GetName(id);
      if (name != nullptr) table.Find(name);
    }
    if (std::unique_ptr<vok::SymbolTable> copy = table.Copy()) copy->AddAll(table);
    // What was read is written and read back unchanged.
    const std::string again = fuzz_support::ScratchFile("symbols.out");
    if (std::FILE* out = std::fopen(again.c_str(), "wb")) {
      const int written = table.Write(out, tag, 7);
      std::fclose(out);
      vok::SymbolTable reread;
      std::FILE* in = std::fopen(again.c_str(), "rb");
      if (written == 0 && in != nullptr) {
        if (reread.Read(in, tag) != 0 || reread.GetCount() != table.GetCount()) std::abort();
        for (int id = 0; id < table.GetCount(); ++id) {
          const char* before = table.GetName(id);
          const char* after = reread.GetName(id);
          if ((before == nullptr) != (after == nullptr) ||
              (before != nullptr && std::strcmp(before, after) != 0))
            std::abort();
        }
      }
      if (in != nullptr) std::fclose(in);
    }
  }
  vok::ErrorClear();
  return 0;
}
