// The dispatcher: one current recognizer built on request for a language and
// a mode, the gesture recognizer consulted before it, and the state they
// share. Every operation runs on the caller's (UI) thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dispatcher/char_recognizer.h"
#include "dispatcher/dispatcher_state.h"
#include "dispatcher/gesture_recognizer.h"
#include "platform/notification_window.h"
#include "platform/profile_store.h"

namespace wrendle {

class Zunmain {
 public:
  // Attach: creates the hidden notification window and loads the gesture
  // module; a missing gesture module only turns gestures off.
  // `profiles` serves "stroke.ini"; the engine module is looked for in
  // `windows_directory`.
  Zunmain(platform::ProfileStore& profiles, std::string windows_directory);
  // Detach: deletes the current recognizer.
  ~Zunmain();
  Zunmain(const Zunmain&) = delete;
  Zunmain& operator=(const Zunmain&) = delete;

  int InitRecognition(int language, int mode);
  void FreeRecognition();
  // `list` is the caller's StrokeList; `candidates` has room for 11 codes.
  // A list that is empty, malformed or over the point limit gives 0.
  int Recognition(const StrokeEntry* list, std::uint16_t* candidates, int learn_code);
  int SetRange(int range_flags);
  int AttachLearn(const char* features, const char* segments, const char* ink, const char* fourth);
  void SetPrevCharacter(int code);
  int SetRecognizeGesture(int use_gesture);
  int IsGesture(int query) const;

  const DispatcherState& state() const { return state_; }
  bool has_recognizer() const { return current_ != nullptr; }

 private:
  std::unique_ptr<CCharRecognizer> Build(int language, int mode);

  platform::ProfileStore& profiles_;
  std::string windows_directory_;
  DispatcherState state_;
  std::unique_ptr<platform::NotificationWindow> window_;
  CGestureRecognizer gestures_;
  bool gesture_library_present_ = false;
  std::unique_ptr<CCharRecognizer> current_;
};

}  // namespace wrendle
