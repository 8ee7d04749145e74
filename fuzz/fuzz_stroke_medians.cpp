// The dictionary builder's reader of one character file of the stroke data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/build_dictionaries/stroke_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto medians =
      build_dictionaries::ParseMedians(std::string_view(reinterpret_cast<const char*>(data), size));
  if (medians) {
    if (medians->empty()) std::abort();
    for (const auto& median : *medians) {
      if (median.empty()) std::abort();
    }
  }
  return 0;
}
