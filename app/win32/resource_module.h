// Where the controls load their bitmaps and cursors: the application's
// resource module, or the program's own module without an application.
#pragma once

#include <windows.h>

#include "app/framework/win_app.h"

namespace wrendle::app {

inline HINSTANCE ResourceModule() {
  const framework::CWinApp* app = framework::CWinApp::Current();
  return app != nullptr ? app->resource_handle() : framework::CWinApp::Instance();
}

}  // namespace wrendle::app
