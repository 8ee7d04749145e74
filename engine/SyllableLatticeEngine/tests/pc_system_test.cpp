#include "engine/SyllableLatticeEngine/pc_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/sc_system.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"

namespace {

using vok::CPCSystem;
using vok::CSCSystem;
using vok::Resources;

// GB2312 (Simplified) and Big5 (Traditional) bytes.
const std::string kTouGb = "\xCD\xB7", kFaGb = "\xB7\xA2", kZhanGb = "\xD5\xB9", kGanGb = "\xB8\xC9",
                  kBuGb = "\xB2\xBF";
const std::string kTouB5 = "\xC0\x59", kFaDevelopB5 = "\xB5\x6F", kFaHairB5 = "\xBE\x76",
                  kZhanB5 = "\xAE\x69", kQianB5 = "\xB0\xAE", kGanB5 = "\xB7\x46", kGanSameB5 = "\xA4\x7A",
                  kBuB5 = "\xB3\xA1";
const std::string kUnmapped = "\xFE\xFE";

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A Traditional lexicon of two words ("hair", "develop") and two of their
// characters, with a binary copy, so that the converter gets a back end.
class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language_.Load(5, std::vector<uint8_t>(25, 20),
                               vok_test::WithSentenceWords({{kTouB5 + kFaHairB5, 3, 20},
                                                            {kFaDevelopB5 + kZhanB5, 3, 20},
                                                            {kTouB5, 4, 5},
                                                            {kZhanB5, 4, 5}})));
    binary_path_ = vok_test::LatticeTempPath("lexicon.bin");
    ASSERT_EQ(language_.lexicon->WriteBinary(binary_path_.c_str(), 0, 0), 0);
    char_map_path_ = vok_test::LatticeTempPath("G2bchar.tab");
    // The last line has no line end; "bu" has no alternative.
    WriteText(char_map_path_, kTouGb + kTouB5 + "\n" + kFaGb + kFaDevelopB5 + kFaHairB5 + "\r\n" + kZhanGb +
                                  kZhanB5 + "\n" + kBuGb + "\n" + kGanGb + kQianB5 + kGanB5 + kGanSameB5);
    options_.PutInt("System", "NBestChoices", 5);
    options_.PutInt("Search", "StackSearchBeam", 2000);
    options_.PutInt("LMBackend", "WordInsertionPenalty", -50);
    options_.Put("LMBackend", "LexiconFile", language_.lexicon_path.c_str());
    options_.Put("LMBackend", "CoreLMFile", language_.model_path.c_str());
    options_.Put("LMBackend", "BinaryLexiconFile", binary_path_.c_str());
    options_.Put("CPCSystem", "GBToBig5MapFile", char_map_path_.c_str());
  }
  void TearDown() override {
    for (const std::string& path : {binary_path_, char_map_path_, term_map_path_}) std::remove(path.c_str());
  }
  std::string Convert(CPCSystem* converter, const std::string& text) {
    std::string out;
    EXPECT_EQ(converter->ConvertText(text.c_str(), &out), 0);
    return out;
  }

  vok_test::CapturedMessages messages_;
  vok_test::SmallLanguage language_;
  Resources options_;
  std::string binary_path_, char_map_path_, term_map_path_;
};

TEST_F(ConverterTest, ACharacterWithTwoFormsIsResolvedByTheWordsAroundIt) {
  CPCSystem converter(options_);
  ASSERT_NE(converter.sc_system(), nullptr);
  EXPECT_EQ(Convert(&converter, kTouGb + kFaGb), kTouB5 + kFaHairB5);
  EXPECT_EQ(Convert(&converter, kFaGb + kZhanGb), kFaDevelopB5 + kZhanB5);
  EXPECT_EQ(Convert(&converter, kTouGb + kFaGb + kFaGb + kZhanGb),
            kTouB5 + kFaHairB5 + kFaDevelopB5 + kZhanB5);
  // The first alternative (the commonest) of the character alone.
  char out[3];
  EXPECT_EQ(converter.ConvertChar(kFaGb.c_str(), out), 0);
  EXPECT_EQ(std::string(out), kFaDevelopB5);
  EXPECT_EQ(converter.ConvertChar(kBuGb.c_str(), out), -1);
}

