#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/api/homophone_map.h"
#include "engine/core/lex_tree.h"
#include "engine/core/syllable_table.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/homophone_map.h"
#include "tools/build_language_data/pinyin.h"
#include "tools/build_language_data/pronunciation_sources.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/build_language_data/word_frequencies.h"
#include "tools/text_codec/text_codec.h"

namespace {

namespace bld = build_language_data;
using Strings = std::vector<std::string>;

TEST(Pinyin, NumberedAndMarkedForms) {
  struct Case {
    const char* text;
    const char* syllable;  // null: refused
  };
  const Case numbered[] = {{"Zhong1", "ZHONG1"}, {"nu:3", "NV3"}, {"de5", "DE5"},   {"r5", "R5"},
                           {"xx", nullptr},      {"A", nullptr},  {"ma6", nullptr}, {",", nullptr}};
  for (const Case& c : numbered) {
    const auto s = bld::SyllableFromNumbered(c.text);
    EXPECT_EQ(s.has_value(), c.syllable != nullptr) << c.text;
    if (s && c.syllable) {
      EXPECT_EQ(*s, c.syllable);
    }
  }
  const Case marked[] = {{"zhōng", "ZHONG1"}, {"lǜ", "LV4"},   {"lü", "LV5"},  {"de", "DE5"},
                         {"ǹg", "NG4"},       {"qiū", "QIU1"}, {"a1", nullptr}};
  for (const Case& c : marked) {
    const auto s = bld::SyllableFromMarked(c.text);
    EXPECT_EQ(s.has_value(), c.syllable != nullptr) << c.text;
    if (s && c.syllable) {
      EXPECT_EQ(*s, c.syllable);
    }
  }
}

TEST(Pinyin, SplitAndSpell) {
  struct Case {
    const char* syllable;
    const char* initial;
    const char* final;
  };
  const Case cases[] = {{"ZHONG1", "zh", "ong1"}, {"SHI4", "sh", "i4"}, {"ER2", "", "er2"},
                        {"M2", "", "m2"},         {"A1", "", "a1"},     {"YU3", "y", "u3"}};
  for (const Case& c : cases) {
    const bld::SyllableParts parts = bld::SplitSyllable(c.syllable);
    EXPECT_EQ(parts.initial, c.initial) << c.syllable;
    EXPECT_EQ(parts.final, c.final) << c.syllable;
  }
  EXPECT_EQ(*bld::SpellSyllable("ZHONG1", nullptr), (Strings{"zh", "ong1"}));
  const Strings context = {"zh(#,ong1)", "ong1(zh,#)", "a1"};
  EXPECT_EQ(*bld::SpellSyllable("ZHONG1", &context), (Strings{"zh(#,ong1)", "ong1(zh,#)"}));
  EXPECT_EQ(*bld::SpellSyllable("A1", &context), (Strings{"a1"}));
  EXPECT_FALSE(bld::SpellSyllable("GUO2", &context).has_value());
}

constexpr const char* kDictionary =
    "# comment\n"
    "中國 中国 [Zhong1 guo2] /China/\n"
    "的 的 [di4] /aim/\n"
    "的 的 [de5] /of/\n"
    "兒子 儿子 [er2 zi5] /son/\n"
    "一點兒 一点儿 [yi1 dian3 r5] /a bit/\n"
    "B超 B超 [B chao1] /ultrasound/\n"
    "三K黨 三K党 [San1 K dang3] /Ku Klux Klan/\n"
    "人 人 [ren2] /person/\n";

constexpr const char* kReadings =
    "U+7684\tkMandarin\tde\n"
    "U+4EBA\tkMandarin\trén\n"
    "U+5927\tkMandarin\tdà\n";

TEST(PronunciationSources, DictionaryAndCharacterReadings) {
  bld::PronunciationSources sources;
  EXPECT_EQ(sources.AddDictionary(kDictionary), 6);
  EXPECT_EQ(sources.AddCharacterReadings(kReadings), 3);
  using Script = bld::PronunciationSources::Script;
  const auto china = sources.Lookup("中国", Script::kSimplified);
  ASSERT_EQ(china.size(), 1u);
  EXPECT_EQ(china[0], (Strings{"ZHONG1", "GUO2"}));
  EXPECT_EQ(sources.Lookup("中國", Script::kTraditional).size(), 1u);
  EXPECT_TRUE(sources.Lookup("中國", Script::kSimplified).empty());
  // The character database's reading comes first.
  const auto de = sources.Lookup("的", Script::kSimplified);
  ASSERT_EQ(de.size(), 2u);
  EXPECT_EQ(de[0], Strings{"DE5"});
  const std::vector<bld::Pronunciation> da = {{"DA4"}};
  EXPECT_EQ(sources.Lookup("大", Script::kSimplified), da);
  // Erhua is a syllable of its own.
  const std::vector<bld::Pronunciation> erhua = {{"YI1", "DIAN3", "R5"}};
  EXPECT_EQ(sources.Lookup("一点儿", Script::kSimplified), erhua);
}

TEST(WordCounts, BothListFormsMostFrequentFirst) {
  const auto counts = bld::ReadWordCounts("中国 50 ns\n的\t900\n人 70 n\n中国 60 ns\nbad\n\n");
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts[0].word, "的");
  EXPECT_EQ(counts[1].word, "人");
  EXPECT_EQ(counts[2].count, 60);
}

