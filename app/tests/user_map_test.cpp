#include "app/core/user_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/char_codes.h"
#include "tests/support/temporary_directory.h"
#if !defined(_WIN32)
#include "tests/support/file_size_limit.h"
#endif

namespace {

using testing::ElementsAre;
using testing::Pair;
using wrendle::app::CUserMap;

std::string U32(std::uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

// A record assembled by hand: record length, name length, name, data length,
// entries.
std::string Record(const std::string& name,
                   const std::vector<std::pair<std::uint32_t, std::string>>& entries) {
  std::string data;
  for (const auto& [code, text] : entries) data += U32(code) + text + '\0';
  std::string body = U32(static_cast<std::uint32_t>(name.size() + 1)) + name + '\0' +
                     U32(static_cast<std::uint32_t>(data.size())) + data;
  return U32(static_cast<std::uint32_t>(body.size())) + body;
}

class UserMapTest : public testing::Test {
 protected:
  testing_support::TemporaryDirectory directory_;
  std::string Path(const char* name) const { return directory_.File(name); }
};

TEST_F(UserMapTest, FileNamesByLanguage) {
  EXPECT_EQ(std::filesystem::path(CUserMap(directory_.path().string(), 2000).FilePath()).filename(),
            "wrCHT.map");
  EXPECT_EQ(std::filesystem::path(CUserMap(directory_.path().string(), 4000).FilePath()).filename(),
            "wrCHS.map");
  EXPECT_EQ(std::filesystem::path(CUserMap(directory_.path().string(), 1000).FilePath()).filename(),
            "wrJPN.map");
  EXPECT_EQ(std::filesystem::path(CUserMap(directory_.path().string(), 3000).CompanionPath()).filename(),
            "wrKOR.max");
}

TEST_F(UserMapTest, SaveWritesTheGoldenBytes) {
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("ann");
  map.Add(0x103, "yo");
  map.Add(0x101, "hi");
  map.Add(0x102, "");  // empty texts are not written
  ASSERT_TRUE(map.Save());
  static const unsigned char kGolden[] = {
      'U',  'M',  'A', 'P',                    //
      0x1A, 0,    0,   0,                      // record length 26
      4,    0,    0,   0,   'a', 'n', 'n', 0,  // name
      14,   0,    0,   0,                      // data length
      0x01, 0x01, 0,   0,   'h', 'i', 0,       // 0x101 "hi"
      0x03, 0x01, 0,   0,   'y', 'o', 0,       // 0x103 "yo"
  };
  EXPECT_EQ(directory_.Read("wrCHT.map"),
            std::string(reinterpret_cast<const char*>(kGolden), sizeof kGolden));
  EXPECT_FALSE(std::filesystem::exists(Path("wrCHT.max")));
  EXPECT_FALSE(map.modified());
}

TEST_F(UserMapTest, RoundTrip) {
  {
    CUserMap map(directory_.path().string(), 4000);
    map.SetUser("Bob");
    map.Add(0x101, "first text");
    map.Add(0x3FFF, "\xD6\xD0\xCE\xC4");
    ASSERT_TRUE(map.Save());
  }
  CUserMap map(directory_.path().string(), 4000);
  map.SetUser("BOB");
  EXPECT_THAT(map.entries(), ElementsAre(Pair(0x101u, "first text"), Pair(0x3FFFu, "\xD6\xD0\xCE\xC4")));
  std::string text;
  EXPECT_EQ(map.GetText(0x3FFF, &text), 4);
  EXPECT_EQ(text, "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(map.GetText(0x102, &text), 0);
  EXPECT_FALSE(map.modified());
}

TEST_F(UserMapTest, ReaderTakesAHandAssembledFile) {
  directory_.Write("wrCHT.map",
                   "UMAP" + Record("x", {{0x201, "a"}}) + Record("ann", {{0x101, "hi"}, {0x105, "z"}}));
  CUserMap map(directory_.path().string(), 2000);
  const auto users = map.ReadDirectory();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].name, "x");
  EXPECT_EQ(users[1].name, "ann");
  EXPECT_EQ(users[1].data_offset, 4u + Record("x", {{0x201, "a"}}).size() + 4 + 4 + 4);
  map.SetUser("ANN");
  EXPECT_THAT(map.entries(), ElementsAre(Pair(0x101u, "hi"), Pair(0x105u, "z")));
}

TEST_F(UserMapTest, MissingOrForeignFileHasNoUsers) {
  CUserMap map(directory_.path().string(), 2000);
  EXPECT_TRUE(map.ReadDirectory().empty());
  EXPECT_FALSE(map.Load("ann")) << "the file can't be opened";
  directory_.Write("wrCHT.map", "PAMU" + Record("ann", {{0x101, "hi"}}));
  EXPECT_TRUE(map.ReadDirectory().empty());
}

TEST_F(UserMapTest, RecordCutShortEndsTheDirectory) {
  const std::string full = "UMAP" + Record("a", {{0x101, "1"}}) + Record("b", {{0x101, "2"}});
  directory_.Write("wrCHT.map", full.substr(0, full.size() - 3));
  CUserMap map(directory_.path().string(), 2000);
  const auto users = map.ReadDirectory();
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].name, "a");
}

