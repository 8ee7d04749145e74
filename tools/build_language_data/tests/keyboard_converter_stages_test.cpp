#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/converter_files.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/SyllableLatticeEngine/pc_system.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "tools/build_language_data/converter_data.h"
#include "tools/build_language_data/keyboard_map.h"
#include "tools/build_language_data/script_tables.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/convert_script/script_converter.h"
#include "tools/pinyin2hanzi/pinyin_converter.h"
#include "tools/text_codec/text_codec.h"

namespace {

namespace bld = build_language_data;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class StageFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = ::testing::TempDir() + "stages_" + info->name();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ + "/China");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string folder_;
};

TEST(KeyboardMap, EachSyllableByItsLettersAndByItsLettersAndTone) {
  EXPECT_EQ(bld::KeyboardMapText({"LV4", "ZHONG1", "ZHONG4", "NG"}),
            "LV4 LV LV4\nZHONG1 ZHONG ZHONG1\nZHONG4 ZHONG ZHONG4\nNG NG\n");
}

TEST_F(StageFolder, KeyboardFilesLoadIntoTheKeyboardSystem) {
  // A dialect folder by the vocabulary stage's own writers.
  const std::vector<bld::LexiconWord> lexicon = {{"\xD6\xD0", {{"ZHONG1"}, {"ZHONG4"}}},
                                                 {"\xD6\xD0\xB9\xFA", {{"ZHONG1", "GUO2"}}},
                                                 {"\xC2\xCC", {{"LV4"}}}};
  ASSERT_EQ(bld::WriteVocabulary(lexicon, nullptr, folder_ + "/China"), "");
  std::ofstream(folder_ + "/China/Resources") << "Search.StackSearchBeam\t300\n";
  ASSERT_EQ(bld::WriteKeyboardMap({folder_ + "/China"}, folder_), "");
  ASSERT_EQ(bld::WriteKeyboardKeys(folder_ + "/China", folder_), "");

  EXPECT_EQ(ReadFile(folder_ + "/Keyboard.txt"),
            "GUO2 GUO GUO2\nLV4 LV LV4\nZHONG1 ZHONG ZHONG1\nZHONG4 ZHONG ZHONG4\n");
  const auto binary = vok::StringMap::FromBinaryFile((folder_ + "/Keyboard").c_str());
  ASSERT_NE(binary, nullptr);
  EXPECT_EQ(binary->key_count(), 7);
  ASSERT_NE(binary->Lookup("ZHONG"), nullptr);
  EXPECT_STREQ(binary->Lookup("ZHONG")->record->value, "ZHONG1");
  EXPECT_STREQ(binary->Lookup("ZHONG")->next->record->value, "ZHONG4");
  // Scrambled, as the binary string maps of the data folders are.
  EXPECT_EQ(ReadFile(folder_ + "/Keyboard").find("ZHONG"), std::string::npos);

  vok::CLexTree tree((folder_ + "/China/P2HPron").c_str(), "-");
  ASSERT_EQ(tree.status(), 0);
  EXPECT_TRUE(tree.backward());
  EXPECT_EQ(tree.entry_count(), 3);

  vok::Resources resources;
  ASSERT_EQ(resources.Merge((folder_ + "/China/Resources").c_str()), 0);
  int beam = 0;
  EXPECT_EQ(resources.GetInt("Search", "StackSearchBeam", &beam), 0);  // kept
  EXPECT_EQ(beam, 300);
  resources.PutInt("System", "NBestChoices", 5);
  std::filesystem::remove(folder_ + "/Keyboard.txt");  // the binary suffices
  vok::P2HSystem system(resources, nullptr);
  ASSERT_NE(system.pronunciations(), nullptr);
  EXPECT_EQ(system.pronunciations()->entry_count(), 3);
  EXPECT_TRUE(system.keyboard_engine()->short_hand());
  system.StartUtterance();
  for (char key : std::string("lvzhong")) EXPECT_EQ(system.ProcessKey(key), vok::CPLEngine::kKeyTaken) << key;
}

