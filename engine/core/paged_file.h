// A model file read in pieces at given offsets, with its size known so that
// every offset and count from the file is checked before it is used.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vok {

class PagedFile {
 public:
  static constexpr std::size_t kBufferBytes = 512;

  PagedFile() = default;
  ~PagedFile() { Close(); }
  PagedFile(const PagedFile&) = delete;
  PagedFile& operator=(const PagedFile&) = delete;

  // Opens the file for reading (closing an earlier one). False when it cannot
  // be opened or its size cannot be told.
  bool Open(const char* path);
  void Close();
  bool is_open() const { return stream_ != nullptr; }
  int64_t size() const { return size_; }

  // True when [offset, offset + length) lies in the file.
  bool Holds(int64_t offset, int64_t length) const {
    return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
  }
  // Reads `length` bytes at `offset`; false (nothing promised in the buffer)
  // when the range is not in the file, the file is closed or the read fails.
  bool ReadAt(int64_t offset, void* buffer, std::size_t length);

 private:
  std::FILE* stream_ = nullptr;
  int64_t size_ = 0;
};

}  // namespace vok
