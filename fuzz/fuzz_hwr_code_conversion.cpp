// The handwriting engine's code-conversion table "G2bchar.tab": any bytes
// parse, and every mapping found points to a code that maps from a line of
// the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/NetSearchEngine/hwr_code_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vok::HwrCodeConversion fresh;
  const int lines = fresh.Parse(data, size);
  if (lines < 0 || static_cast<std::size_t>(lines) > size / 3) std::abort();
  for (std::size_t i = 0; i + 1 < size && i < 64; i += 2) {
    const auto code = static_cast<uint16_t>(data[i] << 8 | data[i + 1]);
    const int big5 = fresh.GbToBig5(code);
    if (big5 == 0 || (big5 > 0 && fresh.Big5ToGb(static_cast<uint16_t>(big5)) < 0)) std::abort();
  }
  return 0;
}
