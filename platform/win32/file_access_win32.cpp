#include <windows.h>

#include <algorithm>

#include "platform/file_access.h"

namespace platform {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

std::string HostProgramDirectory() {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return ".";
  std::string path(buffer, length);
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                    nullptr)) {
      return std::nullopt;
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

bool WriteNewFile(const std::string& new_path, std::span<const std::uint8_t> bytes) {
  bool written = false;
  {
    FileHandle file(CreateFileA(new_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  }
  if (!written) DeleteFileA(new_path.c_str());
  return written;
}

bool ReplaceWithNewFile(const std::string& new_path, const std::string& path) {
  if (MoveFileExA(new_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(new_path.c_str());
  return false;
}

bool AppendToFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER old_size;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, &old_size, FILE_END)) return false;
  if (WriteAll(file.get(), bytes)) return true;
  SetFilePointerEx(file.get(), old_size, nullptr, FILE_BEGIN);
  SetEndOfFile(file.get());
  return false;
}

bool RemoveFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  return !FileExists(path);
}

}  // namespace platform
