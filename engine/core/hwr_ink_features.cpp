#include "engine/core/hwr_ink_features.h"

#include <algorithm>
#include <cstdlib>

namespace vok {
namespace {

int16_t ClampToInt16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, -32767, 32767)); }

// floor(sqrt(s)) for s < 2^63.
uint64_t FloorSquareRoot(uint64_t s) {
  if (s < 2) return s;
  // Start above the root: 2^ceil(bits / 2).
  int bits = 0;
  for (uint64_t t = s; t != 0; t >>= 1) ++bits;
  uint64_t r = uint64_t{1} << ((bits + 1) / 2);
  for (;;) {
    const uint64_t next = (r + s / r) / 2;
    if (next >= r) return r;
    r = next;
  }
}

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

int32_t LargerSpread(const CentreAndSpread& c) { return std::max(c.spread_y, c.spread_x); }

int GridCell(int32_t g) { return std::clamp(g / 21, 0, kHistogramCells - 1); }

void AddToCell(int32_t* histogram, int32_t gy, int32_t gx, int direction, int32_t amount) {
  const int index = (GridCell(gy) * kHistogramCells + GridCell(gx)) * kHistogramDirections + direction;
  histogram[index] += amount;
}

// Grid of the direction histogram: a box of 2D x 2D around the centroid,
// D twice the larger spread, mapped onto 0-128.
struct HistogramGrid {
  int32_t start_y;
  int32_t start_x;
  int64_t width;

  explicit HistogramGrid(const CentreAndSpread& c) {
    int32_t d = 2 * LargerSpread(c);
    if (d == 0) d = 2;
    start_y = c.centre_y - d;
    start_x = c.centre_x - d;
    width = 2 * int64_t{d};
  }
  int32_t Y(const InkPoint& p) const { return static_cast<int32_t>((p.y - int64_t{start_y}) * 128 / width); }
  int32_t X(const InkPoint& p) const { return static_cast<int32_t>((p.x - int64_t{start_x}) * 128 / width); }
};

// Adds the step from grid position (y0, x0) to (y1, x1) under `direction`.
void AddStep(int32_t* histogram, int32_t y0, int32_t x0, int32_t y1, int32_t x1, int direction) {
  const int32_t gy = y1 - y0;
  const int32_t gx = x1 - x0;
  const int32_t ay = std::abs(gy);
  const int32_t ax = std::abs(gx);
  if (GridCell(y0) == GridCell(y1) && GridCell(x0) == GridCell(x1)) {
    AddToCell(histogram, y0, x0, direction, std::max(ay, ax));
  } else if (ay == 1 && ax == 1) {
    AddToCell(histogram, y0, x0, direction, 1);
  } else if (ay >= ax) {
    const int32_t unit = gy > 0 ? 1 : -1;
    for (int32_t k = 0; k < ay; ++k) {
      AddToCell(histogram, y0 + k * unit, x0 + static_cast<int32_t>(int64_t{k} * gx / ay), direction, 1);
    }
  } else {
    const int32_t unit = gx > 0 ? 1 : -1;
    for (int32_t k = 0; k < ax; ++k) {
      AddToCell(histogram, y0 + static_cast<int32_t>(int64_t{k} * gy / ax), x0 + k * unit, direction, 1);
    }
  }
}

// Shared body of both histograms: `skip_step(i)` tells whether the step that
// ends at point i is a pen-up move.
template <typename SkipStep>
void DirectionHistogram(const InkPoint* points, int n, int32_t* histogram, SkipStep skip_step) {
  std::fill(histogram, histogram + kHistogramCounters, 0);
  if (n <= 1) return;
  const HistogramGrid grid(ComputeCentreAndSpread(points, n));
  int last_direction = -1;
  for (int i = 1; i < n; ++i) {
    if (skip_step(i)) continue;
    const int direction = DirectionCode(points[i].y - points[i - 1].y, points[i].x - points[i - 1].x);
    AddStep(histogram, grid.Y(points[i - 1]), grid.X(points[i - 1]), grid.Y(points[i]), grid.X(points[i]),
            direction);
    last_direction = direction;
  }
  if (last_direction >= 0) {
    AddToCell(histogram, grid.Y(points[n - 1]), grid.X(points[n - 1]), last_direction, 1);
  }
}

template <typename T>
void Quantise(const T* vectors, int count, int dimension, const int32_t* code_book, int codes,
              uint8_t* output) {
  for (int v = 0; v < count; ++v) {
    const T* vector = vectors + static_cast<int64_t>(v) * dimension;
    uint32_t best_sum = 0;
    int best = 0;
    for (int c = 0; c < codes; ++c) {
      const int32_t* code = code_book + static_cast<int64_t>(c) * dimension;
      uint32_t sum = 0;  // unsigned 32-bit, as the code books were trained with
      for (int d = 0; d < dimension; ++d) {
        const int64_t diff = int64_t{vector[d]} - code[d];
        sum += static_cast<uint32_t>(static_cast<uint64_t>(diff * diff));
      }
      if (c == 0 || sum < best_sum) {
        best_sum = sum;
        best = c;
      }
    }
    output[v] = static_cast<uint8_t>(best);
  }
}

}  // namespace

