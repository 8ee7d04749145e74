// SubWrendle.exe, the companion in the notification area.
#include <windows.h>

#include "companion/win32/sub_wrendle_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  companion::CSubWrendleApp theApp(command_line != nullptr ? command_line : "");
  return wrendle::framework::RunApplication(theApp);
}
