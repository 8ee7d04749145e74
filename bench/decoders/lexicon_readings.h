// The readings of a dialect folder's words, for turning held-out text into
// the keys a user types: the text cut into the longest words of the lexicon
// from its start, each word's first pronunciation without tones. Also the
// most frequent character of each toneless syllable, the baseline a
// converter must beat.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bench {

class LexiconReadings {
 public:
  // "Pron.txt" and "Lexicon.txt" of the folder; false when either is missing.
  bool Load(const std::string& folder);
  // The toneless syllables ("zhong", "lv") of a text in the folder's code
  // page; nullopt when a character belongs to no word.
  std::optional<std::vector<std::string>> Syllables(const std::string& text) const;
  // The most frequent character of each syllable, one after another.
  std::string Baseline(const std::vector<std::string>& syllables) const;

 private:
  std::unordered_map<std::string, std::vector<std::string>> first_reading_;
  std::unordered_map<std::string, std::pair<int64_t, std::string>> commonest_;
  std::size_t longest_ = 2;
};

// The syllables run together: what a user types without separators.
std::string JoinedKeys(const std::vector<std::string>& syllables);

}  // namespace bench
