#include "app/core/homophone_provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/core/phone_table.h"
#include "app/core/reading_code.h"
#include "app/core/related_data_writers.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using namespace wrendle::app;

constexpr int kBig5 = 2000;
constexpr int kGb = 4000;

// Readings: zhong1 (zh + u + eng, tone 0), zhong4, and a syllable whose
// lists are all empty.
constexpr std::uint16_t kZhong1 = CodeOf({15, 2, 12, 0});
constexpr std::uint16_t kZhong4 = CodeOf({15, 2, 12, 3});
constexpr std::uint16_t kMa3 = CodeOf({3, 0, 1, 2});
// GB2312 characters (lead byte low): zhong, zhong (second form), ma.
constexpr std::uint16_t kChZhong = 0xD0D6;
constexpr std::uint16_t kChZhong2 = 0xDAD6;
constexpr std::uint16_t kChMa = 0xEBC2;

int GbIndex(std::uint16_t character) { return *PhoneTableIndex(kGb, character); }

PhoneTableContents SmallContents() {
  PhoneTableContents contents;
  contents.readings.resize(kGb2312PhoneCharacters);
  contents.readings[static_cast<std::size_t>(GbIndex(kChZhong))] = {kZhong1, kZhong4};
  contents.readings[static_cast<std::size_t>(GbIndex(kChZhong2))] = {kZhong4};
  contents.readings[static_cast<std::size_t>(GbIndex(kChMa))] = {kMa3};
  contents.homophones[SyllableOf(kZhong1)] = {{kChZhong}, {}, {}, {kChZhong2, kChZhong}, {}};
  contents.homophones[SyllableOf(kMa3)] = {{}, {}, {}, {}, {}};
  return contents;
}

void PutWord(std::vector<std::uint8_t>& bytes, std::uint16_t word) {
  bytes.push_back(static_cast<std::uint8_t>(word));
  bytes.push_back(static_cast<std::uint8_t>(word >> 8));
}
void PutInt(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  PutWord(bytes, static_cast<std::uint16_t>(value));
  PutWord(bytes, static_cast<std::uint16_t>(value >> 16));
}

TEST(PhoneTableTest, TheWriterLaysTheTableOutByteForByte) {
  PhoneTableContents contents;
  contents.readings = {{kZhong1}, {}, {kZhong1, kZhong4}};
  contents.homophones[SyllableOf(kZhong1)] = {{0xB0A1}, {}, {}, {0xB1A1, 0xB2A1}, {}};
  std::vector<std::uint8_t> expected = {'C', 'P', 'C', 'X'};
  // Map of 3 + list of 3 words at 68, one syllable at 80, 10 list words at 82.
  for (const std::uint32_t word : {3u, 0u, 1u, 68u, 1u, 0u, 2u, 80u, 8u, 0u, 3u, 82u, 0u, 0u, 0u, 0u})
    PutInt(expected, word);
  for (const std::uint16_t word : {kZhong1, std::uint16_t{0}, std::uint16_t{0x8000}, kZhong1, kZhong4,
                                   std::uint16_t{0}, SyllableOf(kZhong1)})
    PutWord(expected, word);
  for (const std::uint16_t word : {0xB0A1, 0, 0, 0, 0xB1A1, 0xB2A1, 0, 0})
    PutWord(expected, static_cast<std::uint16_t>(word));
  const std::vector<std::uint8_t> written = WritePhoneTable(contents);
  ASSERT_EQ(written, expected);

  const auto table = PhoneTable::Parse(written);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->character_count(), 3);
  EXPECT_THAT(table->Readings(0), ElementsAre(kZhong1));
  EXPECT_TRUE(table->Readings(1).empty());
  EXPECT_THAT(table->Readings(2), ElementsAre(kZhong1, kZhong4));
  EXPECT_TRUE(table->Readings(3).empty());
  EXPECT_THAT(table->Homophones(SyllableOf(kZhong4), 3), ElementsAre(0xB1A1, 0xB2A1));
  EXPECT_TRUE(table->Homophones(SyllableOf(kZhong4), 1).empty());
  EXPECT_TRUE(table->Homophones(SyllableOf(kMa3), 0).empty());
}

