// The segmentation exports. Zunmain and both kernels build this file in and
// name the functions in their .def files (decorated in Zunmain, plain in the
// kernels). Nothing leaves an export.
#include <optional>
#include <span>

#include "dispatcher/export_barrier.h"
#include "dispatcher/segmentation/character_segmenter.h"
#include "platform/calling_convention.h"

using wrendle::CallGuarded;
using wrendle::ProcessSegmenter;

extern "C" {

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNInitSegment(int screen_width, int screen_height) {
  return CallGuarded(0, [&] { return ProcessSegmenter().InitSegment(screen_width, screen_height); });
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNSegment(const wrendle::StrokeEntry* strokes, std::int32_t* segment_ends,
                                              int max_cells) {
  if (strokes == nullptr || segment_ends == nullptr || max_cells <= 0) return -1;
  const auto view = CallGuarded(std::optional<wrendle::StrokeListView>(),
                                [&] { return wrendle::StrokeListView::ParseUnbounded(strokes); });
  if (!view) return -1;
  return CallGuarded(-1, [&] {
    return ProcessSegmenter().Segment(
        *view, std::span<std::int32_t>(segment_ends, static_cast<std::size_t>(max_cells)));
  });
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNCutSetting(int cut_setting) {
  return CallGuarded(0, [&] { return ProcessSegmenter().CutSetting(cut_setting); });
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNGetCutSetting() { return ProcessSegmenter().GetCutSetting(); }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNCutSettingPoint(int n) { return ProcessSegmenter().CutSettingPoint(n); }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNGetCutSettingPoint() { return ProcessSegmenter().GetCutSettingPoint(); }

}  // extern "C"
