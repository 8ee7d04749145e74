// The write-new-then-replace steps shared by every platform.
#include "platform/file_access.h"

namespace platform {

bool WriteThroughNewFile(const std::string& path, const std::string& new_path,
                         std::span<const std::uint8_t> bytes) {
  return WriteNewFile(new_path, bytes) && ReplaceWithNewFile(new_path, path);
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  return WriteThroughNewFile(path, path + ".new", bytes);
}

}  // namespace platform
