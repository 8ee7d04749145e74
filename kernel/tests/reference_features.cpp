// The raster and feature vectors computed the plain way, pixel by pixel
// through bounds-checked reads: the reference that the kernel's own raster
// and feature code must equal value for value.
#include "kernel/tests/reference_features.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace kernel_reference {
namespace {

using kernel::kRasterSize;
using kernel::Raster;

void Set(Raster& raster, int row, int column) {
  if (row < 0 || row >= kRasterSize || column < 0 || column >= kRasterSize) return;
  raster.pixels[static_cast<std::size_t>(row * kRasterSize + column)] = 1;
}

void DrawLine(Raster& raster, int row0, int col0, int row1, int col1) {
  const int drow = row1 - row0;
  const int dcol = col1 - col0;
  if (drow == 0 || dcol == 0) {
    for (int r = std::min(row0, row1); r <= std::max(row0, row1); ++r) {
      for (int c = std::min(col0, col1); c <= std::max(col0, col1); ++c) Set(raster, r, c);
    }
    return;
  }
  const int steps = std::max(std::abs(drow), std::abs(dcol));
  for (int i = 0; i < steps; ++i) Set(raster, i * drow / steps + row0, i * dcol / steps + col0);
}

// Row or column of a scaled offset; points outside the box land outside the
// raster, where nothing is drawn.
int ToRaster(double scaled) { return static_cast<int>(std::clamp(scaled, -2.0, kRasterSize + 0.0)) + 1; }

}  // namespace

