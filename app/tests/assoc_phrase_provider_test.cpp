#include "app/core/assoc_phrase_provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/core/homophone_provider.h"
#include "app/core/related_data_files.h"
#include "app/core/related_data_writers.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using namespace wrendle::app;

constexpr int kGb = 4000;

// GB2312 characters, and the codes of the key characters (lead byte low).
const std::string kZhong = "\xD6\xD0";  // key
const std::string kGuo = "\xB9\xFA";
const std::string kRen = "\xC8\xCB";
const std::string kJia = "\xBC\xD2";
const std::string kDui = "\xB6\xD3";
const std::string kWen = "\xCE\xC4";
const std::string kZi = "\xD7\xD6";
constexpr std::uint16_t kZhongCode = 0xD0D6;
constexpr std::uint16_t kWenCode = 0xC4CE;

std::uint16_t CodeOfText(const std::string& text) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(text[0]) | static_cast<unsigned char>(text[1])
                                                                              << 8);
}

class RecordingSink : public ProviderSink {
 public:
  void OnListNotify(std::uint32_t wparam, std::int32_t lparam) override {
    notices.push_back({wparam, lparam});
  }
  void OnProviderDestroyed(const CCharProvider* provider) override { destroyed.push_back(provider); }
  std::vector<std::pair<std::uint32_t, std::int32_t>> notices;
  std::vector<const CCharProvider*> destroyed;
};

std::vector<std::string> Labels(CCharProvider& provider, int groups) {
  std::vector<std::string> labels;
  for (int g = 0; g < groups; ++g) labels.push_back(provider.GetGroupLabel(g, 0));
  return labels;
}

std::vector<std::string> Items(CCharProvider& provider, int group) {
  std::vector<std::string> items;
  const int count = provider.SelectGroup(group);
  for (int i = 0; i < count; ++i) items.push_back(provider.GetItem(i, 0));
  return items;
}

