#include "engine/core/paged_file.h"

#include <climits>

#include "engine/core/file_io.h"

namespace vok {

bool PagedFile::Open(const char* path) {
  Close();
  if (!path) return false;
  stream_ = std::fopen(path, "rb");
  if (!stream_) return false;
  // Reads are small and scattered: a small buffer, so that a seek does not
  // refill a large one for the few bytes it wants.
  std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
  const long long size = FileRemainingBytes(stream_);
  if (size < 0) {
    Close();
    return false;
  }
  size_ = size;
  return true;
}

void PagedFile::Close() {
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  size_ = 0;
}

bool PagedFile::ReadAt(int64_t offset, void* buffer, std::size_t length) {
  if (!stream_ || !Holds(offset, static_cast<int64_t>(length)) || offset > LONG_MAX) return false;
  if (std::fseek(stream_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return length == 0 || std::fread(buffer, 1, length, stream_) == length;
}

}  // namespace vok
