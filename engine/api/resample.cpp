#include "engine/api/resample.h"

#include <algorithm>

#include "engine/core/messages.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kTargetRate = 11025;

constexpr float kA22050[] = {1.0f,    0.3036f, 2.3203f, 1.1104f, 2.2133f, 1.232f, 1.1356f,
                             0.5838f, 0.3139f, 0.1208f, 0.0382f, 0.0082f, 0.001f};
constexpr float kB22050[] = {0.0312f, 0.1366f, 0.3849f, 0.7853f, 1.2679f, 1.6704f, 1.8284f,
                             1.6704f, 1.2679f, 0.7853f, 0.3849f, 0.1366f, 0.0312f};
constexpr float kA16000[] = {1.0f,    2.6013f, 4.4927f, 5.1371f, 4.3604f,
                             2.7254f, 1.2526f, 0.4031f, 0.0823f, 0.0081f};
constexpr float kB16000[] = {0.0901f, 0.5742f, 1.7994f, 3.5872f, 4.9807f,
                             4.9807f, 3.5872f, 1.7994f, 0.5742f, 0.0901f};

// Both clocks are reduced by 4 s once both have passed 5 s.
constexpr std::int64_t kWrapSeconds = 5;
constexpr std::int64_t kReduceSeconds = 4;

}  // namespace

bool C_ReSample::init_ReSample(std::uint32_t source_rate, std::uint32_t target_rate) {
  if (target_rate != kTargetRate) {
    ErrorSet("C_ReSample::init_ReSample", -1,
             "C_ReSample::init_ReSample only supports opSample Rate = 11025\n");
    return false;
  }
  if (source_rate > target_rate && source_rate != 22050 && source_rate != 16000) {
    ErrorSet("C_ReSample::init_ReSample", -1, "Down Sample Rate = %u not supported\n", source_rate);
    return false;
  }
  if (source_rate < kMinimumSourceRate) {
    ErrorSet("C_ReSample::init_ReSample", -1, "Sample Rate = %u not supported\n", source_rate);
    return false;
  }
  source_rate_ = source_rate;
  target_rate_ = target_rate;
  if (source_rate == 22050) {
    a_.assign(std::begin(kA22050), std::end(kA22050));
    b_.assign(std::begin(kB22050), std::end(kB22050));
  } else if (source_rate == 16000) {
    a_.assign(std::begin(kA16000), std::end(kA16000));
    b_.assign(std::begin(kB16000), std::end(kB16000));
  } else {
    a_ = {1.0f};
    b_ = {1.0f};
  }
  // One input gives at most target / source + 1 outputs.
  out_.reserve(target_rate / source_rate + 2);
  reset_ReSample();
  return true;
}

void C_ReSample::reset_ReSample() {
  x_history_.assign(b_.size() - 1, 0.0f);
  y_history_.assign(a_.size() - 1, 0.0f);
  input_clock_ = 0;
  output_clock_ = 0;
  first_ = true;
  previous_ = 0.0f;
}

float C_ReSample::Filter(float x) {
  float y = b_[0] * x;
  for (std::size_t i = 1; i < b_.size(); ++i) y += b_[i] * x_history_[i - 1];
  for (std::size_t i = 1; i < a_.size(); ++i) y -= a_[i] * y_history_[i - 1];
  if (!x_history_.empty()) {
    std::copy_backward(x_history_.begin(), x_history_.end() - 1, x_history_.end());
    x_history_[0] = x;
  }
  if (!y_history_.empty()) {
    std::copy_backward(y_history_.begin(), y_history_.end() - 1, y_history_.end());
    y_history_[0] = y;
  }
  return y;
}

std::span<const float> C_ReSample::do_ReSample(std::int16_t sample) {
  out_.clear();
  if (source_rate_ == 0) return {};
  const auto input_step = static_cast<std::int64_t>(target_rate_);
  const auto output_step = static_cast<std::int64_t>(source_rate_);
  const float current = Filter(static_cast<float>(sample));
  if (first_) {
    // Sample 0 lies at time 0, and so does output 0.
    first_ = false;
    previous_ = current;
    out_.push_back(static_cast<float>(sample));
    output_clock_ = output_step;
    return out_;
  }
  input_clock_ += input_step;
  // Every output instant before the input clock lies between the previous
  // input sample (one input step back) and the current one.
  while (output_clock_ < input_clock_) {
    const float fraction =
        static_cast<float>(output_clock_ - (input_clock_ - input_step)) / static_cast<float>(input_step);
    out_.push_back(previous_ + fraction * (current - previous_));
    output_clock_ += output_step;
  }
  previous_ = current;
  const std::int64_t second = input_step * output_step;
  if (input_clock_ >= kWrapSeconds * second && output_clock_ >= kWrapSeconds * second) {
    input_clock_ -= kReduceSeconds * second;
    output_clock_ -= kReduceSeconds * second;
  }
  return out_;
}

}  // namespace vok::api
