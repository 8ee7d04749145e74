#include "kernel/feature_extractor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kernel/raster_planes.h"

namespace kernel {
namespace {

class FeatureSink {
 public:
  explicit FeatureSink(RawFeatures& out) : out_(out) {}
  void Add(long value) {
    if (next_ < out_.size()) out_[next_++] = static_cast<std::int32_t>(value);
  }

 private:
  RawFeatures& out_;
  std::size_t next_ = 0;
};

long Ratio(long numerator, long denominator) { return denominator == 0 ? 0 : numerator / denominator; }

void MassCuts(const long* mass, int start, int end, int bands, int* cuts) {
  std::array<long, kRasterSize> cumulative;
  long total = 0;
  const int count = end - start + 1;
  for (int i = 0; i < count; ++i) cumulative[static_cast<std::size_t>(i)] = total += mass[i];
  const double step = static_cast<double>(total) / bands;
  cuts[0] = start;
  cuts[bands] = end;
  int found = 0;
  for (int k = 1; k < bands; ++k) {
    const double target = k * step;
    for (int c = start; c < end; ++c) {
      const std::size_t i = static_cast<std::size_t>(c - start);
      if (cumulative[i] <= target && target < cumulative[i + 1]) {
        cuts[k] = c;
        ++found;
        break;
      }
    }
  }
  if (found == bands - 1) return;
  for (int k = 1; k < bands; ++k) cuts[k] = start + k * (end + 1 - start) / bands;
}

// Runs met walking from `from` to `to` - 1 along every line from `low` to
// `high`: one for ink at `from`, one at every background pixel followed by
// ink. `across` holds the same pixels as `along` with lines and positions
// swapped, so that one vector read takes position p of sixteen lines.
using LineRuns = std::array<std::uint8_t, kRasterSize>;

#if defined(__SSE2__)
void CountRuns(const Axis& /*along*/, const Axis& across, int low, int high, int from, int to,
               LineRuns& runs) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi8(1);
  for (int first = low; first <= high; first += 16) {
    const auto at = [&](int position) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(across.Line(position) + first));
    };
    __m128i count = zero;
    if (from < to) {
      __m128i here = at(from);
      count = _mm_andnot_si128(_mm_cmpeq_epi8(here, zero), one);
      for (int p = from; p < to; ++p) {
        const __m128i next = at(p + 1);
        count = _mm_sub_epi8(count, _mm_andnot_si128(_mm_cmpeq_epi8(next, zero), _mm_cmpeq_epi8(here, zero)));
        here = next;
      }
    }
    alignas(16) std::uint8_t lanes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), count);
    for (int line = first; line <= std::min(high, first + 15); ++line)
      runs[static_cast<std::size_t>(line)] = lanes[line - first];
  }
}
#else
void CountRuns(const Axis& along, const Axis& /*across*/, int low, int high, int from, int to,
               LineRuns& runs) {
  for (int line = low; line <= high; ++line) {
    const std::uint8_t* ink = along.Line(line);
    int count = from < to && ink[from] != 0 ? 1 : 0;
    for (int p = from; p < to; ++p) count += (ink[p] == 0) & (ink[p + 1] != 0);
    runs[static_cast<std::size_t>(line)] = static_cast<std::uint8_t>(count);
  }
}
#endif

void Crossings(const Raster& raster, const Planes& planes, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  const auto lowest = [](const std::array<int, 9>& c) { return *std::min_element(c.begin(), c.end()); };
  const auto highest = [](const std::array<int, 9>& c) { return *std::max_element(c.begin(), c.end()); };
  LineRuns runs_of_row;
  LineRuns runs_of_column;
  CountRuns({planes.rows, planes.row_bits}, {planes.columns, planes.column_bits}, lowest(cuts.rows),
            highest(cuts.rows), b.left, b.right, runs_of_row);
  CountRuns({planes.columns, planes.column_bits}, {planes.rows, planes.row_bits}, lowest(cuts.columns),
            highest(cuts.columns), b.top, b.bottom, runs_of_column);
  long row_runs[8];
  long column_runs[8];
  long row_total = 0;
  long column_total = 0;
  for (int k = 0; k < 8; ++k) {
    const int rows = std::max(1, cuts.rows[k + 1] - cuts.rows[k]);
    const int columns = std::max(1, cuts.columns[k + 1] - cuts.columns[k]);
    row_runs[k] = 0;
    for (int y = cuts.rows[k]; y < cuts.rows[k] + rows; ++y)
      row_runs[k] += runs_of_row[static_cast<std::size_t>(y)];
    column_runs[k] = 0;
    for (int x = cuts.columns[k]; x < cuts.columns[k] + columns; ++x)
      column_runs[k] += runs_of_column[static_cast<std::size_t>(x)];
    sink.Add(row_runs[k] * 1000 / rows);
    sink.Add(column_runs[k] * 1000 / columns);
    row_total += row_runs[k];
    column_total += column_runs[k];
  }
  for (int k = 0; k < 8; ++k) {
    sink.Add(Ratio(row_runs[k] * 1000, row_total));
    sink.Add(Ratio(column_runs[k] * 1000, column_total));
  }
}