TEST_F(StageFolder, KeyboardStageRefusesWhatTheEngineCouldNotRead) {
  EXPECT_NE(bld::WriteKeyboardMap({folder_ + "/China"}, folder_), "");  // no "Syllable"
  const std::string deep = folder_ + "/" + std::string(100, 'd');
  std::filesystem::create_directories(deep);
  ASSERT_EQ(bld::WriteVocabulary({{"\xD6\xD0", {{"ZHONG1"}}}}, nullptr, deep), "");
  EXPECT_NE(bld::WriteKeyboardKeys(deep, folder_).find("longer than the engine's file names"),
            std::string::npos);
}

// OpenCC's tables in their text form, cut down to a few lines.
const char kCharacters[] = "发\t發 髮\n干\t幹 乾 干\n头\t頭\n后\t後 后\n";
const char kPhrases[] = "头发\t頭髮\n发展\t發展\n干部\t幹部\n皇后\t皇后\n";
const char kReverse[] = "乾\t乾 干\n幹\t干\n髮\t发\n發\t发\n後\t后\n頭\t头\n";

struct Codecs {
  tools::TextCodec gb_to_utf8{"GB2312", "UTF-8"}, utf8_to_gb{"UTF-8", "GB2312"},
      utf8_to_big5{"UTF-8", "BIG5"};
  std::string Gb(const char* utf8) const { return *utf8_to_gb.Convert(utf8); }
  std::string Big5(const char* utf8) const { return *utf8_to_big5.Convert(utf8); }
};

bld::ScriptTables SmallTables(const Codecs& c, int max_keys = bld::kConfusionKeys) {
  return bld::BuildScriptTables({kCharacters, kPhrases, kReverse}, c.gb_to_utf8, c.utf8_to_gb, c.utf8_to_big5,
                                max_keys, [](const std::string&) { return int64_t{1}; });
}