// The phrase file as the generator writes it (CR LF), or with LF ends.
class PhraseFileTest : public testing::TestWithParam<bool> {
 protected:
  std::string WriteFile(const std::map<std::uint16_t, std::vector<std::string>>& entries) {
    std::string text = WritePhraseFile(entries);
    if (!GetParam()) {
      std::string lf;
      for (const char c : text)
        if (c != '\r') lf.push_back(c);
      text = lf;
    }
    WriteRaw(text);
    return path_;
  }
  void WriteRaw(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::map<std::uint16_t, std::vector<std::string>> Fixture() const {
    return {{kZhongCode, {kGuo, kGuo + kRen, kWen, kWen + kZi, kGuo + kJia, kGuo + kJia + kDui}},
            {kWenCode, {kZi}}};
  }

  testing_support::TemporaryDirectory folder_;
  std::string path_ = folder_.File("schar.txt");
};

TEST_P(PhraseFileTest, GroupsByLengthListEveryEntryOfTheLine) {
  CAssocPhraseProvider provider(kGb, WriteFile(Fixture()));
  ASSERT_EQ(provider.SetKey(kZhongCode), 3);
  EXPECT_THAT(Labels(provider, 3), ElementsAre("1", "2", "3"));
  EXPECT_THAT(Items(provider, 0), ElementsAre(kGuo, kWen));
  EXPECT_THAT(Items(provider, 1), ElementsAre(kGuo + kRen, kWen + kZi, kGuo + kJia));
  // The last entry of the line keeps its length: no line end in it.
  EXPECT_THAT(Items(provider, 2), ElementsAre(kGuo + kJia + kDui));
  EXPECT_STREQ(provider.GetKey(), kZhong.c_str());
  EXPECT_EQ(provider.SelectGroup(3), 0);
  EXPECT_EQ(provider.GetGroupLabel(3, 0), nullptr);
  EXPECT_EQ(provider.GetItem(5, 0), nullptr);
  // The second line is found too.
  EXPECT_EQ(provider.SetKey(kWenCode), 1);
  EXPECT_THAT(Items(provider, 0), ElementsAre(kZi));
}

TEST_P(PhraseFileTest, AppendingNarrowsToTheEntriesThatContinueTheText) {
  CAssocPhraseProvider provider(kGb, WriteFile(Fixture()));
  ASSERT_EQ(provider.SetKey(kZhongCode), 3);
  provider.SelectGroup(0);
  // "guo" typed: guo-ren, guo-jia and guo-jia-dui stay, less the typed text.
  ASSERT_EQ(provider.AppendItem(0), 2);
  EXPECT_STREQ(provider.GetKey(), (kZhong + kGuo).c_str());
  EXPECT_THAT(Items(provider, 0), ElementsAre(kRen, kJia));
  EXPECT_THAT(Items(provider, 1), ElementsAre(kJia + kDui));
  // "jia" typed: only guo-jia-dui is longer and continues it.
  provider.SelectGroup(0);
  ASSERT_EQ(provider.AppendItem(1), 1);
  EXPECT_THAT(Items(provider, 0), ElementsAre(kDui));
  EXPECT_EQ(provider.HoldsKey(kZhongCode), true);
  EXPECT_EQ(provider.HoldsKey(kWenCode), false);
}

TEST_P(PhraseFileTest, TheSameKeyAgainKeepsTheTypedTextAndItsNarrowing) {
  CAssocPhraseProvider provider(kGb, WriteFile(Fixture()));
  provider.SetKey(kZhongCode);
  provider.SelectGroup(0);
  provider.AppendItem(0);
  // The entries are read again, but only those that continue the typed text
  // are in view: every class stays within the groups.
  ASSERT_EQ(provider.SetKey(kZhongCode), 2);
  EXPECT_STREQ(provider.GetKey(), (kZhong + kGuo).c_str());
  EXPECT_THAT(Items(provider, 0), ElementsAre(kRen, kJia));
  // A different character starts over.
  EXPECT_EQ(provider.SetKey(kWenCode), 1);
  EXPECT_STREQ(provider.GetKey(), kWen.c_str());
  EXPECT_EQ(provider.SetKey(0), 0);
  EXPECT_STREQ(provider.GetKey(), "");
}

TEST_P(PhraseFileTest, TheMainFrameListReadsTheEntryHeads) {
  CAssocPhraseProvider provider(kGb, WriteFile(Fixture()));
  provider.SetKey(kZhongCode);
  ASSERT_EQ(provider.EntryCount(), 6);
  EXPECT_EQ(provider.EntryHead(0), kGuo);
  EXPECT_EQ(provider.EntryHead(2), kWen);
  EXPECT_EQ(provider.EntryHead(6), "");
  EXPECT_EQ(provider.EntryHead(-1), "");
}

TEST_P(PhraseFileTest, TrailingSeparatorsAndEmptyEntriesMakeNoGroup) {
  const std::string end = GetParam() ? "\r\n" : "\n";
  WriteRaw(kZhong + "," + kGuo + ",," + kWen + kZi + "," + end);
  CAssocPhraseProvider provider(kGb, path_);
  ASSERT_EQ(provider.SetKey(kZhongCode), 2);
  EXPECT_THAT(Labels(provider, 2), ElementsAre("1", "2"));
}

TEST_P(PhraseFileTest, OddRemaindersAndPhrasesOverNineCharactersAreListedNowhereAndMakeNoTab) {
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += kGuo;
  const std::string end = GetParam() ? "\r\n" : "\n";
  WriteRaw(kZhong + "," + ten + "," + kGuo + "x," + kWen + end);
  CAssocPhraseProvider provider(kGb, path_);
  ASSERT_EQ(provider.SetKey(kZhongCode), 1);
  EXPECT_THAT(Items(provider, 0), ElementsAre(kWen));
}

TEST_P(PhraseFileTest, LinesOverTheBufferAndLongEntriesAreSkippedAndTheRestStays) {
  const std::string end = GetParam() ? "\r\n" : "\n";
  std::string long_line = kZhong + ",";
  while (long_line.size() < CAssocPhraseProvider::kIndexBufferSize) long_line += kGuo + kGuo + ",";
  std::string long_entry;
  for (int i = 0; i < 130; ++i) long_entry += kJia;  // 260 bytes
  WriteRaw(long_line + end + kWen + "," + long_entry + "," + kZi + end);
  CAssocPhraseProvider provider(kGb, path_);
  EXPECT_EQ(provider.SetKey(kZhongCode), 0);
  ASSERT_EQ(provider.SetKey(kWenCode), 1);
  EXPECT_THAT(Items(provider, 0), ElementsAre(kZi));
}

TEST_P(PhraseFileTest, TheKeyTextStopsAt127Bytes) {
  // A chain of two-character entries: each append narrows to the next.
  std::vector<std::string> entries;
  std::string chain;
  for (int i = 0; i < 70; ++i) {
    chain += kGuo;
    if (chain.size() >= 2) entries.push_back(chain + kGuo);
  }
  CAssocPhraseProvider provider(kGb, WriteFile({{kZhongCode, entries}}));
  ASSERT_GT(provider.SetKey(kZhongCode), 0);
  for (int round = 0; round < 100; ++round) {
    provider.SelectGroup(0);
    provider.AppendItem(0);
    ASSERT_LT(std::string(provider.GetKey()).size(), CAssocPhraseProvider::kKeyTextSize);
  }
  EXPECT_GE(std::string(provider.GetKey()).size(), CAssocPhraseProvider::kKeyTextSize - 4);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, PhraseFileTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& line_end) {
                           return line_end.param ? "CrLf" : "Lf";
                         });

