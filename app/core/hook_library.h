// The calls of the pen-input program into the hook library "JEBHOOK32",
// behind an interface of the program's own so that the portable code and
// its tests do not depend on the library.
#pragma once

#include <string_view>

#include "platform/notification_window.h"

namespace wrendle::app {

class HookLibrary {
 public:
  virtual ~HookLibrary() = default;
  // The last window of another program that took the focus, 0 when none.
  virtual platform::WindowHandle GetFocusWindow() = 0;
  // Puts the text into the composition string of that window; false when
  // the library could not take it.
  virtual bool PostImeString(std::string_view text) = 0;
  // The wait button's call: `waiting` and `flag` 0 end the capture that
  // waits for the button and recognize it; what the library returns.
  virtual int SetWaitingRecognize(int waiting, int flag, platform::WindowHandle window) = 0;
};

}  // namespace wrendle::app
