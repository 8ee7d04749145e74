#include "tools/build_language_data/code_page_text.h"

#include <iconv.h>

#include <vector>

namespace build_language_data {

namespace {

iconv_t Handle(void* converter) { return static_cast<iconv_t>(converter); }

}  // namespace

CodePageText::CodePageText(const char* code_page) : converter_(iconv_open(code_page, "UTF-8")) {}

CodePageText::~CodePageText() {
  if (valid()) iconv_close(Handle(converter_));
}

bool CodePageText::valid() const { return Handle(converter_) != reinterpret_cast<iconv_t>(-1); }

std::optional<std::string> CodePageText::Convert(const std::string& utf8) const {
  if (!valid() || utf8.empty()) return std::nullopt;
  iconv(Handle(converter_), nullptr, nullptr, nullptr, nullptr);
  std::vector<char> in(utf8.begin(), utf8.end());
  std::vector<char> out(utf8.size() * 2 + 8);
  char* in_pointer = in.data();
  std::size_t in_left = in.size();
  char* out_pointer = out.data();
  std::size_t out_left = out.size();
  if (iconv(Handle(converter_), &in_pointer, &in_left, &out_pointer, &out_left) ==
          static_cast<std::size_t>(-1) ||
      in_left != 0) {
    return std::nullopt;
  }
  std::string bytes(out.data(), static_cast<std::size_t>(out_pointer - out.data()));
  // Only double-byte characters: a lead byte of 0x81 or more and its trail.
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    if (static_cast<unsigned char>(bytes[i]) < 0x81 || i + 1 >= bytes.size()) return std::nullopt;
  }
  return bytes;
}

}  // namespace build_language_data
