// The three exports of Helvane.dll. No exception leaves them: every failure
// answers the interface's own failure value.
#include <cstdint>

#include "platform/calling_convention.h"
#include "shapes/letters/helvane_library.h"

extern "C" WRENDLE_EXPORT void* WRENDLE_STDCALL CreateHELVANEbyZey(const char* prefix) {
  try {
    return const_cast<letters::TemplateTable*>(letters::ProcessLibrary().Create(prefix));
  } catch (...) {
    return nullptr;
  }
}

extern "C" WRENDLE_EXPORT int WRENDLE_STDCALL HELVANEbyZey(void* table, const wrendle::StrokeEntry* strokes,
                                                           std::uint8_t* codes) {
  try {
    return letters::ProcessLibrary().Recognize(table, strokes, codes);
  } catch (...) {
    return 0;
  }
}

extern "C" WRENDLE_EXPORT void WRENDLE_STDCALL FreeHELVANEbyZey(void* table) {
  try {
    letters::ProcessLibrary().Free(table);
  } catch (...) {
  }
}