TEST(ScriptTables, CharactersAndTheTermsTheyDoNotGive) {
  const Codecs c;
  const bld::ScriptTables tables = SmallTables(c);
  ASSERT_EQ(tables.characters.size(), 7445u);  // every character of GB2312
  const auto line = [&](const char* utf8) {
    const std::string gb = c.Gb(utf8);
    const auto it = std::find_if(tables.characters.begin(), tables.characters.end(),
                                 [&](const auto& l) { return l.first == gb; });
    return it - tables.characters.begin();
  };
  const auto alternatives = [&](const char* utf8) { return tables.characters[line(utf8)].second; };
  EXPECT_EQ(alternatives("发"), (std::vector<std::string>{c.Big5("發"), c.Big5("髮")}));
  EXPECT_EQ(alternatives("干"), (std::vector<std::string>{c.Big5("幹"), c.Big5("乾"), c.Big5("干")}));
  EXPECT_EQ(alternatives("中"), (std::vector<std::string>{c.Big5("中")}));  // the same in both scripts
  EXPECT_EQ(alternatives("，"), (std::vector<std::string>{c.Big5("，")}));
  EXPECT_TRUE(alternatives("ぁ").empty());  // no Big5 form
  // The reverse table maps "乾" to itself first: its own line comes before
  // that of "干", which lists it too, against the code order.
  EXPECT_LT(line("乾"), line("干"));
  // Only the term whose Traditional form the first alternatives miss.
  EXPECT_EQ(tables.terms, (std::vector<std::pair<std::string, std::string>>{{c.Gb("皇后"), c.Big5("皇后")},
                                                                            {c.Gb("头发"), c.Big5("頭髮")}}));
  EXPECT_EQ(bld::TermMapText(tables),
            c.Gb("皇后") + " " + c.Big5("皇后") + "\n" + c.Gb("头发") + " " + c.Big5("頭髮") + "\n");
  const std::string text = bld::CharacterMapText(tables);
  EXPECT_NE(text.find(c.Gb("发") + c.Big5("發") + c.Big5("髮") + "\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7445);
  // Keys run out: the characters come first, the terms go.
  const auto keyed = std::count_if(tables.characters.begin(), tables.characters.end(),
                                   [](const auto& l) { return !l.second.empty(); });
  EXPECT_EQ(SmallTables(c, static_cast<int>(keyed) + 1).terms.size(), 1u);
  EXPECT_TRUE(SmallTables(c, static_cast<int>(keyed) - 1).terms.empty());
}

TEST_F(StageFolder, ConverterFilesLoadIntoTheConverter) {
  const Codecs c;
  const bld::ScriptTables tables = SmallTables(c);
  // A few words, and enough others made of the tables' characters that the
  // lexicon's word table takes what the converter adds at load time.
  std::vector<bld::WordCount> essay = {{"頭髮", 50}, {"發展", 40}, {"頭", 30}, {"後", 20}, {"幹部", 10}};
  const tools::TextCodec big5_to_utf8("BIG5", "UTF-8");
  for (std::size_t i = 0; essay.size() < 3000; ++i) {
    const auto& forms = tables.characters[i].second;
    if (forms.size() == 1) essay.push_back({*big5_to_utf8.Convert(forms[0] + forms[0]), 1});
  }
  bld::ConverterOptions options;
  options.lexicon_words = 3000;
  ASSERT_EQ(bld::WriteConverterData(tables, essay, options, folder_), "");
  for (const char* name :
       {vok::ConverterFiles::kCharacterMap, vok::ConverterFiles::kTermMap, vok::ConverterFiles::kLexicon,
        vok::ConverterFiles::kLexiconText, vok::ConverterFiles::kModel}) {
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/" + name)) << name;
  }
  vok::Resources resources;
  vok::PutConverterOptions(folder_, &resources);
  vok::CPCSystem converter(resources);
  ASSERT_NE(converter.back_end(), nullptr);
  // The essay words, the class tokens, then what the loader adds.
  const vok::CLexicon& lexicon = *converter.back_end()->lexicon();
  EXPECT_EQ(lexicon.StringToWordID(c.Big5("頭髮").c_str()), 0);
  EXPECT_LT(lexicon.StringToWordID(c.Big5("幹部").c_str()), 3000);
  EXPECT_GE(lexicon.StringToWordID(c.Big5("皇后").c_str()), 3000 + 9);
  std::string out;
  EXPECT_EQ(converter.ConvertText((c.Gb("头发") + "," + c.Gb("发展")).c_str(), &out), 0);
  EXPECT_EQ(out, c.Big5("頭髮") + "," + c.Big5("發展"));
  char simplified[3];
  EXPECT_EQ(converter.MapChar(c.Big5("乾").c_str(), simplified), 0);
  EXPECT_EQ(std::string(simplified), c.Gb("乾"));
}

}  // namespace

namespace {

// The keyboard and converter files the build generated from the real
// sources, when it did.
TEST(GeneratedKeyboardAndConverter, ConvertThroughTheEngine) {
  const std::string data = WRENDLE_MODEL_DATA_DIR;
  const std::string china = data + "/China";
  for (const std::string& file :
       {china + "/P2HPron", china + "/Lexicon", china + "/LM1", data + "/PCSysLM1"}) {
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no generated keyboard, converter and model data";
  }
  tools::PinyinConverter keyboard(china);
  ASSERT_TRUE(keyboard.ok());
  const Codecs c;
  const tools::PinyinConverter::Result result = keyboard.Convert("zhongguoren", 5);
  ASSERT_FALSE(result.sentences.empty());
  EXPECT_EQ(result.sentences[0], c.Gb("中国人"));
  // Segmentations of one text (the word, or its parts) are listed once.
  EXPECT_EQ(std::set<std::string>(result.sentences.begin(), result.sentences.end()).size(),
            result.sentences.size());
  tools::ScriptConverter converter(data);
  ASSERT_TRUE(converter.ok());
  EXPECT_EQ(converter.ToTraditional("头发很长，发展很快。"), "頭髮很長，發展很快。");
  EXPECT_EQ(converter.ToSimplified("頭髮很長，發展很快。"), "头发很长，发展很快。");
}

}  // namespace