TEST_F(ConverterTest, ConversionEdgeCases) {
  CPCSystem converter(options_);
  const vok::TimingStats& decodes = converter.sc_system()->timing();
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
    int decoded_runs;
  };
  const Case cases[] = {
      {"letters around one run", "ab" + kTouGb + kFaGb + "c", "ab" + kTouB5 + kFaHairB5 + "c", 1},
      {"letters alone", "plain text.", "plain text.", 0},
      {"an unmapped character ends the run", kTouGb + kBuGb + kZhanGb, kTouB5 + kUnmapped + kZhanB5, 2},
      {"the unmapped mark itself", kUnmapped + "x", kUnmapped + "x", 0},
      {"a lone lead byte at the end", "a\xB7", "a\xB7", 0},
      {"the empty text", "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = decodes.utterances();
    EXPECT_EQ(Convert(&converter, c.text), c.expected);
    EXPECT_EQ(decodes.utterances() - before, c.decoded_runs);
  }
}

TEST_F(ConverterTest, LongTextsAreDecodedInRuns) {
  CPCSystem converter(options_);
  std::string text, expected;
  for (int i = 0; i < 2500; ++i) {
    text += i % 2 ? kZhanGb : kTouGb;
    expected += i % 2 ? kZhanB5 : kTouB5;
  }
  const int before = converter.sc_system()->timing().utterances();
  EXPECT_EQ(Convert(&converter, text), expected);
  EXPECT_EQ(converter.sc_system()->timing().utterances() - before, 2500 / CPCSystem::kSegmentCharacters + 1);
}

TEST_F(ConverterTest, TraditionalToSimplifiedCharacterByCharacter) {
  CPCSystem converter(options_);
  std::string out;
  EXPECT_EQ(converter.MapText("ASCII letters 123", &out), 0);
  EXPECT_EQ(out, "ASCII letters 123");
  out.clear();
  EXPECT_EQ(converter.MapText((kTouB5 + kFaHairB5 + "!" + kFaDevelopB5 + kBuB5).c_str(), &out), 0);
  EXPECT_EQ(out, kTouGb + kFaGb + "!" + kFaGb + kUnmapped);
  char simplified[3];
  EXPECT_EQ(converter.MapChar(kBuB5.c_str(), simplified), -1);
  EXPECT_EQ(std::string(simplified), kUnmapped);
  // The last line had no line end: its last alternative is there.
  EXPECT_EQ(converter.MapChar(kGanSameB5.c_str(), simplified), 0);
  EXPECT_EQ(std::string(simplified), kGanGb);
}

TEST_F(ConverterTest, CharacterMapLines) {
  CPCSystem converter(options_);
  const vok::CLexicon& lexicon = *converter.back_end()->lexicon();
  // Characters the lexicon lacked became words; the one without
  // alternatives added nothing.
  EXPECT_NE(lexicon.StringToWordID(kFaHairB5.c_str()), vok::CLexicon::kNoWord);
  EXPECT_NE(lexicon.StringToWordID(kGanSameB5.c_str()), vok::CLexicon::kNoWord);
  const vok::StringMap& confusion = *converter.sc_system()->confusion_engine()->confusion_map();
  EXPECT_EQ(confusion.key_count(), 4);
  EXPECT_EQ(confusion.Lookup(kBuGb.c_str()), nullptr);
  int alternatives = 0;
  for (auto* v = confusion.Lookup(kGanGb.c_str()); v; v = v->next) {
    ++alternatives;
    EXPECT_EQ(v->record->count, 0);
  }
  EXPECT_EQ(alternatives, 3);

  // Lines counted, malformed ones (odd, ASCII, overlong) skipped and reported.
  WriteText(char_map_path_, kTouGb + "\n" + kZhanGb + kZhanB5 + "x\n" + "ab\n" + kBuGb + kBuB5 + "  \n" +
                                std::string(16002, '\xB0') + "\n");
  CPCSystem reread(options_);
  EXPECT_EQ(reread.LoadCharMap(char_map_path_.c_str()), 5);
  EXPECT_NE(messages_.Errors().find("3 malformed lines"), std::string::npos);
  EXPECT_EQ(reread.LoadCharMap("no-such-file"), -1);
  char out[3];
  EXPECT_EQ(reread.MapChar(kBuB5.c_str(), out), 0);
  EXPECT_EQ(std::string(out), kBuGb);
}

