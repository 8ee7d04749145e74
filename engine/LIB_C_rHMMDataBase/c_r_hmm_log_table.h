// Process-wide table of ln(1 + exp(-i / K)) for adding log probabilities.
#pragma once

class C_rHMMLogTable {
 public:
  static constexpr int kSize = 32769;
  // Entries per unit of log difference: 32768 / -ln(0.0001).
  static constexpr float kScale = static_cast<float>(32768.0 / 9.2103404);
  static constexpr float kRange = 9.21f;

  // Built once on first use, shared by every database and never released.
  static const float* table();

  // ln(exp(total) + exp(s)) through the table t, ignoring a term more than
  // kRange below total.
  static float add(const float* t, float total, float s) {
    const float diff = s - total;
    if (diff <= 0.0f) {
      if (diff >= -kRange) return total + t[static_cast<int>(-diff * kScale)];
      return total;
    }
    if (diff < kRange) return s + t[static_cast<int>(diff * kScale)];
    if (diff >= kRange) return s;
    return total;  // not a number: the term is ignored
  }
};
