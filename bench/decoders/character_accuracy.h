// Character accuracy of converted text against its reference: one minus the
// edit distance over the reference's length, in characters (UTF-8 code
// points), summed over many sentences; and the share of sentences that came
// out exactly.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace bench {

// The code points of UTF-8 text (a malformed byte counts as one).
std::vector<char32_t> CodePoints(std::string_view utf8);
// Levenshtein distance: insertions, deletions and substitutions of one each.
int EditDistance(const std::vector<char32_t>& a, const std::vector<char32_t>& b);

class CharacterAccuracy {
 public:
  void Add(std::string_view reference, std::string_view hypothesis);
  double accuracy() const { return characters_ > 0 ? 1.0 - static_cast<double>(errors_) / characters_ : 0.0; }
  double exact() const { return sentences_ > 0 ? static_cast<double>(exact_) / sentences_ : 0.0; }
  int64_t sentences() const { return sentences_; }
  int64_t characters() const { return characters_; }

 private:
  int64_t errors_ = 0;
  int64_t characters_ = 0;
  int64_t sentences_ = 0;
  int64_t exact_ = 0;
};

}  // namespace bench
