#include <windows.h>

#include <atomic>
#include <mutex>

#include "engine/Vastel/check_hmm_resource_version.h"
#include "engine/api/library_instance.h"
#include "engine/api/win32/library_lifetime.h"

namespace vok::api {
namespace {

struct SystemServices {
  std::unique_ptr<platform::RegistryStore> machine = platform::MakeMachineRegistryStore();
  std::unique_ptr<platform::RegistryStore> user = platform::MakeUserRegistryStore();
  std::unique_ptr<platform::WindowNotifier> windows = platform::MakeSystemWindowNotifier();
};

std::mutex g_creation_mutex;
std::atomic<VokLibrary*> g_library{nullptr};
SystemServices* g_services = nullptr;

}  // namespace

VokLibrary& Library() {
  if (VokLibrary* library = g_library.load()) return *library;
  std::lock_guard<std::mutex> lock(g_creation_mutex);
  if (g_library.load() == nullptr) {
    g_services = new SystemServices;
    g_library.store(new VokLibrary(
        LibraryEnvironment{*g_services->machine, *g_services->user, *g_services->windows,
                           [](const std::string& path) { return CheckHMMResourceVersion(path.c_str()) == 1; },
                           [](std::uint32_t milliseconds) { Sleep(milliseconds); }}));
  }
  return *g_library.load();
}

void ReleaseLibrary() {
  VokLibrary* library = g_library.exchange(nullptr);
  if (library == nullptr) return;
  // No thread of the library runs now: each holds a reference on it.
  delete library;
  delete g_services;
  g_services = nullptr;
}

void AbandonLibraryAtProcessExit() {
  if (VokLibrary* library = g_library.load()) library->AbandonAtProcessExit();
}

}  // namespace vok::api
