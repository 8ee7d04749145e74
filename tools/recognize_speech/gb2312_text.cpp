#include "tools/recognize_speech/gb2312_text.h"

#include <iconv.h>

namespace recognize_speech {

namespace {

iconv_t Converter(void* handle) { return static_cast<iconv_t>(handle); }
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

Gb2312Text::Gb2312Text() : converter_(iconv_open("UTF-8", "GB2312")) {}

Gb2312Text::~Gb2312Text() {
  if (Converter(converter_) != kNoConverter) iconv_close(Converter(converter_));
}

std::string Gb2312Text::ToUtf8(const std::string& gb2312) const {
  if (Converter(converter_) == kNoConverter) return gb2312;
  std::string out;
  std::string input = gb2312;
  char* in = input.data();
  std::size_t in_left = input.size();
  char buffer[256];
  while (in_left > 0) {
    char* o = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t converted = iconv(Converter(converter_), &in, &in_left, &o, &out_left);
    out.append(buffer, sizeof buffer - out_left);
    if (converted == static_cast<std::size_t>(-1) && out_left == sizeof buffer) {
      // An invalid or incomplete sequence: one byte becomes "?".
      out += '?';
      ++in;
      --in_left;
    }
  }
  return out;
}

}  // namespace recognize_speech
