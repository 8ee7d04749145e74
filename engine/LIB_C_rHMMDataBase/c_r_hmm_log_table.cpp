#include "engine/LIB_C_rHMMDataBase/c_r_hmm_log_table.h"

#include <array>
#include <cmath>

const float* C_rHMMLogTable::table() {
  static const std::array<float, kSize> values = [] {
    std::array<float, kSize> t{};
    const double k = 32768.0 / 9.2103404;
    for (int i = 0; i < kSize; ++i) t[i] = static_cast<float>(std::log(1.0 + std::exp(-i / k)));
    return t;
  }();
  return values.data();
}