struct Corruption {
  const char* name;
  void (*apply)(std::vector<std::uint8_t>&);
};

void SetInt(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

class CorruptPhoneTableTest : public testing::TestWithParam<Corruption> {};

TEST_P(CorruptPhoneTableTest, GivesNoTableAndNoGroups) {
  std::vector<std::uint8_t> bytes = WritePhoneTable(SmallContents());
  GetParam().apply(bytes);
  EXPECT_FALSE(PhoneTable::Parse(bytes));
  testing_support::TemporaryDirectory folder;
  const std::string path = folder.File("GBPhone.Tab");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  CHomophoneProvider provider(kGb, path);
  EXPECT_EQ(provider.SetKey(kChZhong), 0);
  EXPECT_EQ(provider.SelectGroup(0), 0);
  EXPECT_EQ(provider.GetItem(0, 0), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, CorruptPhoneTableTest,
    testing::Values(
        Corruption{"Magic", [](std::vector<std::uint8_t>& b) { b[3] = 'Y'; }},
        Corruption{"MissingType", [](std::vector<std::uint8_t>& b) { SetInt(b, 4 + 2 * 16 + 8, 0); }},
        Corruption{"NoEndRecord", [](std::vector<std::uint8_t>& b) { b.resize(4 + 3 * 16 + 8); }},
        Corruption{"MapPastTheEnd", [](std::vector<std::uint8_t>& b) { SetInt(b, 4, 0x7FFFFFFF); }},
        Corruption{"OffsetPastTheEnd",
                   [](std::vector<std::uint8_t>& b) { SetInt(b, 4 + 16 + 12, 0xFFFFFFF0); }},
        Corruption{"ListPastTheEnd",
                   [](std::vector<std::uint8_t>& b) {
                     const std::size_t at = 68 + 2 * static_cast<std::size_t>(GbIndex(kChZhong));
                     b[at] = 0xFF;
                     b[at + 1] = 0xFF;
                   }},
        Corruption{"NoTerminator", [](std::vector<std::uint8_t>& b) { b.resize(b.size() - 2); }},
        Corruption{"ListsCountShort", [](std::vector<std::uint8_t>& b) { SetInt(b, 4 + 2 * 16, 3); }},
        Corruption{"Empty", [](std::vector<std::uint8_t>& b) { b.clear(); }}),
    [](const testing::TestParamInfo<Corruption>& damage) { return std::string(damage.param.name); });

// Every code of both code pages against a rank counted in the order of the
// Chinese ranges.
TEST(PhoneTableIndexTest, EveryCodeOfBothCodePagesMatchesItsRank) {
  std::map<int, int> big5_rank, gb_rank;
  int rank = 0;
  auto big5_trails = [](int lead, auto add) {
    for (int trail = 0x40; trail <= 0x7E; ++trail) add(lead, trail);
    if (lead != 0xC6)
      for (int trail = 0xA1; trail <= 0xFE; ++trail) add(lead, trail);
  };
  auto add_big5 = [&](int lead, int trail) { big5_rank[lead | trail << 8] = rank++; };
  for (int lead = 0xA4; lead <= 0xC6; ++lead) big5_trails(lead, add_big5);
  for (int lead = 0xC9; lead <= 0xF9; ++lead) big5_trails(lead, add_big5);
  EXPECT_EQ(rank, kBig5PhoneCharacters);
  rank = 0;
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= (lead == 0xD7 ? 0xF9 : 0xFE); ++trail)
      gb_rank[lead | trail << 8] = rank++;
  EXPECT_EQ(rank, kGb2312PhoneCharacters);

  for (int code = 0; code < 0x10000; ++code) {
    const auto character = static_cast<std::uint16_t>(code);
    const auto big5 = big5_rank.find(code);
    const auto gb = gb_rank.find(code);
    ASSERT_EQ(PhoneTableIndex(kBig5, character),
              big5 == big5_rank.end() ? std::nullopt : std::optional(big5->second))
        << std::hex << code;
    ASSERT_EQ(PhoneTableIndex(kGb, character), gb == gb_rank.end() ? std::nullopt : std::optional(gb->second))
        << std::hex << code;
    ASSERT_EQ(PhoneTableIndex(1000, character), 0);
  }
  EXPECT_EQ(PhoneTableIndex(kBig5, 0x40A4), 0);
  EXPECT_EQ(PhoneTableIndex(kBig5, 0x7EC6), 5400);
  EXPECT_EQ(PhoneTableIndex(kBig5, 0x40C9), 5401);
  EXPECT_EQ(PhoneTableIndex(kGb, 0xA1D8), 3755);
  EXPECT_EQ(PhoneTableIndex(kBig5, 0x80D0), std::nullopt);
  EXPECT_EQ(PhoneTableIndex(kGb, 0xFAD7), std::nullopt);
}

TEST(ReadingLabelTest, PinyinFollowsTheSpellingRules) {
  struct Case {
    ReadingFields fields;
    const char* label;
  };
  const Case cases[] = {
      {{12, 3, 9, 0}, "juan(1)"},   {{0, 1, 12, 1}, "ying(2)"},   {{15, 0, 0, 3}, "zhi(4)"},
      {{15, 2, 12, 0}, "zhong(1)"}, {{12, 3, 12, 2}, "jiong(3)"}, {{8, 1, 8, 1}, "liu(2)"},
      {{9, 2, 6, 3}, "gui(4)"},     {{8, 2, 10, 0}, "lun(1)"},    {{2, 1, 10, 0}, "pin(1)"},
      {{0, 2, 10, 1}, "wen(2)"},    {{0, 1, 10, 0}, "yin(1)"},    {{0, 3, 10, 0}, "yun(1)"},
      {{0, 3, 12, 2}, "yong(3)"},   {{0, 2, 0, 0}, "wu(1)"},      {{0, 2, 6, 0}, "wei(1)"},
      {{0, 1, 0, 0}, "yi(1)"},      {{0, 1, 8, 1}, "you(2)"},     {{8, 3, 0, 3}, "l:u(4)"},
      {{7, 3, 4, 3}, "n:ue(4)"},    {{14, 3, 4, 1}, "xue(2)"},    {{3, 0, 1, 4}, "ma"},
      {{0, 0, 13, 1}, "er(2)"},     {{9, 2, 12, 0}, "gong(1)"},   {{0, 3, 9, 1}, "yuan(2)"},
  };
  for (const Case& c : cases) EXPECT_EQ(PinyinLabel(CodeOf(c.fields)), c.label) << c.label;
  EXPECT_EQ(PinyinLabel(CodeOf({22, 0, 0, 0})), "");
  EXPECT_EQ(PinyinLabel(CodeOf({1, 0, 1, 5})), "");
}

TEST(ReadingLabelTest, BopomofoIsBig5SymbolsWithTheToneMark) {
  struct Case {
    ReadingFields fields;
    std::string label;
  };
  const Case cases[] = {
      {{15, 2, 12, 0}, "\xA3\xA4\xA3\xB9\xA3\xB6"},          // zh u eng, first tone unmarked
      {{1, 0, 1, 1}, "\xA3\x74\xA3\xAB\xA3\xBD"},            // b a, second tone
      {{21, 3, 13, 2}, "\xA3\xAA\xA3\xBA\xA3\xB7\xA3\xBE"},  // s ü er, third tone
      {{11, 1, 0, 3}, "\xA3\x7E\xA3\xB8\xA3\xBF"},           // h i, fourth tone
      {{12, 0, 0, 4}, "\xA3\xA1\xA3\xBB"},                   // j, neutral
  };
  for (const Case& c : cases) EXPECT_EQ(BopomofoLabel(CodeOf(c.fields)), c.label);
  EXPECT_EQ(BopomofoLabel(CodeOf({0, 0, 14, 0})), "");
}

class HomophoneProviderTest : public testing::Test {
 protected:
  void Write(const PhoneTableContents& contents) {
    const auto bytes = WritePhoneTable(contents);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  testing_support::TemporaryDirectory folder_;
  std::string path_ = folder_.File("GBPhone.Tab");
};

TEST_F(HomophoneProviderTest, ReadingsWithCharactersBecomeGroups) {
  Write(SmallContents());
  CHomophoneProvider provider(kGb, path_);
  ASSERT_EQ(provider.SetKey(kChZhong), 2);
  EXPECT_STREQ(provider.GetGroupLabel(0, 0), "zhong(1)");
  EXPECT_STREQ(provider.GetGroupLabel(1, 0), "zhong(4)");
  EXPECT_EQ(provider.GetGroupLabel(2, 0), nullptr);
  EXPECT_STREQ(provider.GetKey(), "\xD6\xD0");
  // SetKey selected group 0.
  EXPECT_STREQ(provider.GetItem(0, 0), "\xD6\xD0");
  EXPECT_EQ(provider.GetItem(1, 0), nullptr);
  ASSERT_EQ(provider.SelectGroup(1), 2);
  EXPECT_STREQ(provider.GetItem(0, 0), "\xD6\xDA");
  EXPECT_EQ(provider.SelectGroup(2), 0);
  // The same key again keeps the groups; ma's only list is empty.
  EXPECT_EQ(provider.SetKey(kChZhong), 2);
  EXPECT_EQ(provider.SetKey(kChMa), 0);
  EXPECT_EQ(provider.SetKey(0x4141), 0);
  EXPECT_EQ(provider.SetKey(0xFED7), 0);
}

TEST_F(HomophoneProviderTest, Big5LabelsInBopomofo) {
  PhoneTableContents contents;
  contents.readings.resize(kBig5PhoneCharacters);
  const int index = *PhoneTableIndex(kBig5, 0xA4A4);
  contents.readings[static_cast<std::size_t>(index)] = {kZhong1};
  contents.homophones[SyllableOf(kZhong1)] = {{0xA4A4}, {}, {}, {}, {}};
  Write(contents);
  CHomophoneProvider provider(kBig5, path_);
  ASSERT_EQ(provider.SetKey(0xA4A4), 1);
  EXPECT_EQ(std::string(provider.GetGroupLabel(0, 0)), BopomofoLabel(kZhong1));
}

TEST_F(HomophoneProviderTest, AtMost1024ItemsAndAppendTellsTheOthers) {
  PhoneTableContents contents = SmallContents();
  std::vector<std::uint16_t> many(1500, kChZhong2);
  many[1023] = kChMa;
  contents.homophones[SyllableOf(kZhong1)][0] = many;
  Write(contents);
  CHomophoneProvider provider(kGb, path_);
  ASSERT_EQ(provider.SetKey(kChZhong), 2);
  EXPECT_EQ(provider.SelectGroup(0), CHomophoneProvider::kMaxItems);

  class Sink : public ProviderSink {
   public:
    void OnListNotify(std::uint32_t wparam, std::int32_t) override { keys.push_back(wparam); }
    void OnProviderDestroyed(const CCharProvider*) override {}
    std::vector<std::uint32_t> keys;
  } sink;
  CCharProvider other;
  struct Listener : CCharProvider {
    void NotifyList(std::uint16_t code) override { codes.push_back(code); }
    std::vector<std::uint16_t> codes;
  } listener;
  provider.Attach(&sink);
  EXPECT_EQ(provider.AppendItem(1023), 0);
  EXPECT_THAT(listener.codes, ElementsAre(kChMa));
  EXPECT_TRUE(sink.keys.empty());
  // Its own notice carries no key.
  provider.NotifyList(kChMa);
  EXPECT_THAT(sink.keys, ElementsAre(0u));
  provider.Attach(nullptr);
}

TEST_F(HomophoneProviderTest, AMissingTableIsTriedAgain) {
  CHomophoneProvider provider(kGb, path_);
  EXPECT_EQ(provider.SetKey(kChZhong), 0);
  Write(SmallContents());
  EXPECT_EQ(provider.SetKey(kChZhong2), 1);
  EXPECT_EQ(CHomophoneProvider(1000, path_).SetKey(kChZhong), 0);
}

}  // namespace
