// The pronunciation text file, read plainly and with units.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/syllable_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_lex_tree_text_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  vok::SymbolTable syllables(8);
  for (const char* name : {"A", "B", "C"}) syllables.Add(name);
  {
    vok::CLexTree tree(path.c_str(), syllables, "-", false);
    for (int entry = 0; entry < tree.entry_count() && entry < 64; ++entry) tree.GetEntryProns(entry);
    if (tree.entry_count() > 0) tree.RemoveEntry(0);
  }
  {
    vok::CSyllableTable table(syllables);
    vok::CLexTree units(path.c_str(), &table, "-", true, 8);
    if (units.entry_count() > 0) units.GetEntryProns(0);
  }
  std::remove(path.c_str());
  return 0;
}