TEST(AssocPhraseProviderTest, NoFileNoLanguageNoSingleByteKeyGiveNothing) {
  testing_support::TemporaryDirectory folder;
  EXPECT_EQ(CAssocPhraseProvider(kGb, folder.File("missing.txt")).SetKey(kZhongCode), 0);
  const std::string path = folder.File("cchar.txt");
  std::ofstream(path, std::ios::binary) << WritePhraseFile({{kZhongCode, {kGuo}}, {0x4141, {kGuo}}});
  EXPECT_EQ(CAssocPhraseProvider(1000, path).SetKey(kZhongCode), 0);
  EXPECT_EQ(CAssocPhraseProvider(2000, path).SetKey(kZhongCode), 1);
  EXPECT_EQ(CAssocPhraseProvider(2000, path).SetKey(0x4141), 0);
}

TEST(AssocPhraseProviderTest, AFileThatAppearsLaterIsIndexedThen) {
  testing_support::TemporaryDirectory folder;
  const std::string path = folder.File("schar.txt");
  CAssocPhraseProvider provider(kGb, path);
  EXPECT_EQ(provider.SetKey(kZhongCode), 0);
  std::ofstream(path, std::ios::binary) << WritePhraseFile({{kZhongCode, {kGuo}}});
  EXPECT_EQ(provider.SetKey(kWenCode), 0);
  EXPECT_EQ(provider.SetKey(kZhongCode), 1);
}

TEST(PhraseFileWriterTest, WritesOneLinePerKeyWithoutDuplicatesOrBadEntries) {
  const std::string long_entry(300, '\xB9');
  EXPECT_EQ(WritePhraseFile({{kZhongCode, {kGuo, "", kGuo, "a,b", long_entry, kWen}}, {kWenCode, {}}}),
            kZhong + "," + kGuo + "," + kWen + "\r\n");
  // The line limit counts the line end.
  EXPECT_EQ(WritePhraseFile({{kZhongCode, {kGuo, kWen}}}, 2 + 3 + 2), kZhong + "," + kGuo + "\r\n");
}

// The keep flag and the notices between providers.
class ProviderListTest : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(phrases_, std::ios::binary) << WritePhraseFile({{kZhongCode, {kGuo, kGuo + kRen}}});
  }
  void TearDown() override { CCharProvider::SetKeepFlag(0); }

  testing_support::TemporaryDirectory folder_;
  std::string phrases_ = folder_.File("schar.txt");
};

TEST_F(ProviderListTest, ProvidersJoinAtTheHeadAndLeaveFromAnywhere) {
  CCharProvider* const before = CCharProvider::First();
  {
    CCharProvider first;
    auto second = std::make_unique<CCharProvider>();
    CCharProvider third;
    EXPECT_EQ(CCharProvider::First(), &third);
    EXPECT_EQ(third.next(), second.get());
    second.reset();
    EXPECT_EQ(third.next(), &first);
    EXPECT_EQ(first.next(), before);
  }
  EXPECT_EQ(CCharProvider::First(), before);
}

