#include "dispatcher/segmentation/character_segmenter.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/system_info.h"

namespace wrendle {
namespace {

// A threshold in whole pixels; a cut setting so large that the product leaves
// the int32 range gives the largest threshold instead of an undefined one.
std::int32_t ThresholdOf(double value) {
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, kLowest, kHighest));
}

// Coordinates are widened so that margins added to extreme values can't overflow.
struct CellBox {
  std::int64_t left, top, right, bottom;
  std::int32_t end;  // strokes up to and including the cell's last stroke
};

// An axis of two boxes overlaps when one lies inside the other, or when the
// shared part exceeds 30 % of their joint extent.
bool AxisOverlaps(std::int64_t a1, std::int64_t a2, std::int64_t s1, std::int64_t s2) {
  const auto shared_fraction_exceeds = [&](std::int64_t shared) {
    const std::int64_t united = std::max(s2, a2) - std::min(a1, s1);
    return united > 0 && static_cast<double>(shared) / static_cast<double>(united) > 0.3;
  };
  if (a1 < s1) {
    if (s1 >= a2) return false;
    return s2 < a2 || shared_fraction_exceeds(a2 - s1);
  }
  if (a1 < s2) return a2 < s2 || shared_fraction_exceeds(s2 - a1);
  return false;
}

bool Overlaps(const CellBox& a, const CellBox& s) {
  return AxisOverlaps(a.left, a.right, s.left, s.right) || AxisOverlaps(a.top, a.bottom, s.top, s.bottom);
}

// Sum of the positive horizontal and vertical distances from P (earlier) to Q.
std::int64_t Gap(const CellBox& p, const CellBox& q) {
  const std::int64_t horizontal = p.left < q.left ? q.left - p.right : p.left - q.right;
  const std::int64_t vertical = p.top < q.top ? q.top - p.bottom : p.top - q.bottom;
  return std::max<std::int64_t>(horizontal, 0) + std::max<std::int64_t>(vertical, 0);
}

void Unite(CellBox& a, const CellBox& b) {
  a.left = std::min(a.left, b.left);
  a.top = std::min(a.top, b.top);
  a.right = std::max(a.right, b.right);
  a.bottom = std::max(a.bottom, b.bottom);
}

CellBox StrokeBox(const StrokeView& stroke, const SegmentationParameters& p) {
  CellBox box{stroke.points[0].x, stroke.points[0].y, stroke.points[0].x, stroke.points[0].y, 0};
  for (const StrokeEntry& point : stroke.points) {
    box.left = std::min<std::int64_t>(box.left, point.x);
    box.top = std::min<std::int64_t>(box.top, point.y);
    box.right = std::max<std::int64_t>(box.right, point.x);
    box.bottom = std::max<std::int64_t>(box.bottom, point.y);
  }
  box.left = std::max<std::int64_t>(0, box.left - p.margin_x);
  box.top = std::max<std::int64_t>(0, box.top - p.margin_y);
  box.right += p.margin_x;
  box.bottom += p.margin_y;
  return box;
}

CellBox OpenCell(const CellBox& stroke, const SegmentationParameters& p) {
  CellBox cell = stroke;
  cell.right = std::max(stroke.right, stroke.left + p.min_extent);
  cell.bottom = std::max(stroke.bottom, stroke.top + p.min_extent);
  return cell;
}

// Joins strokes to the open cell while they overlap it and lie within the gap
// limit. At most `max_closed` cells are closed before the last one.
std::vector<CellBox> GroupStrokes(const StrokeListView& strokes, const SegmentationParameters& p,
                                  std::size_t max_closed) {
  std::vector<CellBox> cells;
  CellBox open{};
  bool has_open = false;
  std::int32_t read = 0;
  for (const StrokeView& stroke : strokes.strokes()) {
    if (cells.size() >= max_closed) break;
    const CellBox box = StrokeBox(stroke, p);
    if (!has_open) {
      open = OpenCell(box, p);
      has_open = true;
    } else if (!Overlaps(open, box) || Gap(open, box) > p.gap_limit) {
      open.end = read;
      cells.push_back(open);
      open = OpenCell(box, p);
    } else {
      Unite(open, box);
    }
    ++read;
  }
  open.end = read;
  cells.push_back(open);  // an empty list gives one cell with end 0
  return cells;
}

