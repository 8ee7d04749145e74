// A byte quantiser: the 256-value decoder table that the model file holds for
// centres, variances or log weights, fitted to the values it codes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace train_acoustic_model {

class ByteQuantiser {
 public:
  static constexpr int kLevels = 256;

  // Levels placed between the values' quantiles and an even spread over
  // their range, then moved by Lloyd passes to
  // the means of the values they code (a level that codes nothing stays).
  // Non-finite values are ignored; no values give a table of zeros.
  static ByteQuantiser Fit(std::span<const float> values, int passes = 20);

  // The code of the nearest level (the lower one on ties).
  std::uint8_t Encode(float value) const;
  float Decode(std::uint8_t code) const { return levels_[code]; }
  // The decoder table, ascending.
  const std::vector<float>& Levels() const { return levels_; }

 private:
  std::vector<float> levels_ = std::vector<float>(kLevels, 0.0f);
};

}  // namespace train_acoustic_model
