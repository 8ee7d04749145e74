#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>

#include "app/core/homophone_provider.h"
#include "app/core/phone_table.h"
#include "app/core/reading_code.h"
#include "platform/file_access.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_phone_tables/phone_table_source.h"
#include "tools/build_phone_tables/pinyin_reading.h"

namespace {

using testing::ElementsAre;
using namespace build_phone_tables;
using wrendle::app::CodeOf;
using wrendle::app::PinyinLabel;

// The numbered syllable as the pinyin labels spell it: "LVE4" -> "l:ue(4)",
// "DE5" -> "de".
std::string LabelSpelling(const std::string& numbered) {
  std::string label;
  for (const char c : numbered.substr(0, numbered.size() - 1)) {
    if (c == 'V')
      label += ":u";
    else
      label.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  const char tone = numbered.back();
  if (tone != '5') label += std::string("(") + tone + ")";
  return label;
}

TEST(PinyinReadingTest, SyllablesBecomeTheirBopomofoFields) {
  struct Case {
    const char* syllable;
    wrendle::app::ReadingFields fields;
  };
  const Case cases[] = {
      {"ZHONG1", {15, 2, 12, 0}}, {"JUAN1", {12, 3, 9, 0}},   {"YING2", {0, 1, 12, 1}},
      {"ZHI4", {15, 0, 0, 3}},    {"JIONG3", {12, 3, 12, 2}}, {"LIU2", {8, 1, 8, 1}},
      {"GUI4", {9, 2, 6, 3}},     {"LUN1", {8, 2, 10, 0}},    {"WEN2", {0, 2, 10, 1}},
      {"YONG3", {0, 3, 12, 2}},   {"LV4", {8, 3, 0, 3}},      {"LVE4", {8, 3, 4, 3}},
      {"XUE2", {14, 3, 4, 1}},    {"MA5", {3, 0, 1, 4}},      {"ER2", {0, 0, 13, 1}},
      {"YE4", {0, 1, 4, 3}},      {"BIE2", {1, 1, 4, 1}},     {"E4", {0, 0, 3, 3}},
      {"YOU3", {0, 1, 8, 2}},     {"WENG1", {0, 2, 12, 0}},   {"QUN2", {13, 3, 10, 1}},
      {"DE5", {5, 0, 3, 4}},      {"SHEI2", {17, 0, 6, 1}},   {"YUAN2", {0, 3, 9, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadingOfSyllable(c.syllable), CodeOf(c.fields)) << c.syllable;
    EXPECT_EQ(PinyinLabel(CodeOf(c.fields)), LabelSpelling(c.syllable)) << c.syllable;
  }
  for (const char* none : {"M2", "N4", "NG2", "HM1", "HNG5", "", "A", "ZHONG6", "ZH1"})
    EXPECT_EQ(ReadingOfSyllable(none), std::nullopt) << none;
}

TEST(PhoneTableSourceTest, MandarinReadingFirstThenTheDictionarysOthers) {
  const auto readings = ParseUnihanReadings(
      "U+4E2D\tkMandarin\tzhōng\n"
      "U+4E2D\tkXHC1983\t1494.100:zhōng 1501.040:zhòng\n"
      "U+4E86\tkXHC1983\t0684.060:le 0711.150,0711.160:liǎo\n"
      "U+4E86\tkMandarin\tle\n"
      "U+55EF\tkMandarin\tń\n"
      "U+4E2D\tkCantonese\tzung1\n");
  EXPECT_THAT(readings.at("中"), ElementsAre("ZHONG1", "ZHONG4"));
  EXPECT_THAT(readings.at("了"), ElementsAre("LE5", "LIAO3"));
  EXPECT_THAT(readings.at("嗯"), ElementsAre("N2"));
}

TEST(PhoneTableSourceTest, HomophonesOrderedBySummedWordCounts) {
  const build_language_data::CodePageText gb("GB2312");
  ASSERT_TRUE(gb.valid());
  const auto frequencies =
      CharacterFrequencies(build_language_data::ReadWordCounts("中国 5 n\n中 2 n\n忠 6 a\n國 9 n\n"));
  EXPECT_EQ(frequencies.at("中"), 7);
  CharacterReadings readings = {
      {"中", {"ZHONG1", "ZHONG4"}}, {"忠", {"ZHONG1"}}, {"终", {"ZHONG1"}}, {"國", {"GUO2"}}, {"嗯", {"N2"}}};
  BuildSummary summary;
  const auto contents = BuildPhoneTable(readings, frequencies, gb, 4000, &summary);
  EXPECT_EQ(summary.characters, 3);
  ASSERT_EQ(contents.readings.size(), static_cast<std::size_t>(wrendle::app::kGb2312PhoneCharacters));
  const std::uint16_t zhong1 = *ReadingOfSyllable("ZHONG1");
  const auto zhong = wrendle::app::PhoneTableIndex(4000, 0xD0D6);
  EXPECT_THAT(contents.readings[static_cast<std::size_t>(*zhong)],
              ElementsAre(zhong1, *ReadingOfSyllable("ZHONG4")));
  // 忠 (6) before 中 (7)? No: 中 7, 忠 6, 终 0.
  EXPECT_THAT(contents.homophones.at(wrendle::app::SyllableOf(zhong1))[0],
              ElementsAre(0xD0D6, 0xD2D6, 0xD5D6));
  EXPECT_EQ(contents.homophones.size(), 1u);  // 國 is not GB2312
}

// The installed table, when the build made it from the pinned sources:
// every syllable and tone spells back to a source reading of its first
// character.
TEST(GeneratedPhoneTableTest, EverySyllableAndToneSpellsBackToItsSourcePinyin) {
  const auto bytes = platform::ReadWholeFile(std::string(WRENDLE_GENERATED_DIR) + "/GBPhone.Tab");
  const auto source = build_language_data::ReadSourceText(WRENDLE_UNIHAN_READINGS);
  if (!bytes || !source) GTEST_SKIP() << "GBPhone.Tab not generated";
  const auto table = wrendle::app::PhoneTable::Parse(*bytes);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->character_count(), wrendle::app::kGb2312PhoneCharacters);
  const auto readings = ParseUnihanReadings(*source);
  const build_language_data::CodePageText gb("GB2312");
  std::map<std::uint16_t, std::vector<std::string>> by_code;
  for (const auto& [utf8, numbered] : readings) {
    const auto code = gb.Convert(utf8);
    if (code && code->size() == 2)
      by_code[static_cast<std::uint16_t>(static_cast<unsigned char>((*code)[0]) |
                                         static_cast<unsigned char>((*code)[1]) << 8)] = numbered;
  }
  int lists = 0;
  for (const std::uint16_t syllable : table->syllables()) {
    for (int tone = 0; tone < wrendle::app::kPhoneTones; ++tone) {
      const auto homophones = table->Homophones(syllable, tone);
      if (homophones.empty()) continue;
      ++lists;
      const std::string label = PinyinLabel(static_cast<std::uint16_t>(syllable | tone << 5));
      std::vector<std::string> spellings;
      for (const std::string& numbered : by_code[homophones[0]]) spellings.push_back(LabelSpelling(numbered));
      EXPECT_THAT(spellings, testing::Contains(label)) << std::hex << homophones[0];
    }
  }
  EXPECT_GT(lists, 1200);
}

}  // namespace