// Background pixels from `from` towards `limit` (inclusive) before the first ink.
int Margin(const Axis& axis, int line, int from, int limit) {
  const LineBits& ink = axis.bits[static_cast<std::size_t>(line)];
  if (limit >= from) return std::min(ink.FirstAtOrAfter(from), limit + 1) - from;
  return from - std::max(ink.LastAtOrBefore(from), limit - 1);
}

// One axis of the peripheral variation: lines `low`..`high` cut by `line_cuts`,
// margins from `near` and `far` limited by `middle`.
void PeripheralAxis(const Axis& axis, int low, int high, const std::array<int, 9>& line_cuts, int near,
                    int far, int middle, FeatureSink& sink) {
  std::array<int, kRasterSize> near_margin;
  std::array<int, kRasterSize> far_margin;
  const std::size_t margins = static_cast<std::size_t>(std::max(0, high - low + 1));
  for (int line = low; line <= high; ++line) {
    near_margin[static_cast<std::size_t>(line - low)] = Margin(axis, line, near, middle);
    far_margin[static_cast<std::size_t>(line - low)] = Margin(axis, line, far, middle);
  }
  for (int k = 0; k < 8; k += 2) {
    const int lines = std::max(1, line_cuts[k + 2] - line_cuts[k] + 1);
    long near_sum = 0;
    long far_sum = 0;
    for (int line = line_cuts[k]; line < line_cuts[k + 2]; ++line) {
      const std::size_t i = static_cast<std::size_t>(line - low);
      if (line < low || i + 1 >= margins) continue;
      near_sum += std::abs(near_margin[i + 1] - near_margin[i]);
      far_sum += std::abs(far_margin[i + 1] - far_margin[i]);
    }
    sink.Add(near_sum * 1000 / (std::max(middle - near, 1) + lines / 4));
    sink.Add(far_sum * 1000 / (std::max(far - middle, 1) + lines / 4));
  }
}

void PeripheralVariation(const Raster& raster, const Planes& planes, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  PeripheralAxis({planes.rows, planes.row_bits}, b.top, b.bottom, cuts.rows, b.left, b.right, cuts.columns[4],
                 sink);
  PeripheralAxis({planes.columns, planes.column_bits}, b.left, b.right, cuts.columns, b.top, b.bottom,
                 cuts.rows[4], sink);
}

// Background pixels before the first, second and third run of every line
// from `low` to `high`, walking from `from` to `to` (exclusive of `to`).
// `along` holds the lines, `across` the same pixels with lines and positions
// swapped, so that one vector read takes position p of sixteen lines.
using LayerCounts = std::array<std::array<std::uint8_t, 3>, kRasterSize>;

#if defined(__SSE2__)
void CountLayers(const Axis& /*along*/, const Axis& across, int low, int high, int from, int to,
                 LayerCounts& counts) {
  const int step = to >= from ? 1 : -1;
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi8(1);
  const __m128i two = _mm_set1_epi8(2);
  for (int first = low; first <= high; first += 16) {
    const auto at = [&](int position) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(across.Line(position) + first));
    };
    // Lines with ink at `from` start inside their first run.
    __m128i counter = _mm_andnot_si128(_mm_cmpeq_epi8(at(from), zero), one);
    __m128i c0 = zero, c1 = zero, c2 = zero;
    __m128i here = at(from);
    for (int p = from; p != to; p += step) {
      const __m128i next = at(p + step);
      const __m128i background = _mm_cmpeq_epi8(here, zero);
      const __m128i starts = _mm_andnot_si128(_mm_cmpeq_epi8(next, zero), background);
      counter = _mm_sub_epi8(counter, starts);
      c0 = _mm_sub_epi8(c0, _mm_and_si128(background, _mm_cmpeq_epi8(counter, zero)));
      c1 = _mm_sub_epi8(c1, _mm_and_si128(background, _mm_cmpeq_epi8(counter, one)));
      c2 = _mm_sub_epi8(c2, _mm_and_si128(background, _mm_cmpeq_epi8(counter, two)));
      here = next;
    }
    alignas(16) std::uint8_t lanes[3][16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), c0);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), c1);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), c2);
    for (int line = first; line <= std::min(high, first + 15); ++line) {
      for (int j = 0; j < 3; ++j) counts[static_cast<std::size_t>(line)][j] = lanes[j][line - first];
    }
  }
}
#else
void CountLayers(const Axis& along, const Axis& /*across*/, int low, int high, int from, int to,
                 LayerCounts& counts) {
  const int step = to >= from ? 1 : -1;
  for (int line = low; line <= high; ++line) {
    const std::uint8_t* ink = along.Line(line);
    int counter = ink[from] != 0 ? 1 : 0;
    int buckets[4] = {0, 0, 0, 0};
    for (int p = from; p != to; p += step) {
      if (ink[p] != 0) continue;
      counter += ink[p + step] != 0;
      ++buckets[std::min(counter, 3)];
    }
    for (int j = 0; j < 3; ++j)
      counts[static_cast<std::size_t>(line)][j] = static_cast<std::uint8_t>(buckets[j]);
  }
}
#endif

