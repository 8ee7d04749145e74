// Whether a press starts a capture: the checks on what lies under the press,
// and the hold-and-move test of mouse mode 1 over an injected clock and
// cursor.
#pragma once

#include <cstdint>
#include <string_view>

#include "hook/core/shared_block.h"

namespace jebhook {

// Hit-test codes of a press that may start a capture: HTNOWHERE, HTCLIENT,
// HTBORDER, HTERROR, HTTRANSPARENT.
bool IsCaptureHitTest(std::int32_t hit_test);

// "Button", "ComboBox", "ListBox" and the pen-input program's writing class
// "JebWrite", in any case: a press on them never starts a capture.
bool IsExcludedClass(std::string_view class_name);

// What the system says about the press, gathered by the caller.
struct PressFacts {
  std::int32_t mouse_mode;  // of the active owner's slot
  bool menu_open;
  bool excluded_class;     // the window under the point
  bool over_owner_window;  // the top-level window under the point is the owner's
  bool inside_work_area;
};

enum class PressVerdict {
  kRefuse,
  kCapture,   // mode 2
  kHoldTest,  // mode 1: RunHoldTest decides
};
PressVerdict JudgePress(const PressFacts& facts);

class PointerProbe {
 public:
  virtual ~PointerProbe() = default;
  // Milliseconds of a clock that wraps at 2^32 (the tick count).
  virtual std::uint32_t NowMs() = 0;
  virtual Point32 Cursor() = 0;
  virtual bool LeftButtonDown() = 0;
  // Between two looks at the clock and the cursor.
  virtual void Pause() = 0;
};

// Mode 1: waits for the clock to move on (the button released meanwhile:
// false), then until the hold window has elapsed sums the squared distances
// between successive cursor positions; speed = sum x 1000 / elapsed ms. A
// speed above the threshold passes; after 300 ms a speed at or below an eighth
// of it fails, as do a released button and the end of the window.
bool RunHoldTest(PointerProbe& probe, std::int32_t speed_threshold, std::int32_t hold_window_ms);

}  // namespace jebhook
