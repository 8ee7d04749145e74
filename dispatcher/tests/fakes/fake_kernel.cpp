// A kernel module that records what it is given and answers as scripted.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/stroke_list.h"
#include "dispatcher/tests/fakes/fake_control.h"

namespace {

fakes::KernelLog g_log;
int g_init_result = 1;
int g_recognize_result = 0;
std::uint16_t g_codes[10];
int g_code_count = 0;

[[maybe_unused]] void CopyName(char* target, const char* name) {
  if (name == nullptr) {
    std::strcpy(target, "(null)");
    return;
  }
  std::strncpy(target, name, sizeof g_log.attach_names[0] - 1);
}

// What the real kernels refuse: a list that does not parse, a cell of more
// than kMaxRecognizerPoints points, or one whose box is at most 10 pixels
// both ways.
bool KernelRefuses(const std::optional<wrendle::StrokeListView>& view) {
  if (!view || view->point_count() > wrendle::kMaxRecognizerPoints) return true;
  bool any = false;
  std::int64_t left = 0, right = 0, top = 0, bottom = 0;
  for (const wrendle::StrokeView& stroke : view->strokes()) {
    for (const wrendle::StrokeEntry& point : stroke.points) {
      left = any ? std::min<std::int64_t>(left, point.x) : point.x;
      right = any ? std::max<std::int64_t>(right, point.x) : point.x;
      top = any ? std::min<std::int64_t>(top, point.y) : point.y;
      bottom = any ? std::max<std::int64_t>(bottom, point.y) : point.y;
      any = true;
    }
  }
  return right - left <= 10 && bottom - top <= 10;
}

// Tests that run the program as a process of their own read the calls from
// the file named by WRENDLE_FAKE_KERNEL_LOG: one line "recognize <strokes>
// <points> <learn code>" per recognition call.
void AppendToLogFile() {
  const char* path = std::getenv("WRENDLE_FAKE_KERNEL_LOG");
  if (path == nullptr || path[0] == '\0') return;
  if (std::FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "recognize %d %d %d\n", g_log.last_stroke_count, g_log.last_point_count,
                 g_log.last_learn_code);
    std::fclose(file);
  }
}

}  // namespace

extern "C" {

WRENDLE_EXPORT void WRENDLE_STDCALL FakeKernelReset(int init_result, int recognize_result,
                                                    const std::uint16_t* codes, int code_count) {
  g_log = {};
  g_init_result = init_result;
  g_recognize_result = recognize_result;
  g_code_count = std::clamp(code_count, 0, 10);
  std::copy_n(codes, g_code_count, g_codes);
}

WRENDLE_EXPORT const fakes::KernelLog* WRENDLE_STDCALL FakeKernelGetLog() { return &g_log; }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNInitRecognition() {
  ++g_log.init_calls;
  return g_init_result;
}

WRENDLE_EXPORT void WRENDLE_STDCALL ZUNFreeRecognition() { ++g_log.free_calls; }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNRecognition(const wrendle::StrokeEntry* strokes,
                                                  std::uint16_t* candidates, int learn_code) {
  ++g_log.recognize_calls;
  g_log.last_learn_code = learn_code;
  const auto view = wrendle::StrokeListView::ParseUnbounded(strokes);
  g_log.last_stroke_count = view ? static_cast<int>(view->stroke_count()) : -1;
  g_log.last_point_count = view ? static_cast<int>(view->point_count()) : -1;
  AppendToLogFile();
  if (KernelRefuses(view) || (candidates == nullptr && learn_code == 0)) return 0;
  if (candidates != nullptr) std::copy_n(g_codes, g_code_count, candidates);
  return g_recognize_result;
}

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNSetRange(int range_flags) {
  ++g_log.set_range_calls;
  g_log.last_range = range_flags;
  return range_flags;
}

#ifndef FAKE_KERNEL_WITHOUT_ATTACH
WRENDLE_EXPORT int WRENDLE_STDCALL ZUNAttachLearn(const char* features, const char* segments, const char* ink,
                                                  const char* fourth) {
  ++g_log.attach_calls;
  CopyName(g_log.attach_names[0], features);
  CopyName(g_log.attach_names[1], segments);
  CopyName(g_log.attach_names[2], ink);
  CopyName(g_log.attach_names[3], fourth);
  return 1;
}
#endif

}  // extern "C"
