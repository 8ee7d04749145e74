// The engine's private pseudo-random generator, for hash tables and
// scrambling keys. The engine uses this fixed one rather than rand(), so that
// its results never depend on whether the host process seeded or used rand(). It is the linear congruential
// generator of the Microsoft C runtime (multiplier 214013, increment 2531011, 15-bit result), which with seed
// 1 gives the values the product saw when no one seeded the process's generator.
#pragma once

#include <cstdint>

namespace vok {

class FixedRandom {
 public:
  static constexpr int kMax = 32767;

  explicit FixedRandom(uint32_t seed = 1) : state_(seed) {}

  // 0 to kMax.
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

}  // namespace vok
