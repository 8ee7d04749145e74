// The sample-rate converter of the audio session: an IIR low-pass filter in
// single precision (order 12 for 22050 Hz, order 9 for 16000 Hz, a
// pass-through for sources at or below the target), then linear
// interpolation between the previous and the current filtered sample at the
// target's output instants.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vok::api {

class C_ReSample {
 public:
  // The lowest source rate taken; it bounds the outputs of one input.
  static constexpr std::uint32_t kMinimumSourceRate = 1000;

  // False, with an error recorded, for a target other than 11025, a source
  // above it other than 22050 or 16000, or a source below 1000 Hz; the
  // converter then stays as it was.
  bool init_ReSample(std::uint32_t source_rate, std::uint32_t target_rate);
  // Filter history and clocks back to the start: the next input sample is
  // passed through unchanged.
  void reset_ReSample();
  // Takes one input sample; the output samples it completes (often none),
  // valid until the next call.
  std::span<const float> do_ReSample(std::int16_t sample);

  std::uint32_t source_rate() const { return source_rate_; }

 private:
  float Filter(float x);

  std::uint32_t source_rate_ = 0;
  std::uint32_t target_rate_ = 0;
  std::vector<float> a_ = {1.0f};  // a[0] is 1
  std::vector<float> b_ = {1.0f};
  std::vector<float> x_history_;  // x[n - 1], x[n - 2], ...
  std::vector<float> y_history_;  // y[n - 1], y[n - 2], ...
  // The clocks count in units of 1 / (source x target) seconds, so that an
  // input step (target units) and an output step (source units) add without
  // rounding.
  std::int64_t input_clock_ = 0;
  std::int64_t output_clock_ = 0;
  bool first_ = true;
  float previous_ = 0.0f;
  std::vector<float> out_;
};

}  // namespace vok::api
