#include <dlfcn.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/shared_library.h"

namespace platform {
namespace {

std::mutex g_directory_mutex;
std::string g_search_directory;

std::string ExecutableDirectory() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return ".";
  path.resize(static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string SearchDirectory() {
  std::lock_guard<std::mutex> lock(g_directory_mutex);
  return g_search_directory.empty() ? ExecutableDirectory() : g_search_directory;
}

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::Open(std::string_view file_name) {
  const std::string path = NativeModulePath(file_name, SearchDirectory());
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

void SetModuleSearchDirectory(const std::string& directory) {
  std::lock_guard<std::mutex> lock(g_directory_mutex);
  g_search_directory = directory;
}

}  // namespace platform