int32_t IntegerDistance(int32_t a, int32_t b) {
  const uint64_t s = static_cast<uint64_t>(int64_t{a} * a) + static_cast<uint64_t>(int64_t{b} * b);
  return static_cast<int32_t>(std::min<uint64_t>(FloorSquareRoot(s), INT32_MAX));
}

int JoinStrokes(const InkPoint* points, const int* point_counts, int stroke_count, InkPoint* output) {
  if (stroke_count < 1 || stroke_count > kMaxJoinStrokes) return -1;
  int64_t total = 0;
  for (int s = 0; s < stroke_count; ++s) {
    if (point_counts[s] < 1) return -1;
    total += point_counts[s];
  }
  if (total < kMinInkPoints || total > kMaxInkPoints) return -1;
  if (stroke_count == 1) {
    std::copy(points, points + total, output);
    return static_cast<int>(total);
  }

  int32_t largest_step = 0;
  for (int s = 0, first = 0; s < stroke_count; first += point_counts[s], ++s) {
    for (int i = first + 1; i < first + point_counts[s]; ++i) {
      largest_step = std::max(largest_step,
                              IntegerDistance(points[i].y - points[i - 1].y, points[i].x - points[i - 1].x));
    }
  }
  const int32_t m = largest_step + 1;

  int written = 0;
  for (int s = 0, first = 0; s < stroke_count; first += point_counts[s], ++s) {
    const int end = first + point_counts[s];
    if (written + point_counts[s] > kMaxInkPoints) return -1;
    std::copy(points + first, points + end, output + written);
    written += point_counts[s];
    if (s + 1 == stroke_count) break;

    int32_t sum_y = 0;
    int32_t sum_x = 0;
    int steps = 0;
    for (int i = std::max(first + 1, end - 3); i < end; ++i, ++steps) {
      sum_y += points[i].y - points[i - 1].y;
      sum_x += points[i].x - points[i - 1].x;
    }
    const int32_t end_y = points[end - 1].y + (steps ? sum_y / steps : 0);
    const int32_t end_x = points[end - 1].x + (steps ? sum_x / steps : 0);
    const InkPoint& next = points[end];
    const int32_t d = IntegerDistance(next.y - end_y, next.x - end_x);
    if (d <= m) continue;
    const int32_t k = d / m;
    if (written + int64_t{k} > kMaxInkPoints) return -1;
    output[written++] = {ClampToInt16(end_y), ClampToInt16(end_x)};
    for (int32_t j = 1; j < k; ++j) {
      output[written++] = {ClampToInt16(end_y + (int64_t{next.y} - end_y) * j / k),
                           ClampToInt16(end_x + (int64_t{next.x} - end_x) * j / k)};
    }
  }
  return written;
}

CentreAndSpread ComputeCentreAndSpread(const InkPoint* points, int n) {
  CentreAndSpread c{};
  if (n <= 0) return c;
  int64_t sum_y = 0;
  int64_t sum_x = 0;
  for (int i = 0; i < n; ++i) {
    sum_y += points[i].y;
    sum_x += points[i].x;
  }
  c.centre_y = static_cast<int32_t>(sum_y / n);
  c.centre_x = static_cast<int32_t>(sum_x / n);
  int64_t dev_y = 0;
  int64_t dev_x = 0;
  for (int i = 0; i < n; ++i) {
    dev_y += Abs64(int64_t{points[i].y} - c.centre_y);
    dev_x += Abs64(int64_t{points[i].x} - c.centre_x);
  }
  c.spread_y = static_cast<int32_t>(dev_y / n);
  c.spread_x = static_cast<int32_t>(dev_x / n);
  return c;
}

void Normalise(InkPoint* points, int n, int scale) {
  if (n <= 0) return;
  if (n == 1) {
    points[0] = {0, 0};
    return;
  }
  const CentreAndSpread c = ComputeCentreAndSpread(points, n);
  int64_t d = 2 * int64_t{LargerSpread(c)};
  if (d == 0) d = 1;
  for (int i = 0; i < n; ++i) {
    points[i].y = ClampToInt16((points[i].y - int64_t{c.centre_y}) * scale / d);
    points[i].x = ClampToInt16((points[i].x - int64_t{c.centre_x}) * scale / d);
  }
}

