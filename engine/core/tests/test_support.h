// Helpers of the engine core tests: captured message streams, environment
// variables, byte strings.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/messages.h"

namespace vok_test {

// Sends the printers' standard output and error stream to temporary files for
// the life of the object.
class CapturedMessages {
 public:
  CapturedMessages() : out_(std::tmpfile()), err_(std::tmpfile()) { vok::SetMessageStreams(out_, err_); }
  ~CapturedMessages() {
    vok::SetMessageStreams(nullptr, nullptr);
    if (out_) std::fclose(out_);
    if (err_) std::fclose(err_);
  }
  CapturedMessages(const CapturedMessages&) = delete;
  CapturedMessages& operator=(const CapturedMessages&) = delete;

  std::string Output() const { return ReadAll(out_); }
  std::string Errors() const { return ReadAll(err_); }

 private:
  static std::string ReadAll(std::FILE* f) {
    if (!f) return std::string();
    std::fflush(f);
    const long here = std::ftell(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fseek(f, here, SEEK_SET);
    return text;
  }
  std::FILE* out_;
  std::FILE* err_;
};

// Sends the log stream to a temporary file for the life of the object.
class CapturedLogStream {
 public:
  CapturedLogStream() : file_(std::tmpfile()) { vok::SetLogStream(file_); }
  ~CapturedLogStream() {
    vok::SetLogStream(nullptr);
    if (file_) std::fclose(file_);
  }
  CapturedLogStream(const CapturedLogStream&) = delete;
  CapturedLogStream& operator=(const CapturedLogStream&) = delete;

  std::string Text() const {
    if (!file_) return std::string();
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
    return text;
  }

 private:
  std::FILE* file_;
};

inline void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value ? value : "");
#else
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

// Number of times `needle` occurs in `text`.
inline int Occurrences(const std::string& text, const std::string& needle) {
  int n = 0;
  for (std::size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) ++n;
  return n;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

}  // namespace vok_test
