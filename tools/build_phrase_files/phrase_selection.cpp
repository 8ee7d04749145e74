#include "tools/build_phrase_files/phrase_selection.h"

namespace build_phrase_files {

std::map<std::uint16_t, std::vector<std::string>> SelectPhrases(
    const std::vector<build_language_data::WordCount>& words,
    const build_language_data::CodePageText& code_page) {
  std::map<std::uint16_t, std::vector<std::string>> phrases;
  for (const build_language_data::WordCount& word : words) {
    const auto bytes = code_page.Convert(word.word);
    // Double-byte characters only: 2 to 10 of them.
    if (!bytes || bytes->size() < 4 || bytes->size() > 2 * (kMaxContinuation + 1)) continue;
    const auto key = static_cast<std::uint16_t>(static_cast<unsigned char>((*bytes)[0]) |
                                                static_cast<unsigned char>((*bytes)[1]) << 8);
    phrases[key].push_back(bytes->substr(2));
  }
  return phrases;
}

}  // namespace build_phrase_files