int Resample(const InkPoint* input, int n, InkPoint* output, int m) {
  if (n <= 0 || m <= 0) return 0;
  if (n == 1) {
    std::fill(output, output + m, input[0]);
    return m;
  }
  output[0] = input[0];
  if (m == 1) return 1;
  // A segment is m - 1 units long, an output step n - 1 units.
  const int64_t segment_units = m - 1;
  const int64_t step_units = n - 1;
  InkPoint p = input[0];
  int segment = 0;
  int64_t left_in_segment = segment_units;
  int written = 1;
  for (int k = 1; k < m - 1; ++k) {
    int64_t to_go = step_units;
    while (to_go > left_in_segment) {
      to_go -= left_in_segment;
      ++segment;
      if (segment + 1 >= n) return written;  // input ran out
      p = input[segment];
      left_in_segment = segment_units;
    }
    const InkPoint& q = input[segment + 1];
    p = {ClampToInt16(((int64_t{q.y} - p.y) * to_go + int64_t{p.y} * left_in_segment) / left_in_segment),
         ClampToInt16(((int64_t{q.x} - p.x) * to_go + int64_t{p.x} * left_in_segment) / left_in_segment)};
    left_in_segment -= to_go;
    output[written++] = p;
  }
  output[written++] = input[n - 1];
  return written;
}

void SmoothBy3(const InkPoint* input, int n, InkPoint* output) {
  for (int i = 0; i < n; ++i) {
    if (i == 0 || i == n - 1) {
      output[i] = input[i];
    } else {
      output[i] = {static_cast<int16_t>((input[i - 1].y + input[i].y + input[i + 1].y) / 3),
                   static_cast<int16_t>((input[i - 1].x + input[i].x + input[i + 1].x) / 3)};
    }
  }
}

void SmoothBy5(const InkPoint* input, int n, InkPoint* output) {
  for (int i = 0; i < n; ++i) {
    if (i < 2 || i >= n - 2) {
      output[i] = input[i];
    } else {
      int32_t y = 0;
      int32_t x = 0;
      for (int j = i - 2; j <= i + 2; ++j) {
        y += input[j].y;
        x += input[j].x;
      }
      output[i] = {static_cast<int16_t>(y / 5), static_cast<int16_t>(x / 5)};
    }
  }
}

int32_t PathLength(const InkPoint* points, int n) {
  int64_t length = 0;
  for (int i = 1; i < n; ++i) {
    length += IntegerDistance(points[i].y - points[i - 1].y, points[i].x - points[i - 1].x);
  }
  return static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
}

int DirectionCode(int32_t along_first, int32_t along_second) {
  int64_t a = along_first;
  int64_t b = along_second;
  if (b < 0) {
    a = -a;
    b = -b;
  }
  if (b * 1000 < a * 2414) return b * 2414 >= a * 1000 ? 1 : 0;
  if (-a * 2414 < b * 1000) return 2;
  if (-a * 1000 < b * 2414) return 3;
  return 0;
}

void TraceDirectionHistogram(const InkPoint* points, int n, int32_t* histogram) {
  DirectionHistogram(points, n, histogram, [](int) { return false; });
}

void StrokeDirectionHistogram(const InkPoint* points, const int* point_counts, int stroke_count,
                              int32_t* histogram) {
  // Stroke starts after the first, as indexes into the concatenated points.
  int starts[kMaxJoinStrokes + 1];
  int n = 0;
  int start_count = 0;
  for (int s = 0; s < stroke_count && s <= kMaxJoinStrokes; ++s) {
    if (s > 0) starts[start_count++] = n;
    n += point_counts[s];
  }
  int next_start = 0;
  DirectionHistogram(points, n, histogram, [&](int i) {
    while (next_start < start_count && starts[next_start] < i) ++next_start;
    return next_start < start_count && starts[next_start] == i;
  });
}

void HistogramBlock(const int32_t* histogram, int row, int column, int32_t* block) {
  const int cells[4][2] = {{row, column}, {row, column + 1}, {row + 1, column}, {row + 1, column + 1}};
  for (int c = 0; c < 4; ++c) {
    const int32_t* counters =
        histogram + (cells[c][0] * kHistogramCells + cells[c][1]) * kHistogramDirections;
    std::copy(counters, counters + kHistogramDirections, block + c * kHistogramDirections);
  }
}

void QuantiseInt16(const int16_t* vectors, int count, int dimension, const int32_t* code_book, int codes,
                   uint8_t* output) {
  Quantise(vectors, count, dimension, code_book, codes, output);
}

void QuantiseInt32(const int32_t* vectors, int count, int dimension, const int32_t* code_book, int codes,
                   uint8_t* output) {
  Quantise(vectors, count, dimension, code_book, codes, output);
}

int ObservationTrace(InkPoint* trace, int n) {
  if (n < 1 || n > kMaxInkPoints) return -1;
  InkPoint work[kMaxInkPoints];
  SmoothBy3(trace, n, work);
  Normalise(work, n, 10000);
  const int32_t units = PathLength(work, n) / 1000;
  if (units > 1000) return -1;
  const int points =
      std::min(std::max(kMinObservationPoints, static_cast<int>(units)), kMaxObservationSteps + 1);
  return Resample(work, n, trace, points) - 1;
}

int StepCodes(const InkPoint* trace, int steps, const int32_t* code_book, uint8_t* output) {
  for (int t = 0; t < steps; ++t) {
    const int32_t step[2] = {trace[t + 1].y - trace[t].y, trace[t + 1].x - trace[t].x};
    QuantiseInt32(step, 1, 2, code_book, 32, output + t);
  }
  return steps;
}

}  // namespace vok
