// The recognizer record of the handwriting sentence engine: the character
// recognizers and template models it asks, the settings that steer
// segmentation and recognition, and the ink of the current request.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/NetSearchEngine/hwr_box.h"
#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_ink_features.h"
#include "engine/core/hwr_recognizer.h"

namespace vok {

class HwrCodeConversion;

// Recognition range flags.
inline constexpr int32_t kHwrRangeSimplified = 0x1;
inline constexpr int32_t kHwrRangeTraditional = 0x2;
inline constexpr int32_t kHwrRangeLatin = 0x4;
inline constexpr int32_t kHwrRangeGesture = 0x8;
inline constexpr int32_t kHwrRangeFullWidth = 0x10;
inline constexpr int32_t kHwrRangeUpperCase = 0x20;
inline constexpr int32_t kHwrRangeLowerCase = 0x40;
inline constexpr int32_t kHwrRangeDigits = 0x80;
inline constexpr int32_t kHwrRangePunctuation = 0x100;

// Result scripts: the code page of the candidates.
inline constexpr int32_t kHwrScriptSimplified = 1;
inline constexpr int32_t kHwrScriptTraditional = 2;

// The ink of one request: strokes of {y, x} points, one after another.
class HwrInk {
 public:
  static constexpr int kGrowth = 1000;
  // Points of one request; beyond them strokes are refused.
  static constexpr int kMaxPoints = 200000;

  void Clear();
  // Appends the stroke and widens the box; false (nothing taken) for a
  // stroke without points or one that would pass kMaxPoints.
  bool AddStroke(const InkPoint* points, int count);

  const InkPoint* points() const { return points_.data(); }
  int point_count() const { return static_cast<int>(points_.size()); }
  int stroke_count() const { return static_cast<int>(stroke_starts_.size()); }
  int stroke_start(int s) const { return s < stroke_count() ? stroke_starts_[s] : point_count(); }
  int stroke_length(int s) const { return stroke_start(s + 1) - stroke_start(s); }
  // The lengths of the strokes, in order.
  const int* stroke_lengths() const { return stroke_lengths_.data(); }
  HwrBox StrokeBox(int s) const { return HwrBox::Of(points() + stroke_start(s), stroke_length(s)); }
  // The box of every point; meaningful once a stroke was taken.
  const HwrBox& box() const { return box_; }
  int64_t capacity_bytes() const { return static_cast<int64_t>(points_.capacity()) * 4; }

 private:
  std::vector<InkPoint> points_;
  std::vector<int> stroke_starts_;
  std::vector<int> stroke_lengths_;
  HwrBox box_;
};

struct HwrSettings {
  int32_t writing_direction = 1;  // 0 vertical, any other value horizontal
  int16_t initial_segment_delta = 10;
  int16_t segment_delta = 3;
  int32_t range = kHwrRangeSimplified | kHwrRangeTraditional;
};

class HWRRecognizerRecord {
 public:
  // The conversion table is the caller's and may be null (no candidate then
  // crosses the scripts).
  explicit HWRRecognizerRecord(const HwrCodeConversion* conversion) : conversion_(conversion) {}
  ~HWRRecognizerRecord();
  HWRRecognizerRecord(const HWRRecognizerRecord&) = delete;
  HWRRecognizerRecord& operator=(const HWRRecognizerRecord&) = delete;

  // Results in script 1 (GB2312) or 2 (Big5); other values are refused.
  void set_result_script(int32_t script);
  int32_t result_script() const { return result_script_; }

  void set_sc_recognizer(std::unique_ptr<CHWRRecognizer> recognizer) { sc_ = std::move(recognizer); }
  void set_tc_recognizer(std::unique_ptr<CHWRRecognizer> recognizer) { tc_ = std::move(recognizer); }
  void set_rom_recognizer(std::unique_ptr<CHWRRecognizer> recognizer) { rom_ = std::move(recognizer); }
  // The gesture model may be shared with the engine's data set.
  void set_gesture_models(std::shared_ptr<CHWRGestureModel> gesture, std::unique_ptr<CHWRGestureModel> anti) {
    gesture_ = std::move(gesture);
    anti_gesture_ = std::move(anti);
  }
  void set_punctuation_model(std::unique_ptr<CHWRGestureModel> model) { punctuation_ = std::move(model); }

  CHWRRecognizer* sc() const { return sc_.get(); }
  CHWRRecognizer* tc() const { return tc_.get(); }
  CHWRRecognizer* rom() const { return rom_.get(); }
  const CHWRGestureModel* gesture() const { return gesture_.get(); }
  const CHWRGestureModel* anti_gesture() const { return anti_gesture_.get(); }
  const CHWRGestureModel* punctuation() const { return punctuation_.get(); }
  const HwrCodeConversion* conversion() const { return conversion_; }

  HwrSettings settings;
  HwrInk ink;

 private:
  int32_t result_script_ = kHwrScriptSimplified;
  std::shared_ptr<CHWRGestureModel> gesture_;
  std::unique_ptr<CHWRGestureModel> anti_gesture_;
  std::unique_ptr<CHWRRecognizer> sc_;
  std::unique_ptr<CHWRRecognizer> tc_;
  std::unique_ptr<CHWRRecognizer> rom_;
  std::unique_ptr<CHWRGestureModel> punctuation_;
  const HwrCodeConversion* conversion_;
};

}  // namespace vok
