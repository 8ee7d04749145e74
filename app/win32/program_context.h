// What the program's recognition frames share, owned by the application
// object: the settings, the user code map, the dispatcher and hook library
// bindings, the recognition driver and the hidden rich-edit window.
#pragma once

#include <windows.h>

#include "app/core/hook_library.h"
#include "app/core/recognition_dispatcher.h"
#include "app/core/recognition_driver.h"
#include "app/core/settings.h"
#include "app/core/user_map.h"

namespace wrendle::app {

struct ProgramContext {
  Settings& settings;
  CUserMap& user_map;
  RecognitionDispatcher& dispatcher;
  HookLibrary& hook;
  RecognitionDriver& driver;
  // The hidden "RichEdit20W" window, null when "Riched20.dll" is missing.
  HWND rich_edit = nullptr;
};

}  // namespace wrendle::app
