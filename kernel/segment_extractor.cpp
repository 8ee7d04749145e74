#include "kernel/segment_extractor.h"

#include <algorithm>
#include <cmath>

#include "kernel/ligature_rules.h"

namespace kernel {
namespace {

bool StartsStroke(std::span<const CellPoint> points, std::size_t i) {
  return i == 0 || points[i - 1].pen_continues == 0;
}

int DirectionBetween(const CellPoint& from, const CellPoint& to) {
  return DirectionCode(to.x - from.x, from.y - to.y);
}

std::vector<CellPoint> ToGrid(SegmentMode mode, std::span<const CellPoint> points) {
  const Box box = BoundingBox(points);
  double sx = 80.0 / (Extent(box.left, box.right) + 1);
  double sy = 80.0 / (Extent(box.top, box.bottom) + 1);
  if (mode != SegmentMode::kSeparateScales) sx = sy = std::min(sx, sy);
  std::vector<CellPoint> grid;
  grid.reserve(points.size());
  for (const CellPoint& point : points) {
    grid.push_back({static_cast<std::int32_t>(sx * Extent(box.left, point.x)) + 1,
                    static_cast<std::int32_t>(sy * Extent(box.top, point.y)) + 1, point.pen_continues});
  }
  return grid;
}

// Runs `pass` until it removes nothing.
template <typename Pass>
std::vector<CellPoint> Repeat(std::span<const CellPoint> points, Pass pass) {
  std::vector<CellPoint> current(points.begin(), points.end());
  for (;;) {
    std::vector<CellPoint> next = pass(std::span<const CellPoint>(current));
    if (next.size() == current.size()) return next;
    current = std::move(next);
  }
}

std::vector<CellPoint> ReduceOnce(std::span<const CellPoint> points) {
  std::vector<CellPoint> kept;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const CellPoint& point = points[i];
    if (i == 0 || i + 1 == n) {
      kept.push_back(point);
      continue;
    }
    const bool starts = StartsStroke(points, i);
    const bool ends = point.pen_continues == 0;
    if (starts && ends) continue;
    if (starts || ends) {
      kept.push_back(point);
      continue;
    }
    const CellPoint& last = kept.back();
    const CellPoint& successor = points[i + 1];
    if (point.SamePlace(last) || point.SamePlace(successor)) continue;
    const int turn = std::abs(DirectionBetween(point, last) - DirectionBetween(point, successor));
    if (turn == 4) continue;
    if ((turn == 3 || turn == 5) &&
        Cosine(last.x - point.x, last.y - point.y, successor.x - point.x, successor.y - point.y) <= -0.68) {
      continue;
    }
    kept.push_back(point);
    kept.push_back(successor);
    ++i;
  }
  return kept;
}

std::vector<CellPoint> PruneOnce(std::span<const CellPoint> points) {
  std::vector<CellPoint> kept;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const CellPoint& point = points[i];
    if (i == 0 || i + 1 == n || StartsStroke(points, i) || point.pen_continues == 0) {
      kept.push_back(point);
      continue;
    }
    const CellPoint& last = kept.back();
    const CellPoint& successor = points[i + 1];
    const bool spike = DirectionBetween(point, last) == DirectionBetween(point, successor);
    if (spike || LineDistance(point.x, point.y, last.x, last.y, successor.x, successor.y) > 3)
      kept.push_back(point);
  }
  return kept;
}

std::uint8_t GridByte(std::int32_t value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

std::vector<CellPoint> ReducePoints(std::span<const CellPoint> points) { return Repeat(points, ReduceOnce); }

std::vector<CellPoint> PruneCollinearPoints(std::span<const CellPoint> points) {
  return Repeat(points, PruneOnce);
}

std::vector<SegmentRecord> BuildSegments(std::span<const CellPoint> points, bool drop_short,
                                         std::size_t segment_limit) {
  std::vector<SegmentRecord> segments;
  for (std::size_t i = 0; i + 1 < points.size() && segments.size() < segment_limit; ++i) {
    if (points[i].pen_continues != 1) continue;
    const SegmentRecord segment{GridByte(points[i].x), GridByte(points[i].y), GridByte(points[i + 1].x),
                                GridByte(points[i + 1].y), 0};
    const int adx = std::abs(segment.dx());
    const int ady = std::abs(segment.dy());
    if (drop_short && !(adx + ady > 5 && (adx > 4 || ady > 4))) continue;
    segments.push_back(segment);
  }
  for (std::size_t i = 0; i < segments.size(); ++i) {
    SegmentRecord& segment = segments[i];
    if (i > 0 && segments[i - 1].link != kLinkPrevious && segments[i - 1].x1 == segment.x0 &&
        segments[i - 1].y1 == segment.y0) {
      segment.link = kLinkPrevious;
    }
    if (i + 1 < segments.size() && segments[i + 1].x0 == segment.x1 && segments[i + 1].y0 == segment.y1) {
      segment.link |= kLinkNext;
    }
  }
  return segments;
}

SegmentExtraction ExtractSegments(SegmentMode mode, std::span<const CellPoint> points,
                                  std::size_t segment_limit) {
  SegmentExtraction result;
  result.grid_points = ToGrid(mode, points);
  if (!result.grid_points.empty()) {
    const auto [low, high] =
        std::minmax_element(result.grid_points.begin(), result.grid_points.end(),
                            [](const CellPoint& a, const CellPoint& b) { return a.y < b.y; });
    result.grid_height = high->y - low->y;
  }
  const std::vector<CellPoint> reduced = PruneCollinearPoints(ReducePoints(result.grid_points));
  result.segments = BuildSegments(reduced, mode == SegmentMode::kLigatures, segment_limit);
  switch (mode) {
    case SegmentMode::kQuick:
      break;
    case SegmentMode::kLigatures:
    case SegmentMode::kLigaturesAll:
      ApplyRuleSet1(result.segments);
      ApplyRuleSet3(result.segments, result.grid_height);
      ApplyPenRule(result.segments);
      break;
    case SegmentMode::kSeparateScales:
      ApplyRuleSet1(result.segments);
      break;
  }
  return result;
}

void LiftMarkedSegments(const SegmentExtraction& extraction, std::span<CellPoint> points) {
  const std::vector<CellPoint>& grid = extraction.grid_points;
  const std::size_t n = std::min(grid.size(), points.size());
  for (const SegmentRecord& segment : extraction.segments) {
    if (!segment.removed()) continue;
    std::size_t start = 0;
    while (start < n && !(grid[start].x == segment.x0 && grid[start].y == segment.y0)) ++start;
    std::size_t end = start + 1;
    while (end < n && !(grid[end].x == segment.x1 && grid[end].y == segment.y1)) ++end;
    if (end >= n) continue;
    for (std::size_t i = start; i <= end; ++i) points[i].pen_continues = 0;
  }
}

}  // namespace kernel
