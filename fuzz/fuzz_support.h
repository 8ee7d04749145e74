// Helpers shared by the fuzz targets: a scratch folder that lives as long as
// the process, files written from the input, and the input seen as the
// StrokeList a caller would hand over.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/stroke_list.h"

namespace fuzz_support {

// One folder per fuzzing process, removed at exit. In memory where the
// system offers a memory file system: targets write files on every run.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path memory = "/dev/shm";
    const fs::path base = fs::is_directory(memory, error) ? memory : fs::temp_directory_path();
    path_ = base / ("wrendle-fuzz-" + std::to_string(getpid()));
    fs::remove_all(path_, error);
    fs::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline const ScratchDirectory& Scratch() {
  static const ScratchDirectory directory;
  return directory;
}

inline std::string ScratchFile(const std::string& name) { return Scratch().File(name); }

inline void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Splits the input into the leading bytes a target takes as its choices and
// the rest.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t value = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return value;
  }
  std::int32_t Int32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  std::span<const std::uint8_t> rest() const { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
};

// The bytes as 8-byte entries {int32 x, int32 y} (a trailing part entry is
// dropped) in a buffer of kMaxStrokeListEntries entries, the most any writer
// fills and any reader looks at; the entries after the input are end entries.
inline std::vector<wrendle::StrokeEntry> StrokeListOf(std::span<const std::uint8_t> bytes) {
  std::vector<wrendle::StrokeEntry> entries(wrendle::kMaxStrokeListEntries, wrendle::StrokeEntry{0, 0});
  const std::size_t count = std::min(bytes.size() / sizeof(wrendle::StrokeEntry), entries.size() - 1);
  if (count > 0) std::memcpy(entries.data(), bytes.data(), count * sizeof(wrendle::StrokeEntry));
  return entries;
}

}  // namespace fuzz_support
