#include "engine/NetSearchEngine/hwr_recognizer_record.h"

namespace vok {

void HwrInk::Clear() {
  points_.clear();
  stroke_starts_.clear();
  stroke_lengths_.clear();
  box_ = HwrBox{};
}

bool HwrInk::AddStroke(const InkPoint* points, int count) {
  if (!points || count < 1 || count > kMaxPoints - point_count()) return false;
  const std::size_t needed = points_.size() + static_cast<std::size_t>(count);
  if (needed > points_.capacity()) {
    const std::size_t blocks = (needed + kGrowth - 1) / kGrowth;
    points_.reserve(blocks * kGrowth);
  }
  const HwrBox stroke = HwrBox::Of(points, count);
  if (points_.empty()) {
    box_ = stroke;
  } else {
    box_.Widen(stroke);
  }
  stroke_starts_.push_back(point_count());
  stroke_lengths_.push_back(count);
  points_.insert(points_.end(), points, points + count);
  return true;
}

HWRRecognizerRecord::~HWRRecognizerRecord() = default;

void HWRRecognizerRecord::set_result_script(int32_t script) {
  if (script == kHwrScriptSimplified || script == kHwrScriptTraditional) result_script_ = script;
}

}  // namespace vok
