// Writes a file so that a failure loses nothing: the bytes go to a new file
// beside the path, which replaces the old file only once all of it is
// written.
#pragma once

#include <cstdio>
#include <string>

namespace vok {

class ReplacingFile {
 public:
  // Opens "<path>.new" for binary writing.
  explicit ReplacingFile(const char* path);
  // Removes the new file when Commit did not run or failed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The stream to write to; null when the new file cannot be made.
  std::FILE* stream() const { return stream_; }
  // Closes the new file and puts it in place of the path. 0, or -1 when the
  // stream failed, a write or the close failed, or the rename failed (the old
  // file is then untouched).
  int Commit();

 private:
  std::string path_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
  bool committed_ = false;
};

}  // namespace vok