// Joins each cell to the one before it when their gap is at most half the gap limit.
std::vector<CellBox> MergeCells(const std::vector<CellBox>& cells, const SegmentationParameters& p) {
  if (cells.size() <= 1) return cells;
  const std::int64_t limit = p.gap_limit / 2;
  std::vector<CellBox> kept{cells.front()};
  for (std::size_t i = 1; i < cells.size(); ++i) {
    CellBox& anchor = kept.back();
    if (Gap(anchor, cells[i]) > limit) {
      kept.push_back(cells[i]);
    } else {
      Unite(anchor, cells[i]);
      anchor.end = cells[i].end;
    }
  }
  return kept;
}

}  // namespace

int CharacterSegmenter::InitSegment(int width, int height) {
  if (width < 0 || height < 0) return 0;
  if (width == 0 || height == 0) {
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    if (width == 0) width = screen.width;
    if (height == 0) height = screen.height;
  }
  const float by_width = static_cast<float>(width) / 640.0f;
  const float by_height = static_cast<float>(height) / 480.0f;
  scale_ = by_width > by_height ? by_width : by_height;
  parameters_.gap_limit = static_cast<std::int32_t>(scale_ * 20.0f);
  parameters_.margin_x = static_cast<std::int32_t>(scale_ * 10.0f);
  parameters_.margin_y = parameters_.margin_x;
  parameters_.min_extent = static_cast<std::int32_t>(scale_ * 50.0f);
  parameters_.ratio_limit = static_cast<std::int32_t>(scale_ * 200.0f);
  CutSetting(50);
  return 1;
}

int CharacterSegmenter::CutSetting(int cut_setting) {
  cut_setting_ = cut_setting;
  if (cut_setting <= 1) {
    ApplyZeroSet();
    parameters_.point_value = 0;
    return cut_setting;
  }
  const double factor = (static_cast<double>(cut_setting) + 50.0) / 100.0 * static_cast<double>(scale_);
  parameters_.margin_x = ThresholdOf(factor * 10.0);
  parameters_.min_extent = ThresholdOf(factor * 50.0);
  parameters_.point_value = ThresholdOf(factor * 1024.0);
  parameters_.ratio_limit = ThresholdOf(factor * 200.0);
  parameters_.gap_limit = static_cast<std::int16_t>(ThresholdOf(factor * 20.0));
  return cut_setting;
}

int CharacterSegmenter::CutSettingPoint(int n) {
  if (n > 1) {
    parameters_.margin_x = 10;
    parameters_.min_extent = 50;
    parameters_.ratio_limit = 200;
    parameters_.gap_limit = 20;
    parameters_.point_value = 20;
  } else {
    ApplyZeroSet();
    parameters_.point_value = 0;
  }
  return n;
}

void CharacterSegmenter::ApplyZeroSet() {
  parameters_.margin_x = 0;
  parameters_.min_extent = 10;
  parameters_.ratio_limit = 0;
  parameters_.gap_limit = 0;
}

int CharacterSegmenter::Segment(const StrokeListView& strokes, std::span<std::int32_t> ends) const {
  if (ends.empty()) return -1;
  // The grouping pass may close up to 50 cells per wanted cell, and never
  // more cells than there are strokes.
  const std::uint64_t wanted = static_cast<std::uint64_t>(ends.size()) * 50;
  const std::size_t max_closed =
      static_cast<std::size_t>(std::min<std::uint64_t>(wanted, strokes.stroke_count() + 1));
  std::vector<CellBox> cells = GroupStrokes(strokes, parameters_, max_closed);
  for (int pass = 0; pass < 2; ++pass) cells = MergeCells(cells, parameters_);
  const std::size_t count = std::min(cells.size(), ends.size());
  for (std::size_t i = 0; i < count; ++i) ends[i] = cells[i].end;
  return static_cast<int>(count);
}

CharacterSegmenter& ProcessSegmenter() {
  static CharacterSegmenter segmenter;
  return segmenter;
}

}  // namespace wrendle
