#include "tools/text_codec/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tools {

namespace {

iconv_t Handle(void* handle) { return static_cast<iconv_t>(handle); }

}  // namespace

TextCodec::TextCodec(const char* from, const char* to)
    : handle_(iconv_open(to, from)), from_utf8_(std::string_view(from) == "UTF-8") {}

TextCodec::~TextCodec() {
  if (valid()) iconv_close(Handle(handle_));
}

bool TextCodec::valid() const { return Handle(handle_) != reinterpret_cast<iconv_t>(-1); }

std::optional<std::string> TextCodec::Convert(std::string_view text) const {
  if (!valid()) return std::nullopt;
  iconv(Handle(handle_), nullptr, nullptr, nullptr, nullptr);
  std::vector<char> in(text.begin(), text.end());
  std::string out;
  char* in_pointer = in.data();
  std::size_t in_left = in.size();
  char buffer[4096];
  while (in_left > 0) {
    char* out_pointer = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = iconv(Handle(handle_), &in_pointer, &in_left, &out_pointer, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_pointer - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return std::nullopt;
  }
  return out;
}

std::size_t TextCodec::CharacterBytes(unsigned char lead) const {
  if (lead < 0x80) return 1;
  if (!from_utf8_) return 2;
  return lead >= 0xF0 ? 4 : (lead >= 0xE0 ? 3 : 2);
}

std::string TextCodec::ConvertLossy(std::string_view text, std::string_view replacement) const {
  if (auto whole = Convert(text)) return *whole;
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length =
        std::min(CharacterBytes(static_cast<unsigned char>(text[pos])), text.size() - pos);
    const auto converted = Convert(text.substr(pos, length));
    out += converted ? *converted : std::string(replacement);
    pos += length;
  }
  return out;
}

}  // namespace tools
