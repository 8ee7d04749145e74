// The resource library's string table read as LoadStringEx does: the input
// chooses the language, the string id and the caller's size. The copy must
// stay inside size + 1 bytes and end with a zero (size 0 and a missing string
// copy nothing).
#include <cstdlib>
#include <vector>

#include "app/zezividudu/string_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Input input(data, size);
  static constexpr int kLanguages[] = {1000, 2000, 3000, 4000};
  const int language = kLanguages[input.Byte() % 4];
  const std::uint32_t id = static_cast<std::uint32_t>(input.Int32()) % 0x10000;
  const int wanted = input.Byte() % 160;
  const int length = zezividudu::CopyString(language, id, nullptr, 0);
  std::vector<char> buffer(static_cast<std::size_t>(wanted) + 1, '\x7f');
  const int copied = zezividudu::CopyString(language, id, buffer.data(), wanted);
  if (copied < 0 || copied > wanted || copied > length) std::abort();
  if (wanted > 0 && length > 0 && buffer[static_cast<std::size_t>(copied)] != '\0') std::abort();
  return 0;
}
