// The export of the gesture library. Every failure answers 0, no gesture.
#include <optional>

#include "platform/calling_convention.h"
#include "shapes/gesture/gesture_classifier.h"

extern "C" WRENDLE_EXPORT int WRENDLE_STDCALL ZUNGesture(const wrendle::StrokeEntry* strokes,
                                                         int range_flags) {
  if (strokes == nullptr) return 0;
  try {
    const std::optional<wrendle::StrokeListView> view = wrendle::StrokeListView::ParseUnbounded(strokes);
    return view ? gesture::GestureResult(gesture::ShapeOf(*view), range_flags) : 0;
  } catch (...) {
    return 0;
  }
}
