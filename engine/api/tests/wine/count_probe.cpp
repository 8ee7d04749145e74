// A second process for the engine library's wine tests. "count": exits with
// the shared instance count it sees. "start": starts an engine and exits
// with the count, without shutting the engine down. "lexicon": starts an
// engine, adds a word to the lexicon and writes the user lexicon, and exits
// with the first status that is not 0 (or 0). A second argument gives the
// library's path (the same file must be loaded to share its section).
#include <windows.h>

#include <cstdint>
#include <cstring>

int main(int argc, char** argv) {
  HMODULE engine = LoadLibraryA(argc > 2 ? argv[2] : "VOK-P.DLL");
  if (engine == nullptr) return 100;
  using Count = std::uint32_t(WINAPI*)();
  using Initialize = std::uint32_t(WINAPI*)(std::uint32_t, std::uint32_t);
  auto count =
      reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(engine, "__VOKGetAPIInstanceCount")));
  auto initialize =
      reinterpret_cast<Initialize>(reinterpret_cast<void*>(GetProcAddress(engine, "VOKInitializeExP")));
  if (count == nullptr || initialize == nullptr) return 101;
  if (argc > 1 && std::strcmp(argv[1], "lexicon") == 0) {
    using AddWord = std::uint32_t(WINAPI*)(const char*, std::uint16_t, const char*);
    using Write = std::uint32_t(WINAPI*)();
    auto add =
        reinterpret_cast<AddWord>(reinterpret_cast<void*>(GetProcAddress(engine, "VOKAddWordToLexiconP")));
    auto write = reinterpret_cast<Write>(reinterpret_cast<void*>(GetProcAddress(engine, "VOKWriteLexiconP")));
    if (add == nullptr || write == nullptr) return 101;
    if (initialize(0, 0) != 0) return 102;
    const std::uint32_t added = add("\xb0\xcb\xc2\xed", 0, nullptr);  // GB2312 "ba ma"
    if (added != 0) return static_cast<int>(added & 0xFF) + 1;
    return static_cast<int>(write() & 0xFF);
  }
  if (argc > 1 && std::strcmp(argv[1], "start") == 0 && initialize(0, 0) != 0) return 102;
  return static_cast<int>(count());
}
