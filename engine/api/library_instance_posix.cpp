// Natively there is no registry: the library starts with empty stores (no
// install path), and windows are the queues of NotificationWindow.
#include <chrono>
#include <thread>

#include "engine/Vastel/check_hmm_resource_version.h"
#include "engine/api/library_instance.h"

namespace vok::api {

VokLibrary& Library() {
  static platform::MemoryRegistryStore machine;
  static platform::MemoryRegistryStore user;
  static const auto windows = platform::MakeSystemWindowNotifier();
  static VokLibrary library(
      LibraryEnvironment{machine, user, *windows,
                         [](const std::string& path) { return CheckHMMResourceVersion(path.c_str()) == 1; },
                         [](std::uint32_t milliseconds) {
                           std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
                         }});
  return library;
}

}  // namespace vok::api
