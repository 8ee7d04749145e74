#include "engine/core/replacing_file.h"

#include <filesystem>
#include <system_error>

namespace vok {

ReplacingFile::ReplacingFile(const char* path) : path_(path ? path : "") {
  if (path_.empty()) return;
  temporary_ = path_ + ".new";
  stream_ = std::fopen(temporary_.c_str(), "wb");
}

ReplacingFile::~ReplacingFile() {
  if (stream_) std::fclose(stream_);
  if (!committed_ && !temporary_.empty()) std::remove(temporary_.c_str());
}

int ReplacingFile::Commit() {
  if (!stream_) return -1;
  const bool written = std::ferror(stream_) == 0 && std::fflush(stream_) == 0;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!written || !closed) return -1;
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) return -1;
  committed_ = true;
  return 0;
}

}  // namespace vok