void LayerAxis(const Axis& along, const Axis& across, const std::array<int, 9>& line_cuts, int start, int end,
               FeatureSink& sink) {
  const int low = *std::min_element(line_cuts.begin(), line_cuts.end());
  const int high = *std::max_element(line_cuts.begin(), line_cuts.end());
  LayerCounts forward_counts;
  LayerCounts backward_counts;
  CountLayers(along, across, low, high, start, end, forward_counts);
  CountLayers(along, across, low, high, end, start, backward_counts);
  for (int k = 0; k < 8; k += 2) {
    long forward[3] = {0, 0, 0};
    long backward[3] = {0, 0, 0};
    for (int line = line_cuts[k]; line <= line_cuts[k + 2]; ++line) {
      for (int j = 0; j < 3; ++j) {
        forward[j] += forward_counts[static_cast<std::size_t>(line)][j];
        backward[j] += backward_counts[static_cast<std::size_t>(line)][j];
      }
    }
    const long area = static_cast<long>(line_cuts[k + 2] - line_cuts[k] + 1) * (end - start + 1);
    sink.Add(Ratio((forward[0] + forward[1]) * 1000, area));
    sink.Add(Ratio((forward[1] + forward[2]) * 1000, area));
    sink.Add(Ratio((backward[0] + backward[1]) * 1000, area));
    sink.Add(Ratio((backward[1] + backward[2]) * 1000, area));
  }
}

void Layers(const Raster& raster, const Planes& planes, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  LayerAxis({planes.rows, planes.row_bits}, {planes.columns, planes.column_bits}, cuts.rows, b.left, b.right,
            sink);
  LayerAxis({planes.columns, planes.column_bits}, {planes.rows, planes.row_bits}, cuts.columns, b.top,
            b.bottom, sink);
}

// Indexed [gx + 3][gy + 3].
constexpr int kFirstDirection[7][7] = {{1, 1, 0, 0, 0, 3, 3}, {1, 1, 1, 0, 3, 3, 3}, {2, 1, 1, 0, 3, 3, 2},
                                       {2, 2, 2, 0, 2, 2, 2}, {2, 3, 3, 0, 1, 1, 2}, {3, 3, 3, 0, 1, 1, 1},
                                       {3, 3, 0, 0, 0, 1, 1}};
constexpr int kSecondDirection[7][7] = {{1, 1, 0, 0, 0, 3, 3}, {1, 1, 0, 0, 0, 3, 3}, {2, 2, 1, 0, 3, 2, 2},
                                        {2, 2, 2, 0, 2, 2, 2}, {2, 2, 3, 0, 1, 2, 2}, {3, 3, 0, 0, 0, 1, 1},
                                        {3, 3, 0, 0, 0, 1, 1}};

int BandOf(const std::array<int, 9>& cuts, int bands, int position) {
  int band = 0;
  for (int k = 1; k < bands; ++k) {
    if (cuts[k] <= position) band = k;
  }
  return band;
}

// trunc(1000 sqrt(gx^2 + gy^2)), indexed [gx + 3][gy + 3].
const std::array<std::array<long, 7>, 7>& DirectionWeights() {
  static const std::array<std::array<long, 7>, 7> weights = [] {
    std::array<std::array<long, 7>, 7> w{};
    for (int gx = -3; gx <= 3; ++gx) {
      for (int gy = -3; gy <= 3; ++gy)
        w[gx + 3][gy + 3] = static_cast<long>(1000.0 * std::sqrt(static_cast<double>(gx * gx + gy * gy)));
    }
    return w;
  }();
  return weights;
}

