#include "engine/api/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace vok::api {
namespace {

// A second converter written straight from the description, in double
// precision and without running clocks: output k lies at k / target seconds,
// input n at n / source; output 0 is input 0 unchanged, and output k > 0 is
// made when the first input n with k / target < n / source arrives, between
// the filtered inputs n - 1 and n.
std::vector<double> ReferenceResample(const std::vector<std::int16_t>& input, int source) {
  std::vector<double> a, b;
  if (source == 22050) {
    a = {1.0, 0.3036, 2.3203, 1.1104, 2.2133, 1.232, 1.1356, 0.5838, 0.3139, 0.1208, 0.0382, 0.0082, 0.001};
    b = {0.0312, 0.1366, 0.3849, 0.7853, 1.2679, 1.6704, 1.8284,
         1.6704, 1.2679, 0.7853, 0.3849, 0.1366, 0.0312};
  } else if (source == 16000) {
    a = {1.0, 2.6013, 4.4927, 5.1371, 4.3604, 2.7254, 1.2526, 0.4031, 0.0823, 0.0081};
    b = {0.0901, 0.5742, 1.7994, 3.5872, 4.9807, 4.9807, 3.5872, 1.7994, 0.5742, 0.0901};
  } else {
    a = {1.0};
    b = {1.0};
  }
  std::vector<double> y(input.size());
  for (std::size_t n = 0; n < input.size(); ++n) {
    double sum = 0;
    for (std::size_t i = 0; i < b.size() && i <= n; ++i) sum += b[i] * input[n - i];
    for (std::size_t i = 1; i < a.size() && i <= n; ++i) sum -= a[i] * y[n - i];
    y[n] = sum;
  }
  const double target = 11025;
  std::vector<double> out;
  if (input.empty()) return out;
  out.push_back(input[0]);
  std::int64_t k = 1;
  for (std::size_t n = 1; n < input.size(); ++n) {
    while (static_cast<double>(k) * source < static_cast<double>(n) * target) {
      const double fraction = static_cast<double>(k) * source / target - static_cast<double>(n - 1);
      out.push_back(y[n - 1] + fraction * (y[n] - y[n - 1]));
      ++k;
    }
  }
  return out;
}

// Speech-like input: two tones under a slow swell, with some noise, loud
// enough to use the 16-bit range.
std::vector<std::int16_t> TestSignal(int rate, double seconds) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(rate * seconds));
  std::uint32_t noise = 12345;
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double t = static_cast<double>(n) / rate;
    noise = noise * 1664525u + 1013904223u;
    const double value =
        (6000 * std::sin(2 * std::numbers::pi * 440 * t) + 4000 * std::sin(2 * std::numbers::pi * 7000 * t)) *
            (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.7 * t)) +
        static_cast<double>(noise >> 20) - 2048;
    samples[n] = static_cast<std::int16_t>(std::lround(value));
  }
  return samples;
}

TEST(ReSample, MatchesAnIndependentDoublePrecisionConverter) {
  // 6.5 s passes the clocks' reduction at 5 s more than once at 22050 Hz.
  for (int source : {22050, 16000, 8000, 11025}) {
    C_ReSample converter;
    ASSERT_TRUE(converter.init_ReSample(source, 11025)) << source;
    const auto input = TestSignal(source, 6.5);
    std::vector<float> output;
    for (std::int16_t sample : input) {
      for (float value : converter.do_ReSample(sample)) output.push_back(value);
    }
    const auto expected = ReferenceResample(input, source);
    ASSERT_EQ(output.size(), expected.size()) << source;
    double worst = 0;
    for (std::size_t i = 0; i < output.size(); ++i)
      worst = std::max(worst, std::abs(output[i] - expected[i]));
    // Single-precision filtering of a 16-bit signal through the order-12
    // recursion stays within a small fraction of one sample step.
    EXPECT_LT(worst, 0.5) << source;
  }
}

TEST(ReSample, FirstSampleAfterResetPassesThroughAndClocksRestart) {
  C_ReSample converter;
  ASSERT_TRUE(converter.init_ReSample(22050, 11025));
  std::vector<float> first;
  for (std::int16_t sample : {1000, -3000, 500, 20}) {
    for (float value : converter.do_ReSample(sample)) first.push_back(value);
  }
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0], 1000.0f);
  converter.reset_ReSample();
  std::vector<float> again;
  for (std::int16_t sample : {1000, -3000, 500, 20}) {
    for (float value : converter.do_ReSample(sample)) again.push_back(value);
  }
  EXPECT_EQ(again, first);
}

TEST(ReSample, RefusesWhatItCannotConvertWithoutEndingTheProcess) {
  struct Case {
    std::uint32_t source, target;
    bool accepted;
  };
  const Case cases[] = {{22050, 11025, true},  {16000, 11025, true},  {8000, 11025, true},
                        {11025, 11025, true},  {44100, 11025, false}, {48000, 11025, false},
                        {22050, 16000, false}, {0, 11025, false}};
  for (const Case& c : cases) {
    C_ReSample converter;
    EXPECT_EQ(converter.init_ReSample(c.source, c.target), c.accepted) << c.source << " -> " << c.target;
  }
  C_ReSample unset;
  EXPECT_TRUE(unset.do_ReSample(100).empty());
}

}  // namespace
}  // namespace vok::api
