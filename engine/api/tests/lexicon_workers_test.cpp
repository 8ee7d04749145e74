#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/api/shared_section.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/library_on_tree.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/vok_library.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/user_lexicon.h"
#include "platform/named_mutex.h"

namespace vok::api {
namespace {

using testing::EngineTree;
using testing::ProfileHeader;
using testing::ScriptedWindows;

// GB2312: 中 国 中国 八 马, and 丁 that no word holds.
const char* const kZhong = "\xd6\xd0";
const char* const kZhongGuo = "\xd6\xd0\xb9\xfa";
const char* const kBa = "\xb0\xcb";
const char* const kBaMa = "\xb0\xcb\xc2\xed";
const char* const kDing = "\xb6\xa1";
constexpr int kWords = 16;  // the tree's words and the class tokens

class LexiconWorkersTest : public testing::LibraryOnTree {
 public:
  void Start() { ASSERT_EQ(library_.InitializeEx(0), kVokOk); }
  void Restart() {
    library_.Destroy();
    Start();
  }
  std::uint16_t Id(const char* word) {
    std::uint16_t id = 0;
    return library_.StringToWordID(word, &id) == kVokOk ? id : 65535;
  }
  std::string UserLexiconPath() const { return tree_.Path("Users/ChinaMale/UserLex"); }
};

TEST_F(LexiconWorkersTest, EveryWorkerNeedsAStartedEngine) {
  std::uint16_t id = 0;
  char buffer[256] = "x";
  VokResult* result = nullptr;
  EXPECT_EQ(library_.StringToWordID(kZhong, &id), kVokNotStarted);
  EXPECT_EQ(library_.WordIDToString(0, buffer), kVokNotStarted);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(library_.StringToPron(kZhong, buffer, 256), kVokNotStarted);
  EXPECT_EQ(library_.CharToProns(kZhong, buffer, 256), kVokNotStarted);
  EXPECT_EQ(library_.AddLexicon("x"), kVokNotStarted);
  EXPECT_EQ(library_.AddWordToLexicon(kBaMa, 0, nullptr), kVokNotStarted);
  EXPECT_EQ(library_.DeleteWordFromLexicon(kZhong), kVokNotStarted);
  EXPECT_EQ(library_.WriteLexicon(), kVokNotStarted);
  EXPECT_EQ(library_.SearchLexicon(kZhong, &result, 16), kVokNotStarted);
}

TEST_F(LexiconWorkersTest, WordIdsAndStrings) {
  Start();
  const struct {
    const char* text;
    VokStatus status;
    std::uint16_t id;
  } lookups[] = {
      {kZhongGuo, kVokOk, 6},
      {kZhong, kVokOk, 4},
      {kDing, kVokUnknownWord, 0},
      {"<S>", kVokBadText, 0},  // single-byte text
      {"\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0\xd6\xd0", kVokBadText,
       0},                       // 18 bytes
      {"\xd6", kVokBadText, 0},  // a lead byte alone
      {nullptr, kVokBadArgument, 0},
  };
  for (const auto& l : lookups) {
    std::uint16_t id = 0;
    EXPECT_EQ(library_.StringToWordID(l.text, &id), l.status) << (l.text ? l.text : "null");
    if (l.status == kVokOk) {
      EXPECT_EQ(id, l.id);
    }
  }
  EXPECT_EQ(library_.StringToWordID(kZhong, nullptr), kVokBadArgument);
  char buffer[256] = "x";
  EXPECT_EQ(library_.WordIDToString(6, buffer), kVokOk);
  EXPECT_STREQ(buffer, kZhongGuo);
  EXPECT_EQ(library_.WordIDToString(0x10006, buffer), kVokOk);  // the low 16 bits
  EXPECT_EQ(library_.WordIDToString(65535, buffer), kVokUnknownWord);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(library_.WordIDToString(kWords + 5, buffer), kVokUnknownWord);
  EXPECT_EQ(library_.WordIDToString(6, nullptr), kVokBadArgument);
}

TEST_F(LexiconWorkersTest, Pronunciations) {
  Start();
  char buffer[64];
  EXPECT_EQ(library_.StringToPron(kZhongGuo, buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "zhong1-guo2");  // the whole word, in lower case
  EXPECT_EQ(library_.StringToPron("\xb0\xcb\xd6\xd0\xb9\xfa\xc2\xed", buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "ba1-zhong1-guo2-ma3");  // longest words from the left
  EXPECT_EQ(library_.StringToPron("\xb0\xcb\xb6\xa1", buffer, sizeof buffer), kVokBadText);
  EXPECT_EQ(library_.StringToPron(kZhongGuo, buffer, 11), kVokBadArgument);  // "zhong1-guo2" needs 12
  EXPECT_EQ(library_.StringToPron(kZhongGuo, buffer, 0), kVokBadArgument);
  EXPECT_EQ(library_.StringToPron(kZhongGuo, nullptr, 64), kVokBadArgument);
  EXPECT_EQ(library_.CharToProns(kZhong, buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "ZHONG1 ZHONG4");
  EXPECT_EQ(library_.CharToProns(kZhongGuo, buffer, sizeof buffer), kVokBadArgument);
  EXPECT_EQ(library_.CharToProns(kDing, buffer, sizeof buffer), kVokUnknownWord);
}

// A word added and written is there after a restart, under its category's
// classes and with its pronunciation; a deletion written likewise.
TEST_F(LexiconWorkersTest, EditsLiveInTheUserLexiconAcrossStarts) {
  Start();
  EXPECT_EQ(library_.AddWordToLexicon(kBaMa, 0, nullptr), kVokOk);
  EXPECT_EQ(Id(kBaMa), kWords);
  char buffer[64];
  EXPECT_EQ(library_.StringToPron(kBaMa, buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "ba1-ma3");
  EXPECT_EQ(library_.DeleteWordFromLexicon(kZhongGuo), kVokOk);
  EXPECT_EQ(library_.DeleteWordFromLexicon(kDing), kVokUnknownWord);
  EXPECT_FALSE(std::filesystem::exists(UserLexiconPath()));
  EXPECT_EQ(library_.WriteLexicon(), kVokOk);
  ASSERT_TRUE(std::filesystem::exists(UserLexiconPath()));

  Restart();
  EXPECT_EQ(Id(kBaMa), kWords);
  EXPECT_EQ(Id(kZhongGuo), 65535);
  EXPECT_EQ(Id(kZhong), 4);  // the other ids stay
  const vok::CoreLM* core = library_.engine()->backend->core();
  EXPECT_EQ(core->entry(kWords).word_class, core->token_class(vok::CoreLM::kPerson));
  EXPECT_EQ(library_.StringToPron(kBaMa, buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "ba1-ma3");

  // A pronunciation the tree refuses leaves no word behind.
  EXPECT_EQ(library_.AddWordToLexicon("\xb0\xcb\xb0\xcb", 1, "xx9-ba1"), kVokPronunciationRefused);
  EXPECT_EQ(Id("\xb0\xcb\xb0\xcb"), 65535);
  // A given pronunciation in lower case is taken as the syllables it names.
  EXPECT_EQ(library_.AddWordToLexicon("\xb0\xcb\xb0\xcb", 1, "ba4-ba1"), kVokOk);
  EXPECT_EQ(library_.StringToPron("\xb0\xcb\xb0\xcb", buffer, sizeof buffer), kVokOk);
  EXPECT_STREQ(buffer, "ba4-ba1");
  EXPECT_EQ(library_.AddWordToLexicon(kDing, 0, nullptr), kVokUnknownWord);  // no way to spell it
  EXPECT_EQ(library_.AddWordToLexicon("", 0, "ba1"), kVokBadText);
}

TEST_F(LexiconWorkersTest, AUserLexiconFileIsApplied) {
  const std::string path = tree_.Path("words.lex");
  vok::CUserLexicon file(10);
  ASSERT_GE(file.AddWord(kBaMa, "BA1-MA3", 9, 30, 0, 30), 0);
  ASSERT_EQ(file.Write(path.c_str(), 0, 0), 0);
  Start();
  EXPECT_EQ(library_.AddLexicon(path.c_str()), kVokOk);
  EXPECT_EQ(Id(kBaMa), kWords);
  EXPECT_EQ(library_.AddLexicon(tree_.Path("missing.lex").c_str()), kVokUserLexiconMissing);
  std::ofstream(tree_.Path("bad.lex"), std::ios::binary) << "\x05\x00\x00\x00";
  EXPECT_EQ(library_.AddLexicon(tree_.Path("bad.lex").c_str()), kVokUserLexiconMissing);
}

// A user lexicon that exists but does not read is never written over.
TEST_F(LexiconWorkersTest, AnUnreadableUserLexiconIsKept) {
  const std::string damaged = "\x02\x00\x00\x00\x00\x00\x00\x00garbage";
  tree_.WriteFile("Users/ChinaMale/UserLex", damaged);
  Start();
  EXPECT_EQ(library_.AddWordToLexicon(kBaMa, 0, nullptr), kVokOk);
  EXPECT_EQ(library_.WriteLexicon(), kVokInternalFailure);
  std::ifstream in(UserLexiconPath(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), damaged);
}

// Edits allow one started engine, two while another holder has "~VOK" open.
TEST_F(LexiconWorkersTest, EditsRefusedWhileOtherEnginesAreStarted) {
  Start();
  SharedSection().instance_count.store(2);
  EXPECT_EQ(library_.AddWordToLexicon(kBaMa, 0, nullptr), kVokLexiconBusy);
  EXPECT_EQ(library_.DeleteWordFromLexicon(kZhong), kVokLexiconBusy);
  {
    const auto other = platform::NamedMutex::Create("~VOK", nullptr);
    EXPECT_EQ(library_.AddWordToLexicon(kBaMa, 0, nullptr), kVokOk);
    SharedSection().instance_count.store(3);
    EXPECT_EQ(library_.DeleteWordFromLexicon(kZhong), kVokLexiconBusy);
  }
  SharedSection().instance_count.store(1);
  EXPECT_EQ(library_.DeleteWordFromLexicon(kZhong), kVokOk);
}

TEST_F(LexiconWorkersTest, SearchByPrefix) {
  Start();
  VokResult* result = nullptr;
  ASSERT_EQ(library_.SearchLexicon(kZhong, &result, 64), kVokOk);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->kind, 65u);
  EXPECT_EQ(result->sequence, 0xFFFFFFFFu);
  ASSERT_EQ(result->count, 2u);
  // 中国 (count 1000) is more probable than 中 (900).
  std::vector<std::uint16_t> ids;
  for (std::uint32_t i = 0; i < result->count; ++i) ids.push_back(result->word_ids[i][0]);
  EXPECT_EQ(ids, (std::vector<std::uint16_t>{6, 4}));
  EXPECT_EQ(library_.records().Delete(result), kVokOk);
  ASSERT_EQ(library_.SearchLexicon(kZhong, &result, 16), kVokOk);
  EXPECT_EQ(result->kind, 17u);
  library_.records().Delete(result);
  EXPECT_EQ(library_.DeleteWordFromLexicon(kZhongGuo), kVokOk);
  ASSERT_EQ(library_.SearchLexicon(kZhong, &result, 64), kVokOk);
  EXPECT_EQ(result->count, 1u);  // the deleted word is left out
  library_.records().Delete(result);
  EXPECT_EQ(library_.SearchLexicon("", &result, 16), kVokBadText);
  EXPECT_EQ(library_.SearchLexicon(kZhong, &result, 32), kVokBadArgument);
  EXPECT_EQ(library_.SearchLexicon(nullptr, &result, 16), kVokBadArgument);
  EXPECT_EQ(library_.SearchLexicon(kZhong, nullptr, 16), kVokBadArgument);
  EXPECT_EQ(library_.SearchLexicon(kDing, &result, 16), kVokOk);
  EXPECT_EQ(result->count, 0u);
  library_.records().Delete(result);
}

}  // namespace
}  // namespace vok::api
