#include "tools/build_language_data/word_cutter.h"

#include <algorithm>

namespace build_language_data {

namespace {

bool IsHan(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

// The next character of a UTF-8 text at *p (advanced); U+FFFD for a broken one.
char32_t NextCharacter(const std::string& text, std::size_t* p) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*p);
  const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (*p + static_cast<std::size_t>(length) > text.size()) {
    *p = text.size();
    return 0xFFFD;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) c = (c << 6) | (byte(*p + static_cast<std::size_t>(k)) & 0x3F);
  *p += static_cast<std::size_t>(length);
  return c;
}

}  // namespace

bool HasHanCharacter(const std::string& utf8) {
  for (std::size_t p = 0; p < utf8.size();)
    if (IsHan(NextCharacter(utf8, &p))) return true;
  return false;
}

WordCutter::WordCutter(const std::vector<std::string>& words, int unknown, const CodePageText& code_page)
    : unknown_(unknown), code_page_(code_page) {
  for (std::size_t w = 0; w < words.size(); ++w) {
    ids_.emplace(words[w], static_cast<int>(w));
    longest_ = std::max(longest_, words[w].size());
  }
}

std::vector<int> WordCutter::Words(const std::string& text) const {
  std::vector<int> ids;
  for (std::size_t p = 0; p < text.size();) {
    int id = unknown_;
    std::size_t taken = std::min<std::size_t>(2, text.size() - p);
    for (std::size_t n = std::min(longest_, text.size() - p); n >= 2; n -= 2) {
      const auto it = ids_.find(text.substr(p, n));
      if (it == ids_.end()) continue;
      id = it->second;
      taken = n;
      break;
    }
    ids.push_back(id);
    p += taken;
  }
  return ids;
}

int64_t WordCutter::AddSentences(const std::string& utf8, std::vector<std::vector<int>>* sentences) {
  std::string run;
  int64_t characters = 0;
  const auto end_sentence = [&] {
    if (!run.empty()) sentences->push_back(Words(run));
    run.clear();
  };
  for (std::size_t p = 0; p < utf8.size();) {
    const std::size_t start = p;
    const char32_t c = NextCharacter(utf8, &p);
    if (!IsHan(c)) {
      end_sentence();
      continue;
    }
    auto it = characters_.find(c);
    if (it == characters_.end())
      it = characters_.emplace(c, code_page_.Convert(utf8.substr(start, p - start)).value_or(std::string()))
               .first;
    ++characters;
    if (it->second.empty()) {  // outside the code page: the sentence ends
      end_sentence();
    } else {
      run += it->second;
    }
  }
  end_sentence();
  return characters;
}

}  // namespace build_language_data
