// A recognizer over the engine's pen recognizer in "VOK-P.DLL".
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "common/engine_pen_abi.h"
#include "dispatcher/char_recognizer.h"
#include "dispatcher/gesture_recognizer.h"
#include "dispatcher/pen_result_converter.h"
#include "platform/notification_window.h"
#include "platform/shared_library.h"

namespace wrendle {

class CEngineRecognizer : public CCharRecognizer {
 public:
  // Destroys the engine and releases the module.
  ~CEngineRecognizer() override;

  int Init() override;
  int SetRange(int range_flags) override;
  // Learning is not forwarded to the engine.
  int AttachLearn(const char*, const char*, const char*, const char*) override { return 0; }
  int Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) override;
  // Not 1: a repeated request for mode 1 always rebuilds the engine recognizer.
  int Mode() const override { return 3; }

  // Selects the engine user of the class's language.
  void SetEngineUser();

 protected:
  // `window` receives the engine's results; `windows_directory` holds the module.
  CEngineRecognizer(DispatcherState& state, CGestureRecognizer& gestures,
                    platform::NotificationWindow* window, std::string windows_directory,
                    const char* user_name);

 private:
  struct Entries {
    abi::VOKSetCurrentUserPFn set_current_user;
    abi::VOKInitializeExPFn initialize_ex;
    abi::VOKDestroyPFn destroy;
    abi::VOKStringToWordIDPFn string_to_word_id;
    abi::VOKWordIDToStringPFn word_id_to_string;
    abi::VOKSetParamPFn set_param;
    abi::VOKGetParamPFn get_param;
    abi::VOKSetNotificationPFn set_notification;
    abi::VOKPRRecognizePFn recognize;
    abi::VOKDeleteResultPFn delete_result;
    abi::VOKPRProcessStrokePFn process_stroke;
  };

  bool BindEntries();
  // Feeds the strokes, recognizes and waits for the result. Nullopt when the
  // strokes could not be fed; else the number of codes in `buffer_`.
  std::optional<int> RunPass(const CellStrokes& strokes);

  CGestureRecognizer& gestures_;
  platform::NotificationWindow* window_;
  std::string windows_directory_;
  const char* user_name_;
  std::unique_ptr<platform::SharedLibrary> library_;
  std::optional<Entries> entries_;  // set once the engine has started
  EngineCandidates buffer_{};
};

class CSimplifiedEngineRecognizer final : public CEngineRecognizer {
 public:
  CSimplifiedEngineRecognizer(DispatcherState& state, CGestureRecognizer& gestures,
                              platform::NotificationWindow* window, std::string windows_directory)
      : CEngineRecognizer(state, gestures, window, std::move(windows_directory), "ChinaMale") {}
  int LanguageId() const override;
};

class CTraditionalEngineRecognizer final : public CEngineRecognizer {
 public:
  CTraditionalEngineRecognizer(DispatcherState& state, CGestureRecognizer& gestures,
                               platform::NotificationWindow* window, std::string windows_directory)
      : CEngineRecognizer(state, gestures, window, std::move(windows_directory), "HongkongMale") {}
  int LanguageId() const override;
};

// The engine recognizer of `language` (2000 or 4000); null for another.
std::unique_ptr<CEngineRecognizer> MakeEngineRecognizer(int language, DispatcherState& state,
                                                        CGestureRecognizer& gestures,
                                                        platform::NotificationWindow* window,
                                                        const std::string& windows_directory);

}  // namespace wrendle