TEST_F(ConverterTest, TermsWinOverTheCharacters) {
  term_map_path_ = vok_test::LatticeTempPath("terms.txt");
  WriteText(term_map_path_, kGanGb + kBuGb + " " + kGanB5 + kBuB5 + "\n\nbad line\n");
  WriteText(char_map_path_, kGanGb + kQianB5 + kGanB5 + kGanSameB5 + "\n" + kBuGb + kBuB5 + "\n");
  options_.Put("CPCSystem", "GBToBig5TermMapFile", term_map_path_.c_str());
  CPCSystem converter(options_);
  EXPECT_EQ(Convert(&converter, kGanGb + kBuGb), kGanB5 + kBuB5);
  EXPECT_NE(converter.back_end()->lexicon()->StringToWordID((kGanB5 + kBuB5).c_str()),
            vok::CLexicon::kNoWord);
  EXPECT_NE(messages_.Errors().find("1 malformed lines"), std::string::npos);
  EXPECT_EQ(converter.LoadTermMap(term_map_path_.c_str()), 3);
}

TEST_F(ConverterTest, WithoutABackEnd) {
  options_.Delete("LMBackend", "BinaryLexiconFile");
  CPCSystem converter(options_);
  EXPECT_EQ(converter.back_end(), nullptr);
  std::string out;
  EXPECT_EQ(converter.ConvertText(("ab" + kTouGb + "c").c_str(), &out), -1);
  EXPECT_EQ(out, "ab" + kUnmapped + "c");
  out.clear();
  EXPECT_EQ(converter.ConvertText("only letters", &out), 0);
  char character[3];
  EXPECT_EQ(converter.ConvertChar(kTouGb.c_str(), character), -1);
  // The Traditional side needs no back end.
  EXPECT_EQ(converter.MapChar(kTouB5.c_str(), character), 0);
  EXPECT_EQ(std::string(character), kTouGb);
}

TEST_F(ConverterTest, AFullCharacterMapReportsWhatItRefused) {
  options_.Delete("LMBackend", "BinaryLexiconFile");
  // 8,193 lines of two alternatives each: one more than the map's 16,384 keys.
  std::string lines;
  int made = 0;
  for (int lead = 0x81; lead <= 0xFE && made < 2 * 8193; ++lead)
    for (int trail = 0x40; trail <= 0xFE && made < 2 * 8193; ++trail, ++made) {
      if (made % 2 == 0) lines += kTouGb;
      lines += {static_cast<char>(lead), static_cast<char>(trail)};
      if (made % 2 == 1) lines += "\n";
    }
  WriteText(char_map_path_, lines);
  CPCSystem converter(options_);
  EXPECT_EQ(converter.char_map().key_count(), converter.char_map().key_capacity());
  EXPECT_NE(messages_.Errors().find("full maps refused 2 entries"), std::string::npos);
}

TEST(CSCSystemTest, ConfusionFileAndAddedConfusions) {
  vok_test::CapturedMessages messages;
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(5, std::vector<uint8_t>(25, 20),
                            vok_test::WithSentenceWords({{kTouB5 + kZhanB5, 3, 5}})));
  const std::string confusion = vok_test::LatticeTempPath("confusion.txt");
  WriteText(confusion, kTouB5 + " " + kTouGb + "\n");  // the map's text form: value, then its keys
  Resources options;
  options.PutInt("System", "NBestChoices", 5);
  options.PutInt("Search", "StackSearchBeam", 2000);
  options.PutInt("LMBackend", "WordInsertionPenalty", -50);
  options.Put("LMBackend", "LexiconFile", language.lexicon_path.c_str());
  options.Put("LMBackend", "CoreLMFile", language.model_path.c_str());
  options.Put("CSCSystem", "ConfusionFile", confusion.c_str());
  vok::CLMBackendEngine back_end(options);
  CSCSystem system(options, &back_end);
  std::remove(confusion.c_str());
  EXPECT_STREQ(system.confusion_file(), confusion.c_str());
  const std::string text = kTouGb + kZhanGb;
  EXPECT_EQ(system.Decode(text.c_str()), 0);
  EXPECT_EQ(system.nbest()->count(), 0);  // the second character has no alternative yet
  EXPECT_EQ(system.AddConfusion(kZhanGb.c_str(), kZhanB5.c_str(), 0), 0);
  EXPECT_EQ(system.Decode(text.c_str()), 0);
  char best[16];
  ASSERT_EQ(system.GetBestText(best, sizeof best, ""), 0);
  EXPECT_EQ(std::string(best), kTouB5 + kZhanB5);
  EXPECT_EQ(system.AddConfusion(kZhanGb.c_str(), std::string(100, 'B').c_str(), 0), -1);
  EXPECT_EQ(system.ReadOptions(options, true), 0);
}

}  // namespace
