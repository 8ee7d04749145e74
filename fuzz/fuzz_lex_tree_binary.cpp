// The pronunciation tree's binary form; whatever loads is walked.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_lex_tree_binary_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  {
    vok::CLexTree tree(path.c_str(), "-");
    if (tree.status() == 0) {
      uint16_t list[256];
      for (int id = 0; id < tree.node_count() && id < 4096; ++id) tree.GetPathSyllables(id, list, 256);
      for (int entry = 0; entry < tree.entry_count() && entry < 64; ++entry) tree.GetEntryProns(entry);
      tree.GetEntriesBelow(0, list, 256);
      tree.AddProns("a-b/a", true);
      if (tree.entry_count() > 0) tree.RemoveEntry(0);
    }
  }
  std::remove(path.c_str());
  return 0;
}
