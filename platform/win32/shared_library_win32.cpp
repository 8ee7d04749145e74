#include <windows.h>

#include <string>

#include "platform/shared_library.h"

namespace platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(std::string_view file_name) {
  const std::string name(file_name);
  HMODULE module = LoadLibraryA(name.c_str());
  if (module == nullptr) return nullptr;
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(module));
}

SharedLibrary::~SharedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* SharedLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void SetModuleSearchDirectory(const std::string& directory) {
  SetDllDirectoryA(directory.empty() ? nullptr : directory.c_str());
}

}  // namespace platform
