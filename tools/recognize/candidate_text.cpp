#include "tools/recognize/candidate_text.h"

#include <cstdio>

#include "common/recognition_types.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace wrendle {
namespace {

std::string Hex(const char* bytes, std::size_t length) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(bytes[i]));
    text += digits;
  }
  return text;
}

#if defined(_WIN32)
std::string ToUtf8(const char* bytes, std::size_t length, int language) {
  const UINT code_page = language == kLanguageTraditionalChinese ? 950 : 936;
  wchar_t wide[4];
  const int wide_length =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), wide, 4);
  if (wide_length <= 0) return {};
  char utf8[16];
  const int utf8_length =
      WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, utf8, sizeof utf8, nullptr, nullptr);
  return utf8_length > 0 ? std::string(utf8, static_cast<std::size_t>(utf8_length)) : std::string();
}
#else
std::string ToUtf8(const char* bytes, std::size_t length, int language) {
  iconv_t converter = iconv_open("UTF-8", language == kLanguageTraditionalChinese ? "BIG5" : "GB2312");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  char input[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
  char output[16];
  char* in = input;
  char* out = output;
  std::size_t in_left = length;
  std::size_t out_left = sizeof output;
  const std::size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1) || in_left != 0) return {};
  return std::string(output, sizeof output - out_left);
}
#endif

}  // namespace

std::string CandidateText(std::uint16_t code, int language) {
  // A single-byte character from the engine is 0x2000 plus the byte.
  if ((code & 0xFF00) == 0x2000 || code < 0x80) {
    const char byte = static_cast<char>(code & 0xFF);
    return std::string(1, byte);
  }
  const char bytes[2] = {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
  const std::string text = ToUtf8(bytes, 2, language);
  return text.empty() ? Hex(bytes, 2) : text;
}

}  // namespace wrendle
