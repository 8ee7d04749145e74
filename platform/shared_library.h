// A module (DLL) loaded at run time by the file name the system gives it,
// such as "SZUN32.DLL" or "tarnig.dll", with its entries bound by name.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class SharedLibrary {
 public:
  // Loads `file_name` with the system's search rules; a name with a directory
  // ("C:\\WINDOWS\\VOK-P.DLL") is loaded from there. Null when it can't be
  // loaded. Natively the Windows name maps to the shared object built beside
  // the executables (see NativeModulePath).
  static std::unique_ptr<SharedLibrary> Open(std::string_view file_name);

  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Null when the module has no entry of that name.
  void* Symbol(const char* name) const;

  template <typename Function>
  Function Entry(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

// Where modules without a directory are looked for first, after the
// executable's own folder on Windows (SetDllDirectory) and instead of it
// natively. An empty path restores the default.
void SetModuleSearchDirectory(const std::string& directory);

// The native file that stands for a Windows module name: the directory part
// kept (backslashes turned into slashes), the file name lower-cased with its
// extension replaced by ".so"; a name without a directory is looked for in
// `search_directory`.
std::string NativeModulePath(std::string_view file_name, std::string_view search_directory);

}  // namespace platform
