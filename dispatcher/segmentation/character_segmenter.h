// Character segmentation: cuts a line of handwriting written from left to
// right into character cells by the boxes of its strokes and the gaps between
// them. Thresholds are screen pixels; they scale with the screen and with the
// user's cut setting.
#pragma once

#include <cstdint>
#include <span>

#include "common/stroke_list.h"

namespace wrendle {

struct SegmentationParameters {
  std::int32_t margin_x = 10;  // added on each side of a stroke's box
  std::int32_t margin_y = 10;
  std::int32_t min_extent = 50;    // smallest width and height of a new cell
  std::int32_t gap_limit = 20;     // largest gap that joins a stroke to the open cell
  std::int32_t ratio_limit = 200;  // kept with the others; no step reads it
  std::int32_t point_value = 0;
};

class CharacterSegmenter {
 public:
  // 0 for a negative size (nothing changes); a 0 is replaced by the screen's
  // own width or height. Applies cut setting 50 and returns 1.
  int InitSegment(int width, int height);
  int CutSetting(int cut_setting);
  int GetCutSetting() const { return cut_setting_; }
  // Fixed, unscaled parameters for n > 1, the zero set otherwise.
  int CutSettingPoint(int n);
  int GetCutSettingPoint() const { return parameters_.point_value; }

  // Writes the SegmentEnds of at most `ends.size()` cells and returns their
  // number, or -1 for an empty `ends`.
  int Segment(const StrokeListView& strokes, std::span<std::int32_t> ends) const;

  const SegmentationParameters& parameters() const { return parameters_; }
  float scale() const { return scale_; }

 private:
  void ApplyZeroSet();

  SegmentationParameters parameters_;
  float scale_ = 1.0f;
  int cut_setting_ = 0;
};

// The one segmenter of the process that the segmentation exports serve.
CharacterSegmenter& ProcessSegmenter();

}  // namespace wrendle
