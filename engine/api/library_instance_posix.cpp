// Natively there is no registry: the library starts with stores in memory,
// whose machine root holds "InstallPath" from the environment variable
// WRENDLE_ENGINE_INSTALL_PATH when it is set (the install tree that
// tools/make_engine_install lays out). Windows are the queues of
// NotificationWindow.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/Vastel/check_hmm_resource_version.h"
#include "engine/api/library_instance.h"

namespace vok::api {
namespace {

constexpr char kInstallPathVariable[] = "WRENDLE_ENGINE_INSTALL_PATH";

platform::MemoryRegistryStore& MachineStore() {
  static platform::MemoryRegistryStore machine = [] {
    platform::MemoryRegistryStore store;
    if (const char* path = std::getenv(kInstallPathVariable))
      store.WriteText(kEngineRegistryKey, "InstallPath", path);
    return store;
  }();
  return machine;
}

}  // namespace

VokLibrary& Library() {
  static platform::MemoryRegistryStore user;
  static const auto windows = platform::MakeSystemWindowNotifier();
  static VokLibrary library(
      LibraryEnvironment{MachineStore(), user, *windows,
                         [](const std::string& path) { return CheckHMMResourceVersion(path.c_str()) == 1; },
                         [](std::uint32_t milliseconds) {
                           std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
                         }});
  return library;
}

}  // namespace vok::api
