#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/symbol_table.h"
#include "tools/build_grammars/grammar_sources.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/vocabulary.h"

namespace {

const build_language_data::CodePageText& Gb2312() {
  static const build_language_data::CodePageText converter("GB2312");
  return converter;
}

std::string Gb(const std::string& utf8) { return Gb2312().Convert(utf8).value_or(std::string()); }

std::string WriteGrammar(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + "build_grammars_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(BuildGrammars, PersonalNamesBecomeABigramGrammarOfSurnameAndGivenName) {
  ASSERT_TRUE(Gb2312().valid());
  const std::string jieba =
      "王小明 30 nr\n王芳 50 nr\n李明 20 nr\n李小红 10 nr\n张三 5 nr\n一个愿挨 3 nr\n北京 100 ns\n王 9 nr\n";
  const auto names = build_grammars::PersonalNames(jieba, Gb, 2);
  // Surnames begin at least two names; the most frequent name comes first.
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0].surname + names[0].given, Gb("王芳"));
  const std::string text = build_grammars::NameGrammar(names, "CNAME");
  vok::SymbolTable lexicon(64);
  for (const char* c : {"王", "李", "小", "明", "芳", "红", "·"}) lexicon.Add(Gb(c).c_str());
  vok::LexiconOwner owner(&lexicon);
  vok::CGrammar grammar(WriteGrammar("CName", text).c_str(), 600, &owner);
  ASSERT_TRUE(grammar.ok());
  EXPECT_STREQ(grammar.GetUnitName(0), "CNAME");
  // Any surname with any given name seen; the separator may be left out.
  EXPECT_EQ(grammar.Parse(Gb("李芳").c_str(), nullptr), 1);
  EXPECT_EQ(grammar.Parse(Gb("王小红").c_str(), nullptr), 1);
  EXPECT_EQ(grammar.Parse(Gb("张三").c_str(), nullptr), 0);
  EXPECT_NE(grammar.GetNetwork(), nullptr);
}

TEST(BuildGrammars, SpellingGrammarNamesEachCharacterByAWordHoldingIt) {
  std::string pron = "Pronunciations 6\n# comment\n";
  for (const char* word : {"的", "北", "京", "北京", "南京", "上"}) pron += "X1 " + Gb(word) + "\n";
  const auto words = build_language_data::PronunciationWords(pron);
  ASSERT_EQ(words.size(), 6u);
  const std::string text = build_grammars::SpellGrammar(words, 10, Gb("的"), "<SPELL>");
  vok::CGrammar grammar(WriteGrammar("Spell", text).c_str(), 600);
  ASSERT_TRUE(grammar.ok());
  vok::CParseToken tokens[vok::CGrammar::kParseTokens];
  ASSERT_EQ(grammar.Parse(Gb("北京的京").c_str(), tokens), 1);
  EXPECT_EQ(tokens[0].subtree_size, 4);
  EXPECT_EQ(grammar.Parse(Gb("北京的北").c_str(), nullptr), 1);
  // "上" is in no longer word; "的" names no character of its own.
  EXPECT_EQ(grammar.Parse(Gb("的上").c_str(), nullptr), 0);
  EXPECT_EQ(grammar.unit(0)->TransitionCount(), 6);
}

// The grammar files the build made from the real sources, when it did: both
// forms load into the engine for each dialect, and a name and a spelling
// of the Big5 folder parse.
TEST(BuildGrammars, GeneratedFilesLoadIntoTheEngine) {
  for (const char* dialect : {"China", "Hongkong"}) {
    const std::string folder = std::string(WRENDLE_LANGUAGE_DATA_DIR) + "/" + dialect + "/Grammars";
    if (!std::filesystem::exists(folder + "/CName")) GTEST_SKIP() << "no generated grammars";
    vok::CGrammar names((folder + "/CName").c_str(), 600);
    ASSERT_TRUE(names.ok()) << dialect;
    EXPECT_STREQ(names.GetUnitName(0), "CNAME") << dialect;
    vok::CGrammar spell((folder + "/Spell").c_str(), 600);
    ASSERT_TRUE(spell.ok()) << dialect;
    EXPECT_GT(spell.unit(0)->TransitionCount(), 1000) << dialect;
  }
  const std::string hongkong = std::string(WRENDLE_LANGUAGE_DATA_DIR) + "/Hongkong/Grammars";
  const build_language_data::CodePageText big5("BIG5");
  vok::CGrammar names((hongkong + "/CName").c_str(), 600);
  // 鄧小平 and "我們 的 我".
  EXPECT_EQ(names.Parse(big5.Convert("\xE9\x84\xA7\xE5\xB0\x8F\xE5\xB9\xB3")->c_str(), nullptr), 1);
  vok::CGrammar spell((hongkong + "/Spell").c_str(), 600);
  EXPECT_EQ(spell.Parse(big5.Convert("\xE6\x88\x91\xE5\x80\x91\xE7\x9A\x84\xE6\x88\x91")->c_str(), nullptr),
            1);
}

}  // namespace
