// A gesture module that answers a scripted code and records the flags.
#include "common/stroke_list.h"
#include "dispatcher/tests/fakes/fake_control.h"

namespace {

int g_code = 0;
int g_calls = 0;
int g_last_flags = -1;

}  // namespace

extern "C" {

WRENDLE_EXPORT void WRENDLE_STDCALL FakeGestureReset(int code) {
  g_code = code;
  g_calls = 0;
  g_last_flags = -1;
}

WRENDLE_EXPORT int WRENDLE_STDCALL FakeGestureLastFlags() { return g_last_flags; }
WRENDLE_EXPORT int WRENDLE_STDCALL FakeGestureCalls() { return g_calls; }

WRENDLE_EXPORT int WRENDLE_STDCALL ZUNGesture(const wrendle::StrokeEntry*, int range_flags) {
  ++g_calls;
  g_last_flags = range_flags;
  return g_code;
}

}  // extern "C"
