#include "dispatcher/pen_result_converter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "common/recognition_types.h"
#include "engine/api/result_records.h"

namespace {

using wrendle::EngineCandidates;

// The words of the records below; a word id is its index.
std::vector<std::string> g_words;

std::uint32_t WRENDLE_STDCALL WordToString(std::uint32_t word_id, char* buffer) {
  if (word_id >= g_words.size()) {
    buffer[0] = '\0';
    return 4362;
  }
  std::strcpy(buffer, g_words[word_id].c_str());
  return 0;
}

// A hypotheses record of the engine's own writer: one entry per word, the
// word's id alone.
wrendle::abi::VokResult* Hypotheses(vok::api::ResultRecords& records, const std::vector<std::string>& words) {
  std::vector<std::vector<std::uint16_t>> entries;
  for (const std::string& word : words) {
    entries.push_back({static_cast<std::uint16_t>(g_words.size())});
    g_words.push_back(word);
  }
  return records.MakeWordIds(0x241, 1, 0xFFFFFFFF, entries);
}

struct ConversionCase {
  const char* what;
  int language;
  int range_flags;
  std::vector<std::string> words;
  std::vector<std::uint16_t> codes;
};

class PenResultConverterTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(PenResultConverterTest, WordsBecomeCandidateCodes) {
  const ConversionCase& c = GetParam();
  vok::api::ResultRecords records;
  wrendle::DispatcherState state;
  state.range_flags = c.range_flags;
  wrendle::PenResultConverter converter(state, c.language, WordToString);
  EngineCandidates out;
  out.fill(0xEEEE);
  converter.Convert(*Hypotheses(records, c.words), out);
  std::vector<std::uint16_t> expected = c.codes;
  expected.resize(out.size(), 0);
  EXPECT_EQ(std::vector<std::uint16_t>(out.begin(), out.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PenResultConverterTest,
    ::testing::Values(
        // GB2312 characters, a letter, and a code past the GB2312 set that the
        // range filter drops.
        ConversionCase{
            "filtered", 4000, 1, {"\xB0\xA1", "a", "\xFA\x40", "\xD6\xD0"}, {0xA1B0, 0x2061, 0xD0D6}},
        ConversionCase{"letters not in range still pass", 4000, 4, {"b", "\xB0\xA1", "7"}, {0x2062, 0x2037}},
        ConversionCase{"Big5", 2000, 1, {"\xA4\x40", "\xFA\x40", "\xC6\xE7"}, {0x40A4}},
        ConversionCase{
            "Big5 further ranges", 2000, 0x18, {"\xFA\x40", "\xC6\xE7", "\xA4\x40"}, {0x40FA, 0xE7C6}},
        ConversionCase{"empty words are skipped", 4000, 1, {"", "\xB0\xA1"}, {0xA1B0}},
        // After BB F9 the next other candidate is B3 9E; B0 F7 and B8 F5
        // always become E6 67.
        ConversionCase{"GB symbol pairs",
                       4000,
                       1,
                       {"\xBB\xF9", "\xB0\xA1", "\xB0\xF7", "\xB8\xF5"},
                       {0xF9BB, 0x9EB3, 0x67E6, 0x67E6}},
        ConversionCase{"no symbol pairs in Big5", 2000, 1, {"\xBB\xF9", "\xB0\xA1"}, {0xF9BB, 0xA1B0}},
        ConversionCase{"ten at most",
                       4000,
                       1,
                       {"\xB0\xA1", "\xB0\xA2", "\xB0\xA3", "\xB0\xA4", "\xB0\xA5", "\xB0\xA6", "\xB0\xA7",
                        "\xB0\xA8", "\xB0\xA9", "\xB0\xAA", "\xB0\xAB"},
                       {0xA1B0, 0xA2B0, 0xA3B0, 0xA4B0, 0xA5B0, 0xA6B0, 0xA7B0, 0xA8B0, 0xA9B0, 0xAAB0}}),
    [](const auto& param_info) {
      std::string name = param_info.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(PenResultConverterTextTest, PunctuationGivesItsTextAndGesturesNothing) {
  vok::api::ResultRecords records;
  wrendle::DispatcherState state;
  wrendle::PenResultConverter converter(state, 4000, WordToString);
  EngineCandidates out;
  converter.Convert(*records.MakeText(0x10, 1, 0xFFFFFFFF, {"\xA3\xAC"}), out);
  EXPECT_EQ(out[0], 0xACA3);
  EXPECT_EQ(out[1], 0);
  converter.Convert(*records.MakeText(0x1201, 2, 0xFFFFFFFF, {"Return"}), out);
  EXPECT_EQ(out[0], 0);
  converter.Convert(*records.MakeText(0x10, 3, 0xFFFFFFFF, {}), out);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
