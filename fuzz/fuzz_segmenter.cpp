// Character segmentation through its exports: the input sets the screen size,
// the cut settings and the number of cells the caller has room for, and the
// rest is the StrokeList of a line of handwriting.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/stroke_list.h"
#include "fuzz/fuzz_support.h"
#include "platform/calling_convention.h"

extern "C" {
int WRENDLE_STDCALL ZUNInitSegment(int screen_width, int screen_height);
int WRENDLE_STDCALL ZUNSegment(const wrendle::StrokeEntry* strokes, std::int32_t* segment_ends,
                               int max_cells);
int WRENDLE_STDCALL ZUNCutSetting(int cut_setting);
int WRENDLE_STDCALL ZUNCutSettingPoint(int n);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Input input(data, size);
  const int width = input.Int32() % 10000;
  const int height = input.Int32() % 10000;
  const int cut_setting = input.Int32();
  const int point_setting = input.Int32();
  const int max_cells = input.Byte() % 12;
  ZUNInitSegment(width, height);
  ZUNCutSetting(cut_setting);
  if (point_setting % 2 != 0) ZUNCutSettingPoint(point_setting);
  const std::vector<wrendle::StrokeEntry> strokes = fuzz_support::StrokeListOf(input.rest());
  std::vector<std::int32_t> ends(static_cast<std::size_t>(max_cells) + 1, -7);
  const int cells = ZUNSegment(strokes.data(), ends.data(), max_cells);
  // Never more cells than room, nothing written beyond it, and cell ends that
  // rise within the strokes of the line (an empty line is one cell ending at 0).
  if (cells > max_cells || ends[static_cast<std::size_t>(max_cells)] != -7) std::abort();
  const auto view = wrendle::StrokeListView::ParseUnbounded(strokes.data());
  if (view && view->stroke_count() == 0) return 0;
  std::int32_t previous = 0;
  for (int i = 0; i < cells; ++i) {
    const std::int32_t end = ends[static_cast<std::size_t>(i)];
    if (!view || end <= previous || static_cast<std::size_t>(end) > view->stroke_count()) std::abort();
    previous = end;
  }
  return 0;
}
