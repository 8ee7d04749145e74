#include <windows.h>

#include "engine/api/win32/library_lifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  if (reason == DLL_PROCESS_DETACH) {
    if (reserved != nullptr) {
      vok::api::AbandonLibraryAtProcessExit();
    } else {
      vok::api::ReleaseLibrary();
    }
  }
  return TRUE;
}
