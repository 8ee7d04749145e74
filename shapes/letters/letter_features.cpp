#include "shapes/letters/letter_features.h"

#include <cstddef>
#include <vector>

namespace letters {
namespace {

constexpr int kBands = 5;
constexpr int kGridSide = 3;
constexpr int kConcavitySide = 4;

// Band edges along one axis: `parts` + 1 positions from 0 to the length.
std::vector<int> EqualMassEdges(const std::vector<int>& mass, int parts) {
  long total = 0;
  for (const int m : mass) total += m;
  std::vector<int> edges{0};
  long running = 0;
  std::size_t i = 0;
  for (int k = 1; k < parts; ++k) {
    // The band ends after the line where the running mass reaches k/parts.
    while (i < mass.size() && running * parts < total * k) running += mass[i++];
    edges.push_back(static_cast<int>(i));
  }
  edges.push_back(static_cast<int>(mass.size()));
  return edges;
}

double Percent(double part, double whole) { return whole > 0 ? 100.0 * part / whole : 0.0; }

// Looks at the raster along rows, or along columns when `turned`, so one
// definition serves both orientations.
class RasterAxis {
 public:
  RasterAxis(const LetterRaster& raster, bool turned) : raster_(raster), turned_(turned) {}
  int lines() const { return turned_ ? raster_.width() : raster_.height(); }
  int length() const { return turned_ ? raster_.height() : raster_.width(); }
  bool Ink(int line, int along) const {
    return turned_ ? raster_.Ink(line, along) : raster_.Ink(along, line);
  }

  std::vector<int> LineMass() const {
    std::vector<int> mass(static_cast<std::size_t>(lines()));
    for (int l = 0; l < lines(); ++l) {
      for (int a = 0; a < length(); ++a) mass[static_cast<std::size_t>(l)] += Ink(l, a) ? 1 : 0;
    }
    return mass;
  }
  int Runs(int line, int from, int to) const {
    int runs = 0;
    bool previous = false;
    for (int a = from; a < to; ++a) {
      const bool ink = Ink(line, a);
      if (ink && !previous) ++runs;
      previous = ink;
    }
    return runs;
  }

 private:
  const LetterRaster& raster_;
  bool turned_;
};

// Six values for each of five equal-mass bands of lines.
void BandFeatures(const RasterAxis& axis, double* out) {
  const std::vector<int> edges = EqualMassEdges(axis.LineMass(), kBands);
  const int length = axis.length();
  for (int b = 0; b < kBands; ++b) {
    double* band = out + 6 * b;
    const int from = edges[static_cast<std::size_t>(b)];
    const int to = edges[static_cast<std::size_t>(b) + 1];
    const int lines = to - from;
    if (lines == 0) continue;
    double near_profile = 0, far_profile = 0, runs = 0, split_lines = 0, ink = 0, ink_position = 0;
    for (int l = from; l < to; ++l) {
      int first = length, last = -1;
      for (int a = 0; a < length; ++a) {
        if (!axis.Ink(l, a)) continue;
        if (first == length) first = a;
        last = a;
        ink += 1;
        ink_position += a;
      }
      near_profile += first;
      far_profile += length - 1 - last;
      const int line_runs = axis.Runs(l, 0, length);
      runs += line_runs;
      if (line_runs >= 2) split_lines += 1;
    }
    band[0] = Percent(near_profile / lines, length);
    band[1] = Percent(far_profile / lines, length);
    band[2] = runs / lines;
    band[3] = Percent(split_lines, lines);
    band[4] = ink > 0 ? Percent(ink_position / ink, length) : 0;
    band[5] = Percent(lines, axis.lines());
  }
}

void GridFeatures(const LetterRaster& raster, const RasterAxis& rows, const RasterAxis& columns,
                  double* out) {
  const std::vector<int> row_edges = EqualMassEdges(rows.LineMass(), kGridSide);
  const std::vector<int> column_edges = EqualMassEdges(columns.LineMass(), kGridSide);
  for (int zy = 0; zy < kGridSide; ++zy) {
    const int top = row_edges[static_cast<std::size_t>(zy)],
              bottom = row_edges[static_cast<std::size_t>(zy) + 1];
    for (int zx = 0; zx < kGridSide; ++zx) {
      double* zone = out + 3 * (zy * kGridSide + zx);
      const int left = column_edges[static_cast<std::size_t>(zx)];
      const int right = column_edges[static_cast<std::size_t>(zx) + 1];
      if (top == bottom || left == right) continue;
      double ink = 0, horizontal = 0, vertical = 0;
      for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) ink += raster.Ink(x, y) ? 1 : 0;
        horizontal += rows.Runs(y, left, right);
      }
      for (int x = left; x < right; ++x) vertical += columns.Runs(x, top, bottom);
      zone[0] = Percent(ink, static_cast<double>(bottom - top) * (right - left));
      zone[1] = horizontal / (bottom - top);
      zone[2] = vertical / (right - left);
    }
  }
}

