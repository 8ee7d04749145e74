// Process attach and detach of JEBHOOK32, which Windows maps into every GUI
// process its hooks reach.
#include <windows.h>

#include "hook/win32/module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return jebhook::win32::AttachProcess(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      jebhook::win32::DetachProcess(reserved != nullptr);
      return TRUE;
    default:
      return TRUE;
  }
}