TEST_F(ProviderListTest, NotifyOthersReachesEveryAttachedPaneButTheSender) {
  // The panes outlive their providers.
  RecordingSink phrase_pane, homophone_pane;
  CAssocPhraseProvider phrases(kGb, phrases_);
  CHomophoneProvider homophones(kGb, folder_.File("GBPhone.Tab"));
  CCharProvider unattached;
  phrases.Attach(&phrase_pane);
  homophones.Attach(&homophone_pane);
  ASSERT_EQ(phrases.SetKey(kZhongCode), 2);
  phrases.SelectGroup(0);
  phrases.AppendItem(0);
  EXPECT_TRUE(phrase_pane.notices.empty());
  EXPECT_THAT(homophone_pane.notices, ElementsAre(std::pair<std::uint32_t, std::int32_t>(0, 0)));
  CCharProvider::NotifyOthers(&homophones, 0xBEEF);
  EXPECT_THAT(phrase_pane.notices, ElementsAre(std::pair<std::uint32_t, std::int32_t>(0xBEEF, 0)));
  phrases.Attach(nullptr);
  CCharProvider::NotifyOthers(&homophones, 1);
  EXPECT_EQ(phrase_pane.notices.size(), 1u);
}

TEST_F(ProviderListTest, AProviderGoingAwayTellsItsPaneSoNoPointerOutlivesIt) {
  RecordingSink pane;
  auto provider = std::make_unique<CAssocPhraseProvider>(kGb, phrases_);
  const CCharProvider* const address = provider.get();
  provider->Attach(&pane);
  provider.reset();
  EXPECT_THAT(pane.destroyed, ElementsAre(address));
}

TEST_F(ProviderListTest, TheKeepFlagHoldsOnlyWhileAPaneSends) {
  CAssocPhraseProvider phrases(kGb, phrases_);
  ASSERT_EQ(phrases.SetKey(kZhongCode), 2);
  {
    KeepWhileSending sending;
    phrases.SelectGroup(0);
    const std::string item = phrases.GetItem(0, 1);
    // The echo of the sent character changes nothing.
    EXPECT_EQ(phrases.SetKey(CodeOfText(kGuo)), 0);
    EXPECT_STREQ(phrases.GetKey(), kZhong.c_str());
    EXPECT_EQ(item, kGuo);
  }
  // No fetch with 0 came, yet the next key is taken.
  EXPECT_EQ(phrases.SetKey(kWenCode), 0);
  EXPECT_STREQ(phrases.GetKey(), kWen.c_str());
  EXPECT_EQ(phrases.SetKey(kZhongCode), 2);
}

}  // namespace

namespace {

TEST(RelatedDataFilesTest, NamesPerLanguage) {
  EXPECT_EQ(PhraseFileName(2000), "cchar.txt");
  EXPECT_EQ(PhraseFileName(4000), "schar.txt");
  EXPECT_EQ(PhraseFileName(1000), "");
  EXPECT_EQ(PhoneTableFileName(2000), "B5Phone.Tab");
  EXPECT_EQ(PhoneTableFileName(4000), "GBPhone.Tab");
  EXPECT_EQ(PhoneTableFileName(3000), "");
}

#if !defined(_WIN32)
TEST(RelatedDataFilesTest, TheProgramFolderComesBeforeTheCurrentFolder) {
  testing_support::TemporaryDirectory program;
  const char* const old = std::getenv("WRENDLE_PROGRAM_DIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("WRENDLE_PROGRAM_DIR", program.path().string().c_str(), 1);
  EXPECT_EQ(InstalledDataFile("schar.txt"), "schar.txt");
  std::ofstream(program.File("schar.txt")) << "x";
  EXPECT_EQ(InstalledDataFile("schar.txt"), program.File("schar.txt"));
  if (old != nullptr)
    setenv("WRENDLE_PROGRAM_DIR", saved.c_str(), 1);
  else
    unsetenv("WRENDLE_PROGRAM_DIR");
}
#endif

}  // namespace