void GlobalFeatures(const LetterRaster& raster, double* out) {
  double ink = 0, sum_x = 0, sum_y = 0;
  for (int y = 0; y < raster.height(); ++y) {
    for (int x = 0; x < raster.width(); ++x) {
      if (!raster.Ink(x, y)) continue;
      ink += 1;
      sum_x += x;
      sum_y += y;
    }
  }
  out[0] = Percent(raster.width(), raster.width() + raster.height());
  out[1] = Percent(sum_x / ink, raster.width());
  out[2] = Percent(sum_y / ink, raster.height());
}

// Whether a probe every second pixel towards one side meets ink, for every
// pixel: the probe of (x, y) towards the left meets ink at x - 2 or further
// at x - 4, ..., which is what the probe of (x - 2, y) answers.
struct ClosedSides {
  std::vector<std::uint8_t> left, right, up, down;
};

ClosedSides ProbeSides(const LetterRaster& raster) {
  const int w = raster.width(), h = raster.height();
  const auto size = static_cast<std::size_t>(w * h);
  ClosedSides sides{std::vector<std::uint8_t>(size), std::vector<std::uint8_t>(size),
                    std::vector<std::uint8_t>(size), std::vector<std::uint8_t>(size)};
  const auto at = [w](int x, int y) { return static_cast<std::size_t>(y * w + x); };
  for (int y = 0; y < h; ++y) {
    for (int x = 2; x < w; ++x) sides.left[at(x, y)] = raster.Ink(x - 2, y) || sides.left[at(x - 2, y)];
    for (int x = w - 3; x >= 0; --x)
      sides.right[at(x, y)] = raster.Ink(x + 2, y) || sides.right[at(x + 2, y)];
  }
  for (int x = 0; x < w; ++x) {
    for (int y = 2; y < h; ++y) sides.up[at(x, y)] = raster.Ink(x, y - 2) || sides.up[at(x, y - 2)];
    for (int y = h - 3; y >= 0; --y) sides.down[at(x, y)] = raster.Ink(x, y + 2) || sides.down[at(x, y + 2)];
  }
  return sides;
}

void ConcavityFeatures(const LetterRaster& raster, const RasterAxis& rows, const RasterAxis& columns,
                       double* out) {
  const std::vector<int> row_edges = EqualMassEdges(rows.LineMass(), kConcavitySide);
  const std::vector<int> column_edges = EqualMassEdges(columns.LineMass(), kConcavitySide);
  const ClosedSides sides = ProbeSides(raster);
  const auto w = raster.width();
  for (int zy = 0; zy < kConcavitySide; ++zy) {
    for (int zx = 0; zx < kConcavitySide; ++zx) {
      double* zone = out + 4 * (zy * kConcavitySide + zx);
      double background = 0, open_across = 0, open_upright = 0, enclosed = 0, one_closed = 0;
      for (int y = row_edges[static_cast<std::size_t>(zy)]; y < row_edges[static_cast<std::size_t>(zy) + 1];
           ++y) {
        for (int x = column_edges[static_cast<std::size_t>(zx)];
             x < column_edges[static_cast<std::size_t>(zx) + 1]; ++x) {
          if (raster.Ink(x, y)) continue;
          background += 1;
          const auto i = static_cast<std::size_t>(y * w + x);
          const bool open_left = !sides.left[i], open_right = !sides.right[i];
          const bool open_up = !sides.up[i], open_down = !sides.down[i];
          const int open = open_left + open_right + open_up + open_down;
          if (open == 1 && (open_left || open_right)) open_across += 1;
          if (open == 1 && (open_up || open_down)) open_upright += 1;
          if (open == 0) enclosed += 1;
          if (open == 3) one_closed += 1;
        }
      }
      zone[0] = Percent(open_across, background);
      zone[1] = Percent(open_upright, background);
      zone[2] = Percent(enclosed, background);
      zone[3] = Percent(one_closed, background);
    }
  }
}

}  // namespace

std::optional<LetterFeatures> ComputeLetterFeatures(const LetterRaster& raster) {
  const RasterAxis rows(raster, false);
  const RasterAxis columns(raster, true);
  bool any_ink = false;
  for (const int m : rows.LineMass()) any_ink = any_ink || m > 0;
  if (!any_ink) return std::nullopt;

  LetterFeatures features{};
  BandFeatures(rows, &features[0]);
  BandFeatures(columns, &features[30]);
  GridFeatures(raster, rows, columns, &features[60]);
  GlobalFeatures(raster, &features[87]);
  ConcavityFeatures(raster, rows, columns, &features[kFirstBlockSize]);
  return features;
}

}  // namespace letters