kernel::Raster ReferenceRasterizeInk(std::span<const kernel::CellPoint> points, const kernel::Box& cell_box) {
  using namespace kernel;
  Raster raster;
  const double sx = 80.0 / (Extent(cell_box.left, cell_box.right) + 1);
  const double sy = 80.0 / (Extent(cell_box.top, cell_box.bottom) + 1);
  int previous_row = 0;
  int previous_col = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int col = ToRaster(Extent(cell_box.left, points[i].x) * sx);
    const int row = ToRaster(Extent(cell_box.top, points[i].y) * sy);
    const bool previous_continues = i > 0 && points[i - 1].pen_continues == 1;
    if (points[i].pen_continues == 1 || previous_continues) Set(raster, row, col);
    if (previous_continues) DrawLine(raster, previous_row, previous_col, row, col);
    previous_row = row;
    previous_col = col;
  }

  const Raster copy = raster;
  const int last_row = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.top, cell_box.bottom) * sy) + 1);
  const int last_col = std::min(kRasterSize - 2, ToRaster(Extent(cell_box.left, cell_box.right) * sx) + 1);
  for (int r = 1; r <= last_row; ++r) {
    for (int c = 1; c <= last_col; ++c) {
      if (copy.At(r, c) == 0) continue;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) Set(raster, r + dr, c + dc);
      }
    }
  }

  Box box{kRasterSize, kRasterSize, -1, -1};
  for (int r = 0; r < kRasterSize; ++r) {
    for (int c = 0; c < kRasterSize; ++c) {
      if (raster.At(r, c) == 0) continue;
      box.left = std::min(box.left, c);
      box.right = std::max(box.right, c);
      box.top = std::min(box.top, r);
      box.bottom = std::max(box.bottom, r);
    }
  }
  raster.empty = box.right < 0;
  raster.box = raster.empty ? Box{} : box;
  return raster;
}
namespace {

using kernel::Box;
using kernel::Cuts;
using kernel::Raster;
using kernel::RawFeatures;

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

// One axis of the raster box: `Ink(line, position)` reads along a line.
struct Axis {
  const Raster& raster;
  bool rows;  // lines are rows, positions are columns
  int Ink(int line, int position) const {
    return rows ? raster.At(line, position) : raster.At(position, line);
  }
};

void MassCuts(const std::vector<long>& mass, int start, int end, int bands, int* cuts) {
  std::vector<long> cumulative(mass.size());
  long total = 0;
  for (std::size_t i = 0; i < mass.size(); ++i) cumulative[i] = total += mass[i];
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

// Runs met walking from `from` to `to` - 1 along a line.
int RunsAlong(const Axis& axis, int line, int from, int to) {
  int runs = 0;
  for (int p = from; p < to; ++p) {
    if (p == from && axis.Ink(line, p) != 0) ++runs;
    if (axis.Ink(line, p) == 0 && axis.Ink(line, p + 1) != 0) ++runs;
  }
  return runs;
}

void Crossings(const Raster& raster, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  long row_runs[8];
  long column_runs[8];
  long row_total = 0;
  long column_total = 0;
  for (int k = 0; k < 8; ++k) {
    const int rows = std::max(1, cuts.rows[k + 1] - cuts.rows[k]);
    const int columns = std::max(1, cuts.columns[k + 1] - cuts.columns[k]);
    row_runs[k] = 0;
    for (int y = cuts.rows[k]; y < cuts.rows[k] + rows; ++y)
      row_runs[k] += RunsAlong({raster, true}, y, b.left, b.right);
    column_runs[k] = 0;
    for (int x = cuts.columns[k]; x < cuts.columns[k] + columns; ++x) {
      column_runs[k] += RunsAlong({raster, false}, x, b.top, b.bottom);
    }
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
  const int step = limit >= from ? 1 : -1;
  int count = 0;
  for (int p = from; p != limit + step && axis.Ink(line, p) == 0; p += step) ++count;
  return count;
}

// One axis of the peripheral variation: lines `low`..`high` cut by `line_cuts`,
// margins from `near` and `far` limited by `middle`.
void PeripheralAxis(const Axis& axis, int low, int high, const std::array<int, 9>& line_cuts, int near,
                    int far, int middle, FeatureSink& sink) {
  std::vector<int> near_margin(static_cast<std::size_t>(std::max(0, high - low + 1)));
  std::vector<int> far_margin(near_margin.size());
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
      if (line < low || i + 1 >= near_margin.size()) continue;
      near_sum += std::abs(near_margin[i + 1] - near_margin[i]);
      far_sum += std::abs(far_margin[i + 1] - far_margin[i]);
    }
    sink.Add(near_sum * 1000 / (std::max(middle - near, 1) + lines / 4));
    sink.Add(far_sum * 1000 / (std::max(far - middle, 1) + lines / 4));
  }
}

void PeripheralVariation(const Raster& raster, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  PeripheralAxis({raster, true}, b.top, b.bottom, cuts.rows, b.left, b.right, cuts.columns[4], sink);
  PeripheralAxis({raster, false}, b.left, b.right, cuts.columns, b.top, b.bottom, cuts.rows[4], sink);
}

// Background pixels before the first, second and third run, walking a line
// from `from` to `to` (exclusive of `to`).
void CountLayers(const Axis& axis, int line, int from, int to, long* buckets) {
  const int step = to >= from ? 1 : -1;
  int counter = axis.Ink(line, from) != 0 ? 1 : 0;
  for (int p = from; p != to; p += step) {
    if (axis.Ink(line, p) != 0) continue;
    if (axis.Ink(line, p + step) != 0) ++counter;
    if (counter <= 2) ++buckets[counter];
  }
}

void LayerAxis(const Axis& axis, const std::array<int, 9>& line_cuts, int start, int end, FeatureSink& sink) {
  for (int k = 0; k < 8; k += 2) {
    long forward[3] = {0, 0, 0};
    long backward[3] = {0, 0, 0};
    for (int line = line_cuts[k]; line <= line_cuts[k + 2]; ++line) {
      CountLayers(axis, line, start, end, forward);
      CountLayers(axis, line, end, start, backward);
    }
    const long area = static_cast<long>(line_cuts[k + 2] - line_cuts[k] + 1) * (end - start + 1);
    sink.Add(Ratio((forward[0] + forward[1]) * 1000, area));
    sink.Add(Ratio((forward[1] + forward[2]) * 1000, area));
    sink.Add(Ratio((backward[0] + backward[1]) * 1000, area));
    sink.Add(Ratio((backward[1] + backward[2]) * 1000, area));
  }
}

void Layers(const Raster& raster, const Cuts& cuts, FeatureSink& sink) {
  const Box& b = raster.box;
  LayerAxis({raster, true}, cuts.rows, b.left, b.right, sink);
  LayerAxis({raster, false}, cuts.columns, b.top, b.bottom, sink);
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

void Directions(const Raster& raster, const Cuts& cuts, FeatureSink& sink) {
  long sums[6][6][4] = {};
  const Box& b = raster.box;
  for (int r = b.top + 1; r < b.bottom; ++r) {
    for (int c = b.left + 1; c < b.right; ++c) {
      if (raster.At(r, c) == 0) continue;
      int neighbours = 0;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) neighbours += (dr != 0 || dc != 0) ? raster.At(r + dr, c + dc) : 0;
      }
      if (neighbours < 2 || neighbours > 6) continue;
      int gx = 0;
      int gy = 0;
      for (int d = -1; d <= 1; ++d) {
        gx += raster.At(r + d, c + 1) - raster.At(r + d, c - 1);
        gy += raster.At(r - 1, c + d) - raster.At(r + 1, c + d);
      }
      const int d1 = kFirstDirection[gx + 3][gy + 3];
      const int d2 = kSecondDirection[gx + 3][gy + 3];
      const long weight = static_cast<long>(1000.0 * std::sqrt(static_cast<double>(gx * gx + gy * gy)));
      long* cell = sums[BandOf(cuts.rows, 6, r)][BandOf(cuts.columns, 6, c)];
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

kernel::Cuts ReferenceEqualMassCuts(const kernel::Raster& raster, int bands) {
  using namespace kernel;
  Cuts cuts;
  const Box& b = raster.box;
  std::vector<long> column_mass(static_cast<std::size_t>(b.right - b.left + 1), 0);
  std::vector<long> row_mass(static_cast<std::size_t>(b.bottom - b.top + 1), 0);
  for (int r = b.top; r <= b.bottom; ++r) {
    for (int c = b.left; c <= b.right; ++c) {
      if (raster.At(r, c) == 0) continue;
      ++column_mass[static_cast<std::size_t>(c - b.left)];
      ++row_mass[static_cast<std::size_t>(r - b.top)];
    }
  }
  MassCuts(column_mass, b.left, b.right, bands, cuts.columns.data());
  MassCuts(row_mass, b.top, b.bottom, bands, cuts.rows.data());
  return cuts;
}

kernel::RawFeatures ReferenceRawFeatures(const kernel::Raster& raster) {
  using namespace kernel;
  RawFeatures values{};
  if (raster.empty) return values;
  FeatureSink sink(values);
  const Cuts eighths = ReferenceEqualMassCuts(raster, 8);
  Crossings(raster, eighths, sink);
  PeripheralVariation(raster, eighths, sink);
  Layers(raster, eighths, sink);
  Directions(raster, ReferenceEqualMassCuts(raster, 6), sink);
  return values;
}

}  // namespace kernel_reference
