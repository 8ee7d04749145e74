// wrendle32.exe, the pen-input program.
#include <windows.h>

#include "app/program/wrendle_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wrendle::app::CWrendleApp app;
  return wrendle::framework::RunApplication(app);
}
