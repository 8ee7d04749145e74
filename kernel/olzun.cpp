#include "kernel/olzun.h"

#include <algorithm>

#include "kernel/quick_classifier.h"

namespace kernel {

std::uint16_t CharacterOne(CodePage code_page) { return code_page == CodePage::kBig5 ? 0x40A4 : 0xBBD2; }

std::unique_ptr<Olzun> Olzun::Create(const KernelConfig& config) {
  auto created = KernelCore::Create(config);
  auto* core = std::get_if<std::unique_ptr<KernelCore>>(&created);
  if (core == nullptr) return nullptr;
  return std::unique_ptr<Olzun>(new Olzun(std::move(*core)));
}

std::uint16_t Olzun::ShortCircuitCode(int shape) const {
  const int flags = core_->range_flags();
  switch (shape) {
    case kShapeOne:
    case kShapeEight:
    case kShapeNine:
      return (flags & kRangeDigits) != 0 ? static_cast<std::uint16_t>(shape) : 0;
    case kShapeCross:
      return (flags & kRangeChinese) != 0 ? CharacterOne(core_->code_page()) : 0;
    case kShapeDot:
      return (flags & kRangeLetters) != 0 ? static_cast<std::uint16_t>('i') : 0;
    default:
      return 0;
  }
}

int Olzun::Recognize(std::span<const wrendle::StrokeEntry> stroke_list, std::span<std::uint16_t, 10> codes,
                     int learn_code) {
  if (learn_code != 0) return core_->Learn(stroke_list, static_cast<std::uint16_t>(learn_code)) ? 1 : 0;
  const std::optional<wrendle::StrokeListView> strokes = wrendle::StrokeListView::Parse(stroke_list);
  if (!strokes) return 0;
  const std::optional<Cell> cell = TakeCell(*strokes);
  if (!cell) return 0;
  const SegmentExtraction quick = core_->QuickSegments(*cell);
  const int shape = QuickClassify(quick.segments, cell->stroke_count);
  if (shape <= 48 || shape > kShapeDot) return shape;
  const bool known_shape = shape == kShapeOne || shape == kShapeEight || shape == kShapeNine ||
                           shape == kShapeCross || shape == kShapeDot || shape == kShapeNone;
  if (!known_shape) return shape;
  if (const std::uint16_t code = ShortCircuitCode(shape); code != 0) {
    codes[0] = code;
    return 1;
  }
  const std::vector<std::uint16_t> found = core_->Recognize(*cell, quick.segments);
  std::copy(found.begin(), found.end(), codes.begin());
  return static_cast<int>(found.size());
}

int Olzun::SetRange(int flags) {
  core_->set_range_flags(flags);
  return flags;
}

int Olzun::AttachLearn(const LearningNameChanges& changes,
                       const std::function<void(std::size_t, std::size_t)>& progress) {
  const AttachResult result = core_->AttachLearn(changes);
  if (result.error == LoadError::kMismatch && result.convertible) return ConvertLearn(changes, progress);
  last_error_ = static_cast<int>(result.error);
  return result.error == LoadError::kNone ? 1 : 0;
}

int Olzun::ConvertLearn(const LearningNameChanges& changes,
                        const std::function<void(std::size_t, std::size_t)>& progress) {
  return core_->ConvertLearn(changes, progress) ? 1 : 0;
}

}  // namespace kernel
