// Whole texts from one character set to another (UTF-8, GB2312, Big5)
// through the C library's character-set conversion, for the tools that read
// and print UTF-8 around the engine's code-page text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools {

class TextCodec {
 public:
  // Character-set names as iconv knows them: "UTF-8", "GB2312", "BIG5".
  TextCodec(const char* from, const char* to);
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  bool valid() const;
  // The converted text; nullopt when a character is malformed or has no code
  // in the target set.
  std::optional<std::string> Convert(std::string_view text) const;
  // The same, with each character that cannot be converted replaced by
  // `replacement` (already in the target set).
  std::string ConvertLossy(std::string_view text, std::string_view replacement) const;

 private:
  // Bytes of the character that starts with `lead` in the source set.
  std::size_t CharacterBytes(unsigned char lead) const;

  void* handle_;
  bool from_utf8_;
};

}  // namespace tools
