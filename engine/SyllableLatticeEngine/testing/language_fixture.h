// Writes the files of a small language: an older-form class bigram model and
// a text lexicon whose words carry classes and counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vok_testing {

struct FixtureWord {
  std::string text;
  int word_class = 0;
  int count = 1;
};

// `bytes` holds classes x classes score bytes, row by row (previous class,
// then next class).
bool WriteClassBigramModel(const std::string& path, int classes, const std::vector<uint8_t>& bytes);

// One line per word in order, so that word ids follow the list.
bool WriteTextLexicon(const std::string& path, int classes, const std::vector<FixtureWord>& words);

}  // namespace vok_testing
