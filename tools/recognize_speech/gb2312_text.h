// GB2312 text of the China folder as UTF-8, through the C library's
// character-set conversion.
#pragma once

#include <string>

namespace recognize_speech {

class Gb2312Text {
 public:
  Gb2312Text();
  ~Gb2312Text();
  Gb2312Text(const Gb2312Text&) = delete;
  Gb2312Text& operator=(const Gb2312Text&) = delete;

  // The text in UTF-8; a byte sequence that is no GB2312 text comes back as
  // "?" in its place.
  std::string ToUtf8(const std::string& gb2312) const;

 private:
  void* converter_;
};

}  // namespace recognize_speech
