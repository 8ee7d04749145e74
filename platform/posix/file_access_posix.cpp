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

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) std::remove(temporary.c_str());
  return !error;
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