TEST(Vocabulary, GeneratedFilesLoadIntoTheEngine) {
  bld::PronunciationSources sources;
  sources.AddDictionary(kDictionary);
  sources.AddCharacterReadings(kReadings);
  const bld::CodePageText gb("GB2312");
  ASSERT_TRUE(gb.valid());
  EXPECT_FALSE(gb.Convert("B超").has_value());
  const auto counts = bld::ReadWordCounts("的 900\n中国 500\nB超 400\n儿子 300\n人 200\n大 100\n");
  const auto lexicon = bld::SelectLexicon(counts, sources, bld::PronunciationSources::Script::kSimplified, gb,
                                          4, [](const std::string&) { return true; });
  ASSERT_EQ(lexicon.size(), 4u);
  EXPECT_EQ(lexicon[0].text, "\xB5\xC4");  // GB2312 bytes
  EXPECT_EQ(bld::LexiconSyllables(lexicon), (Strings{"DE5", "DI4", "ER2", "GUO2", "REN2", "ZHONG1", "ZI5"}));

  const std::string folder = testing::TempDir() + "language_data";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(bld::WriteVocabulary(lexicon, nullptr, folder), "");
  vok::SymbolTable models(64);
  for (const char* name : {"SIL", "d", "e5", "i4", "er2", "g", "uo2", "r", "en2", "zh", "ong1", "z", "i5"}) {
    models.Add(name);
  }
  vok::CSyllableTable table((folder + "/Syllable").c_str(), &models);
  ASSERT_EQ(table.status(), 0);
  EXPECT_EQ(table.syllable_count(), 7);
  uint16_t list[16];
  ASSERT_EQ(table.PronToModels("zhong1-guo2", list, 16), 0);
  EXPECT_EQ(list[0], 4);
  vok::CLexTree tree((folder + "/Pron").c_str(), "-");
  ASSERT_EQ(tree.status(), 0);
  EXPECT_EQ(tree.entry_count(), 4);
  EXPECT_STREQ(tree.GetEntryProns(0), "DE5 DI4");
  EXPECT_STREQ(tree.GetEntryPron(1), "ZHONG1-GUO2");
  EXPECT_STREQ(tree.GetEntryPron(2), "ER2-ZI5");

  // The homophone map, read back by the engine's own reader.
  ASSERT_EQ(bld::WriteHomophoneMap(lexicon, folder), "");
  vok::api::CHomophoneMap map;
  ASSERT_EQ(map.Load(folder + "/HMap"), vok::api::kVokOk);
  EXPECT_EQ(map.size(), 3u);
  ASSERT_NE(map.Find("DE5"), nullptr);
  EXPECT_STREQ(map.Find("ren2"), "\xC8\xCB");
  EXPECT_STREQ(map.Find("de5"), "\xB5\xC4");
  EXPECT_STREQ(map.Find("di4"), "\xB5\xC4");
  EXPECT_EQ(map.Find("zhong1"), nullptr);  // only in a word of two characters
  std::filesystem::remove_all(folder);
}

TEST(HomophoneMap, CharactersGroupedBySyllableMostFrequentFirst) {
  std::vector<bld::LexiconWord> lexicon = {
      {"\xD6\xD0", {{"ZHONG1"}, {"ZHONG4"}}},  // zhong
      {"\xD6\xD0\xB9\xFA", {{"ZHONG1", "GUO2"}}},
      {"\xD6\xD3", {{"ZHONG1"}}},
      {"a", {{"A1"}}},
  };
  EXPECT_EQ(bld::HomophoneMapText(lexicon), "2\nzhong1 \xD6\xD0\xD6\xD3\nzhong4 \xD6\xD0\n");
  // A syllable of very many characters keeps what a 512-byte line holds.
  std::vector<bld::LexiconWord> many;
  for (int i = 0; i < 400; ++i)
    many.push_back(
        {std::string{static_cast<char>(0xB0 + i / 94), static_cast<char>(0xA1 + i % 94)}, {{"YI4"}}});
  const std::string text = bld::HomophoneMapText(many);
  const std::string line = text.substr(text.find('\n') + 1);
  EXPECT_LE(line.size() - 1, bld::kHomophoneLineBytes);
  EXPECT_EQ(line.substr(0, 6), std::string("yi4 \xB0\xA1"));
}

}  // namespace

namespace {

// The folders the build generated from the real sources, when it did.
TEST(GeneratedFolders, LoadIntoTheEngine) {
  for (const char* dialect : {"China", "Hongkong"}) {
    const std::string folder = std::string(WRENDLE_LANGUAGE_DATA_DIR) + "/" + dialect;
    if (!std::filesystem::exists(folder + "/Pron")) GTEST_SKIP() << "no generated language data";
    vok::CSyllableTable names((folder + "/Syllable").c_str());
    ASSERT_EQ(names.status(), 0) << dialect;
    EXPECT_GT(names.syllable_count(), 1200) << dialect;
    vok::CLexTree tree((folder + "/Pron").c_str(), "-");
    ASSERT_EQ(tree.status(), 0) << dialect;
    // China's words are the statistics' that have a reading, fewer than the
    // limit; Hongkong's fill it.
    EXPECT_GT(tree.entry_count(), 40000) << dialect;
    EXPECT_LE(tree.entry_count(), bld::kDefaultLexiconWords) << dialect;
    EXPECT_EQ(tree.syllables()->GetCount(), names.syllable_count()) << dialect;
    for (int entry = 0; entry < tree.entry_count(); entry += 997) {
      uint16_t list[64];
      const char* pron = tree.GetEntryPron(entry);
      ASSERT_NE(pron, nullptr) << dialect << " " << entry;
      EXPECT_EQ(names.PronToSyllables(pron, list, 64), 0) << pron;
    }
  }
}

}  // namespace
