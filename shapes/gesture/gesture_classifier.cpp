#include "shapes/gesture/gesture_classifier.h"

#include <optional>

#include "kernel/cell.h"
#include "kernel/code_page.h"
#include "kernel/quick_classifier.h"
#include "kernel/segment_extractor.h"

namespace gesture {

int ShapeOf(const wrendle::StrokeListView& strokes) {
  const std::optional<kernel::Cell> cell = kernel::TakeCell(strokes);
  if (!cell) return 0;
  const kernel::SegmentExtraction extraction =
      kernel::ExtractSegments(kernel::SegmentMode::kQuick, cell->points, kGestureSegmentLimit);
  return kernel::QuickClassify(extraction.segments, cell->stroke_count);
}

int GestureResult(int shape, int range_flags) {
  switch (shape) {
    case kernel::kShapeOne:
    case kernel::kShapeEight:
    case kernel::kShapeNine:
      return (range_flags & kernel::kRangeDigits) != 0 ? shape : 0;
    case kernel::kShapeCross:
      return (range_flags & kernel::kRangeChinese) != 0 ? shape : 0;
    case kernel::kShapeDot:
      return (range_flags & kernel::kRangeLetters) != 0 ? shape : 0;
    case kernel::kShapeNone:
      return 0;
    default:
      return shape;
  }
}

}  // namespace gesture
