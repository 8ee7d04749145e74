#include "tools/build_dictionaries/code_page_map.h"

#include <iconv.h>

#include <array>

namespace build_dictionaries {
namespace {

const char* CharsetName(kernel::CodePage code_page) {
  return code_page == kernel::CodePage::kBig5 ? "BIG5" : "GB2312";
}

void* Open(const char* to, const char* from) {
  const iconv_t handle = iconv_open(to, from);
  return handle == reinterpret_cast<iconv_t>(-1) ? nullptr : handle;
}

std::string Convert(void* handle, const std::string& input) {
  if (handle == nullptr) return {};
  iconv(static_cast<iconv_t>(handle), nullptr, nullptr, nullptr, nullptr);
  std::string in = input;
  std::array<char, 16> out{};
  char* in_pointer = in.data();
  std::size_t in_left = in.size();
  char* out_pointer = out.data();
  std::size_t out_left = out.size();
  if (iconv(static_cast<iconv_t>(handle), &in_pointer, &in_left, &out_pointer, &out_left) ==
          static_cast<std::size_t>(-1) ||
      in_left != 0) {
    return {};
  }
  return std::string(out.data(), out.size() - out_left);
}

}  // namespace

CodePageMap::CodePageMap(kernel::CodePage code_page)
    : code_page_(code_page),
      to_code_page_(Open(CharsetName(code_page), "UTF-8")),
      to_utf8_(Open("UTF-8", CharsetName(code_page))) {}

CodePageMap::~CodePageMap() {
  if (to_code_page_ != nullptr) iconv_close(static_cast<iconv_t>(to_code_page_));
  if (to_utf8_ != nullptr) iconv_close(static_cast<iconv_t>(to_utf8_));
}

bool CodePageMap::valid() const { return to_code_page_ != nullptr && to_utf8_ != nullptr; }

std::optional<std::uint16_t> CodePageMap::CodeOf(const std::string& utf8) const {
  const std::string bytes = Convert(to_code_page_, utf8);
  if (bytes.size() != 2) return std::nullopt;
  const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                               static_cast<unsigned char>(bytes[1]) << 8);
  if (kernel::GetCharCategory(code_page_, code) != 1 && kernel::GetCharCategory(code_page_, code) != 2) {
    return std::nullopt;
  }
  return code;
}

std::string CodePageMap::TextOf(std::uint16_t code) const {
  const std::string bytes{static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
  const std::string text = Convert(to_utf8_, bytes);
  return text.find('\0') == std::string::npos ? text : std::string();
}

}  // namespace build_dictionaries
