// The handwriting ink features on arbitrary points: the first byte splits the
// rest into strokes, the remaining bytes are {y, x} pairs of int16.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/core/hwr_ink_features.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int strokes_wanted = 1 + data[0] % 8;
  ++data;
  --size;
  std::array<vok::InkPoint, vok::kMaxInkPoints> points{};
  const int n = static_cast<int>(std::min<std::size_t>(size / 4, vok::kMaxInkPoints));
  for (int i = 0; i < n; ++i) {
    points[i] = {static_cast<std::int16_t>(data[4 * i] | data[4 * i + 1] << 8),
                 static_cast<std::int16_t>(data[4 * i + 2] | data[4 * i + 3] << 8)};
  }
  if (n < 1) return 0;
  const int strokes = std::min(strokes_wanted, n);
  std::array<int, vok::kMaxJoinStrokes> counts{};
  for (int s = 0; s < strokes; ++s) counts[s] = n / strokes + (s < n % strokes ? 1 : 0);

  std::array<vok::InkPoint, vok::kMaxInkPoints> joined{};
  const int joined_count = vok::JoinStrokes(points.data(), counts.data(), strokes, joined.data());
  std::array<std::int32_t, vok::kHistogramCounters> histogram{};
  vok::StrokeDirectionHistogram(points.data(), counts.data(), strokes, histogram.data());
  vok::TraceDirectionHistogram(points.data(), n, histogram.data());
  std::array<std::int32_t, vok::kHistogramBlockSize> block{};
  vok::HistogramBlock(histogram.data(), 4, 4, block.data());
  std::array<vok::InkPoint, vok::kMaxInkPoints> smooth{};
  vok::SmoothBy3(points.data(), n, smooth.data());
  vok::SmoothBy5(points.data(), n, smooth.data());
  std::array<vok::InkPoint, 32> resampled{};
  const int m = 1 + data[0] % 32;
  vok::Resample(points.data(), n, resampled.data(), m);
  vok::Normalise(resampled.data(), m, 1000);
  std::array<std::int32_t, 32 * 8> book{};
  for (std::size_t i = 0; i < book.size(); ++i) book[i] = static_cast<std::int32_t>(i * 37 % 2001) - 1000;
  std::array<std::uint8_t, vok::kMaxObservationSteps> codes{};
  std::array<std::int16_t, 64> groups{};
  for (int i = 0; i < m; ++i) {
    groups[2 * i] = resampled[i].y;
    groups[2 * i + 1] = resampled[i].x;
  }
  vok::QuantiseInt16(groups.data(), m / 4, 8, book.data(), 32, codes.data());
  if (joined_count > 0) {
    const int steps = vok::ObservationTrace(joined.data(), joined_count);
    if (steps > 0) vok::StepCodes(joined.data(), steps, book.data(), codes.data());
  }
  return 0;
}