struct DamageCase {
  const char* what;
  std::string file;  // after the magic; the first record "a" is sound
};

std::string WithRecordLength(std::string record, std::uint32_t length) {
  return U32(length) + record.substr(4);
}

std::string WithNameLength(std::string record, std::uint32_t length) {
  return record.substr(0, 4) + U32(length) + record.substr(8);
}

const std::string kSound = Record("a", {{0x101, "1"}});
const std::string kLater = Record("later", {{0x101, "kept"}});

class DamagedUserMapTest : public UserMapTest, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedUserMapTest, IsRefusedWithAMessageAndNeverWrittenOver) {
  const std::string original = "UMAP" + kSound + GetParam().file + kLater;
  directory_.Write("wrCHT.map", original);
  CUserMap map(directory_.path().string(), 2000);
  const auto users = map.ReadDirectory();
  ASSERT_EQ(users.size(), 1u) << "the users before the damage are listed";
  EXPECT_EQ(users[0].name, "a");

  map.SetUser("a");
  EXPECT_TRUE(map.entries().empty()) << "a damaged file is not used";
  EXPECT_THAT(map.damage(), testing::HasSubstr("wrCHT.map"));
  EXPECT_FALSE(map.Load("a"));
  map.Add(0x101, "changed");
  EXPECT_FALSE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHT.map"), original);
  EXPECT_TRUE(map.modified());
  EXPECT_FALSE(std::filesystem::exists(map.CompanionPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedUserMapTest,
    testing::Values(DamageCase{"RecordLengthTooLong", WithRecordLength(Record("b", {{0x101, "2"}}), 40)},
                    DamageCase{"RecordLengthTooShort", WithRecordLength(Record("b", {{0x101, "2"}}), 3)},
                    DamageCase{"NameLengthHuge", WithNameLength(Record("b", {{0x101, "2"}}), 0xFFFFFFF0u)},
                    DamageCase{"NameLengthZero", WithNameLength(Record("b", {{0x101, "2"}}), 0)},
                    DamageCase{"NameLengthInsideTheName", WithNameLength(Record("bb", {{0x101, "2"}}), 2)},
                    DamageCase{"DataLengthPastTheEnd",
                               Record("b", {}).substr(0, 10) + U32(0x7FFFFFFF) + U32(0x101) + "2"},
                    DamageCase{"HeaderCutShort", U32(9) + "\x02"}),
    [](const auto& param_info) { return std::string(param_info.param.what); });

TEST_F(UserMapTest, RecordCutShortAtTheEndIsRefusedForSaving) {
  const std::string full = "UMAP" + kSound + kLater;
  const std::string cut = full.substr(0, full.size() - 3);
  directory_.Write("wrCHT.map", cut);
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("new");
  map.Add(0x101, "x");
  EXPECT_FALSE(map.Save());
  EXPECT_FALSE(map.damage().empty());
  EXPECT_EQ(directory_.Read("wrCHT.map"), cut);
}

TEST_F(UserMapTest, SavingWithThreeUsersKeepsTheOtherTwoUnchangedAndInOrder) {
  const std::string first = Record("first", {{0x101, "one"}, {0x102, "two"}});
  const std::string middle = Record("me", {{0x101, "old"}});
  const std::string last = Record("last", {{0x3FFF, "end"}});
  directory_.Write("wrCHS.map", "UMAP" + first + middle + last);
  CUserMap map(directory_.path().string(), 4000);
  map.SetUser("me");
  map.Add(0x101, "new");
  ASSERT_TRUE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHS.map"), "UMAP" + first + Record("me", {{0x101, "new"}}) + last);
}

TEST_F(UserMapTest, NewUserIsAppended) {
  const std::string other = Record("other", {{0x101, "x"}});
  directory_.Write("wrCHT.map", "UMAP" + other);
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("new");
  map.Add(0x104, "y");
  ASSERT_TRUE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHT.map"), "UMAP" + other + Record("new", {{0x104, "y"}}));
}

TEST_F(UserMapTest, UserWithoutTextsLosesItsRecordOnly) {
  const std::string other = Record("other", {{0x101, "x"}});
  directory_.Write("wrCHT.map", "UMAP" + Record("me", {{0x101, "gone"}}) + other);
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("me");
  map.Add(0x101, "");
  ASSERT_TRUE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHT.map"), "UMAP" + other);
}

TEST_F(UserMapTest, NamesCompareWithoutFoldingTrailBytes) {
  // Big5 A4 61 and A4 41 are two different characters; only ASCII letters fold.
  const std::string lower = Record("\xA4\x61", {{0x101, "lower"}});
  directory_.Write("wrCHT.map", "UMAP" + lower);
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("\xA4\x41");
  EXPECT_TRUE(map.entries().empty());
  map.Add(0x101, "upper");
  ASSERT_TRUE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHT.map"), "UMAP" + lower + Record("\xA4\x41", {{0x101, "upper"}}));
}

TEST_F(UserMapTest, FailedSaveKeepsTheOriginal) {
  const std::string original = "UMAP" + Record("me", {{0x101, "kept"}});
  directory_.Write("wrCHT.map", original);
  // A folder where the companion file would go: it can't be written.
  std::filesystem::create_directory(Path("wrCHT.max"));
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("me");
  map.Add(0x101, "lost?");
  EXPECT_FALSE(map.Save());
  EXPECT_EQ(directory_.Read("wrCHT.map"), original);
  EXPECT_TRUE(map.modified()) << "the change can still be saved later";
}

#if !defined(_WIN32)
TEST_F(UserMapTest, SaveThatFailsPartWayKeepsTheOriginal) {
  const std::string original = "UMAP" + Record("me", {{0x101, "kept"}}) + kLater;
  directory_.Write("wrCHT.map", original);
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("me");
  map.Add(0x101, std::string(64 * 1024, 'x'));
  EXPECT_FALSE(testing_support::RunWithFileSizeLimit(4096, [&] { return map.Save(); }));
  EXPECT_EQ(directory_.Read("wrCHT.map"), original);
  EXPECT_FALSE(std::filesystem::exists(map.CompanionPath()));
}
#endif

TEST_F(UserMapTest, SaveWithoutUserOrChangeDoesNothing) {
  CUserMap map(directory_.path().string(), 2000);
  map.Add(0x101, "x");
  EXPECT_TRUE(map.Save());
  EXPECT_FALSE(std::filesystem::exists(map.FilePath()));
  map.SetUser("me");  // saves nothing: no user was set before
  EXPECT_TRUE(map.Save());
  EXPECT_FALSE(std::filesystem::exists(map.FilePath()));
}

TEST_F(UserMapTest, SwitchingUserSavesTheChangesOfThePreviousOne) {
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("a");
  map.Add(0x101, "of a");
  map.SetUser("b");
  EXPECT_TRUE(map.entries().empty());
  map.SetUser("a");
  EXPECT_THAT(map.entries(), ElementsAre(Pair(0x101u, "of a")));
}

TEST_F(UserMapTest, SetLanguageSavesAndReloads) {
  CUserMap map(directory_.path().string(), 2000);
  map.SetUser("a");
  map.Add(0x101, "cht");
  EXPECT_EQ(map.SetLanguage(4000), 2000);
  EXPECT_TRUE(std::filesystem::exists(Path("wrCHT.map")));
  EXPECT_TRUE(map.entries().empty());
  map.Add(0x101, "chs");
  EXPECT_EQ(map.SetLanguage(2000), 4000);
  EXPECT_THAT(map.entries(), ElementsAre(Pair(0x101u, "cht")));
  EXPECT_EQ(map.SetLanguage(2000), 2000) << "the same language does nothing";
}

TEST_F(UserMapTest, AllocationOrder) {
  CUserMap map(directory_.path().string(), 2000);
  EXPECT_EQ(map.AllocateCode(""), 0x101) << "0x100 has a low byte of 0";
  EXPECT_TRUE(map.entries().empty()) << "no text, nothing added";
  EXPECT_EQ(map.AllocateCode("a"), 0x101);
  EXPECT_EQ(map.AllocateCode("b"), 0x102);
  EXPECT_EQ(map.AllocateCode("A"), 0x101) << "an existing text, without regard to case";
  EXPECT_TRUE(map.modified());
}

TEST_F(UserMapTest, AllocationSkipsCodesThatAreNoUserCodes) {
  CUserMap map(directory_.path().string(), 2000);
  int count = 0;
  for (int code = 0x100; code < 0x2001; ++code) {
    if (wrendle::app::IsUserCode(code)) map.Add(code, "t" + std::to_string(count++));
  }
  EXPECT_EQ(count, 31 * 254);
  EXPECT_EQ(map.AllocateCode("next"), 0x2101) << "high byte 0x20 is never allocated";
}

TEST_F(UserMapTest, LastCodeIs3FFFThenNone) {
  CUserMap map(directory_.path().string(), 2000);
  int count = 0;
  for (int code = 0x100; code < 0x3FFF; ++code) {
    if (wrendle::app::IsUserCode(code)) map.Add(code, "t" + std::to_string(count++));
  }
  EXPECT_EQ(map.AllocateCode("last"), 0x3FFF);
  EXPECT_EQ(map.AllocateCode("none left"), -1);
  EXPECT_EQ(count + 1, 62 * 254) << "all user codes";
}

}  // namespace
