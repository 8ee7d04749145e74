// The recognize tool's line reader: any bytes as one input line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/recognize/point_arrays.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto lists = wrendle::ParsePointArrays(std::string_view(reinterpret_cast<const char*>(data), size));
  if (lists) {
    for (const auto& list : *lists) {
      if (list.empty()) std::abort();
    }
  }
  return 0;
}