void Directions(const Raster& raster, const Planes& planes, const Cuts& cuts, FeatureSink& sink) {
  long sums[6][6][4] = {};
  const Box& b = raster.box;
  std::array<int, kRasterSize> column_band;
  for (int c = b.left + 1; c < b.right; ++c)
    column_band[static_cast<std::size_t>(c)] = BandOf(cuts.columns, 6, c);
  const auto& weights = DirectionWeights();
  const Axis lines{planes.rows, planes.row_bits};
  for (int r = b.top + 1; r < b.bottom; ++r) {
    const std::uint8_t* above = lines.Line(r - 1);
    const std::uint8_t* here = lines.Line(r);
    const std::uint8_t* below = lines.Line(r + 1);
    long(*band_row)[4] = sums[BandOf(cuts.rows, 6, r)];
    for (int c = b.left + 1; c < b.right; ++c) {
      if (here[c] == 0) continue;
      const int top = above[c - 1] + above[c] + above[c + 1];
      const int bottom = below[c - 1] + below[c] + below[c + 1];
      const int left = above[c - 1] + here[c - 1] + below[c - 1];
      const int right = above[c + 1] + here[c + 1] + below[c + 1];
      const int neighbours = top + bottom + here[c - 1] + here[c + 1];
      if (neighbours < 2 || neighbours > 6) continue;
      const int gx = right - left;
      const int gy = top - bottom;
      const int d1 = kFirstDirection[gx + 3][gy + 3];
      const int d2 = kSecondDirection[gx + 3][gy + 3];
      const long weight = weights[static_cast<std::size_t>(gx + 3)][static_cast<std::size_t>(gy + 3)];
      long* cell = band_row[column_band[static_cast<std::size_t>(c)]];
      cell[d1] += weight;
      if (d2 != d1) cell[d2] += weight;
    }
  }
  for (int a = 0; a < 6; ++a) {
    for (int k = 0; k < 6; ++k) {
      const long rows = std::max(1, cuts.rows[a + 1] - cuts.rows[a]);
      const long columns = std::max(1, cuts.columns[k + 1] - cuts.columns[k]);
      const long mean = std::max(1L, (rows + columns) / 2);
      sink.Add(sums[a][k][0] / rows);
      sink.Add(sums[a][k][1] / mean);
      sink.Add(sums[a][k][2] / columns);
      sink.Add(sums[a][k][3] / mean);
    }
  }
}

}  // namespace

namespace {

// Ink per column and per row of the box.
struct InkMass {
  std::array<long, kRasterSize> columns{};
  std::array<long, kRasterSize> rows{};
};

InkMass MassOf(const Raster& raster, const Planes& planes) {
  InkMass mass;
  const Box& b = raster.box;
  for (int r = b.top; r <= b.bottom; ++r)
    mass.rows[static_cast<std::size_t>(r - b.top)] =
        planes.row_bits[static_cast<std::size_t>(r)].CountIn(b.left, b.right);
  for (int c = b.left; c <= b.right; ++c) {
    mass.columns[static_cast<std::size_t>(c - b.left)] =
        planes.column_bits[static_cast<std::size_t>(c)].CountIn(b.top, b.bottom);
  }
  return mass;
}

Cuts CutsOf(const Raster& raster, const InkMass& mass, int bands) {
  Cuts cuts;
  const Box& b = raster.box;
  MassCuts(mass.columns.data(), b.left, b.right, bands, cuts.columns.data());
  MassCuts(mass.rows.data(), b.top, b.bottom, bands, cuts.rows.data());
  return cuts;
}

}  // namespace

Cuts EqualMassCuts(const Raster& raster, int bands) {
  Planes planes;
  FillPlanes(raster, planes);
  return CutsOf(raster, MassOf(raster, planes), bands);
}

RawFeatures ComputeRawFeatures(const Raster& raster) {
  RawFeatures values{};
  if (raster.empty) return values;
  Planes planes;
  FillPlanes(raster, planes);
  FeatureSink sink(values);
  const InkMass mass = MassOf(raster, planes);
  const Cuts eighths = CutsOf(raster, mass, 8);
  Crossings(raster, planes, eighths, sink);
  PeripheralVariation(raster, planes, eighths, sink);
  Layers(raster, planes, eighths, sink);
  Directions(raster, planes, CutsOf(raster, mass, 6), sink);
  return values;
}

void DivideFeatures(std::span<const std::int32_t> raw, std::span<const std::uint16_t> divisors,
                    std::span<std::uint8_t> out) {
  const std::size_t n = std::min({raw.size(), divisors.size(), out.size()});
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t divisor = divisors[i] == 0 ? 1 : divisors[i];
    out[i] = static_cast<std::uint8_t>(std::clamp(raw[i] / divisor, 0, 255));
  }
}

}  // namespace kernel
