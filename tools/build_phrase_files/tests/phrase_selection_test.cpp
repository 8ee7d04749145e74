#include "tools/build_phrase_files/phrase_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/core/assoc_phrase_provider.h"
#include "app/core/related_data_writers.h"
#include "platform/file_access.h"

namespace {

using testing::ElementsAre;
namespace bld = build_language_data;

// GB2312 bytes of 中, 国, 人, 心 and the key code of 中.
const std::string kGuo = "\xB9\xFA", kRen = "\xC8\xCB", kXin = "\xD0\xC4";
constexpr std::uint16_t kZhong = 0xD0D6;

TEST(PhraseSelectionTest, WordsStartingWithTheKeyMostFrequentFirst) {
  const bld::CodePageText gb("GB2312");
  ASSERT_TRUE(gb.valid());
  const auto words = bld::ReadWordCounts(
      "中国 500 ns\n中心 900 n\n中 10000 f\n中国人 300 n\n中國 50 n\n中国中国中国中国中国中国 1 n\n人 5 "
      "n\n中a 7 x\n");
  const auto phrases = build_phrase_files::SelectPhrases(words, gb);
  ASSERT_EQ(phrases.size(), 1u);
  // 中國 is not GB2312; eleven characters are more than a key and nine; a
  // single character or a single-byte one is no phrase.
  EXPECT_THAT(phrases.at(kZhong), ElementsAre(kXin, kGuo, kGuo + kRen));
  EXPECT_EQ(wrendle::app::WritePhraseFile(phrases),
            "\xD6\xD0," + kXin + "," + kGuo + "," + kGuo + kRen + "\r\n");
}

// The installed files, when the build made them from the pinned sources.
TEST(GeneratedPhraseFilesTest, LinesAreBoundedAndTheProviderReadsThem) {
  for (const auto& [name, language, key] : {std::tuple{"schar.txt", 4000, std::uint16_t{0xD0D6}},
                                            std::tuple{"cchar.txt", 2000, std::uint16_t{0xA4A4}}}) {
    const std::string path = std::string(WRENDLE_GENERATED_DIR) + "/" + name;
    const auto bytes = platform::ReadWholeFile(path);
    if (!bytes) GTEST_SKIP() << path << " not generated";
    std::istringstream lines(std::string(bytes->begin(), bytes->end()));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      ASSERT_LE(line.size() + 1, wrendle::app::kMaxPhraseLine);
      ASSERT_EQ(line.back(), '\r');
      ASSERT_EQ(line[2], ',');
      ASSERT_NE(line[line.size() - 2], ',');
    }
    EXPECT_GT(count, 4000) << name;
    wrendle::app::CAssocPhraseProvider provider(language, path);
    EXPECT_GT(provider.SetKey(key), 1) << name;
  }
}

}  // namespace
