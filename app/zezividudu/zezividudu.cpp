#include <windows.h>

#include "app/zezividudu/string_table.h"
#include "app/zezividudu/zezividudu_api.h"

namespace {

HINSTANCE g_module = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = module;
  return TRUE;
}

extern "C" HINSTANCE WRENDLE_STDCALL GetResourceHandle() { return g_module; }

extern "C" int WRENDLE_STDCALL LoadStringEx(unsigned short language, unsigned int id, char* buffer,
                                            int size) {
  return zezividudu::CopyString(language, id, buffer, size);
}
