#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file_access.h"

namespace platform {

std::string HostProgramDirectory() {
  const char* directory = std::getenv("WRENDLE_PROGRAM_DIR");
  if (directory != nullptr && *directory != '\0') return directory;
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : exe.parent_path().string();
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteNewFile(const std::string& new_path, std::span<const std::uint8_t> bytes) {
  const int file = ::open(new_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) return false;
  bool written = true;
  std::size_t done = 0;
  while (written && done < bytes.size()) {
    const ssize_t count = ::write(file, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    written = count > 0;
    if (written) done += static_cast<std::size_t>(count);
  }
  written = written && ::fsync(file) == 0;
  written = ::close(file) == 0 && written;
  if (!written) ::unlink(new_path.c_str());
  return written;
}

bool ReplaceWithNewFile(const std::string& new_path, const std::string& path) {
  if (::rename(new_path.c_str(), path.c_str()) == 0) return true;
  ::unlink(new_path.c_str());
  return false;
}

bool AppendToFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::error_code error;
  const bool existed = std::filesystem::exists(path, error);
  const std::uintmax_t old_size = existed ? std::filesystem::file_size(path, error) : 0;
  if (error) return false;
  bool written = false;
  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    written = static_cast<bool>(out);
  }
  if (!written) std::filesystem::resize_file(path, old_size, error);
  return written;
}

bool RemoveFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  return !FileExists(path);
}

}  // namespace platform
