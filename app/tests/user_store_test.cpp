#include "app/core/user_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/settings_file.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing::ElementsAre;
using namespace wrendle::app;

constexpr int kGb = 4000;
constexpr int kBig5 = 2000;

// Two Big5 names that differ only in a trail byte that is an ASCII letter.
const std::string kBig5Upper = "\xA4\x41";
const std::string kBig5Lower = "\xA4\x61";

class UserStoreTest : public testing::Test {
 protected:
  UserStoreTest() : profiles_(platform::MakeIniFileProfileStore(own_.path().string())) {}

  UserStore Own(int language = kGb) const { return UserStore(*profiles_, own_.path().string(), language); }
  std::string OwnValue(const std::string& key) const {
    return profiles_->GetString(Own().ProfilePath(), "Learn", key).value_or("<missing>");
  }

  testing_support::TemporaryDirectory own_;
  std::unique_ptr<platform::ProfileStore> profiles_;
};

TEST_F(UserStoreTest, EntriesParseWithMissingFields) {
  const UserEntry full = ParseUserEntry("Ann,4000,7");
  EXPECT_EQ(full.name, "Ann");
  EXPECT_EQ(full.language, 4000);
  EXPECT_EQ(full.number, 7);
  const UserEntry bare = ParseUserEntry("Bob");
  EXPECT_EQ(bare.name, "Bob");
  EXPECT_EQ(bare.language, 0);
  EXPECT_EQ(bare.number, 0);
  EXPECT_EQ(ParseUserEntry("Cy,2000").number, 0);
  EXPECT_EQ(FormatUserEntry({"Ann", 4000, 7}), "Ann,4000,7");
}

TEST_F(UserStoreTest, LearningFileNamesAndDefaultUsers) {
  const LearningFiles files = LearningFilesOf(7);
  EXPECT_EQ(files.features, "DBS0007.DBS");
  EXPECT_EQ(files.segments, "SEGM0007.DBS");
  EXPECT_EQ(files.ink, "INK0007.DBS");
  EXPECT_EQ(DefaultUserName(kBig5), "tpen");
  EXPECT_EQ(DefaultUserName(kGb), "cpen");
  EXPECT_EQ(DefaultUserName(0), "cpen");
}

TEST_F(UserStoreTest, NamesThatBreakTheProfileAreRefused) {
  for (const std::string name :
       {"", " Ann", "Ann ", "A,nn", "An]n", "[Ann", "A=b", "Ann\nBob", "Ann\r", "A\tb"}) {
    EXPECT_FALSE(IsValidUserName(name)) << name;
  }
  for (const std::string& name : std::vector<std::string>{"Ann", "Ann Lee", kBig5Upper, "\xD5\xC5\xC8\xFD"})
    EXPECT_TRUE(IsValidUserName(name));
  auto store = Own();
  EXPECT_EQ(store.AddUser("A,nn"), 0);
  EXPECT_EQ(store.UserCount(), 0);
}

TEST_F(UserStoreTest, RemovedSlotIsReusedAndItsFilesAreGone) {
  auto store = Own();
  ASSERT_EQ(store.AddUser("Ann"), 1);
  ASSERT_EQ(store.AddUser("Bob"), 2);
  own_.Write("DBS0001.DBS", "ann");
  own_.Write("SEGM0001.DBS", "ann");
  own_.Write("INK0001.DBS", "ann");
  own_.Write("DBS0002.DBS", "bob");
  ASSERT_TRUE(store.RemoveUser("ann"));
  EXPECT_EQ(store.UserCount(), 1);
  EXPECT_EQ(OwnValue("USER0001"), "<missing>");
  EXPECT_FALSE(std::filesystem::exists(own_.path() / "DBS0001.DBS"));
  EXPECT_FALSE(std::filesystem::exists(own_.path() / "SEGM0001.DBS"));
  EXPECT_FALSE(std::filesystem::exists(own_.path() / "INK0001.DBS"));
  EXPECT_EQ(own_.Read("DBS0002.DBS"), "bob");
  EXPECT_EQ(store.AddUser("Cy"), 1);
  EXPECT_EQ(OwnValue("USER0001"), "Cy,4000,1");
  EXPECT_THAT(store.ListUsers(), ElementsAre("Cy", "Bob"));
  EXPECT_FALSE(store.RemoveUser("Nobody"));
}

TEST_F(UserStoreTest, StartupChoiceIsTheListedCurrentUserElseTheFirst) {
  UserStore store = Own();
  EXPECT_EQ(store.StartupChoice(), "") << "no user of the language";
  ASSERT_NE(store.AddUser("Ann"), 0);
  ASSERT_NE(store.AddUser("Bob"), 0);
  ASSERT_NE(Own(kBig5).AddUser("Cy"), 0);
  EXPECT_EQ(store.StartupChoice(), "Ann") << "no current user: the first";
  store.SetCurrentUser("bob");
  EXPECT_EQ(store.StartupChoice(), "Bob") << "the current user as listed";
  store.SetCurrentUser("Cy");
  EXPECT_EQ(store.StartupChoice(), "Ann") << "a user of another language";
}

TEST_F(UserStoreTest, RemovingTheCurrentUserMovesCurrentToARemainingUser) {
  auto store = Own();
  store.AddUser("Ann");
  store.AddUser("Bob");
  store.SetCurrentUser("Ann");
  store.RemoveUser("ANN");
  EXPECT_EQ(store.CurrentUser(), "Bob");
  store.RemoveUser("Bob");
  EXPECT_EQ(OwnValue("CurrentUser"), "<missing>");
}

TEST_F(UserStoreTest, UsersOfOtherLanguagesAreSeparate) {
  auto big5 = Own(kBig5);
  auto gb = Own(kGb);
  ASSERT_EQ(big5.AddUser("Ann"), 1);
  EXPECT_TRUE(gb.ListUsers().empty());
  EXPECT_FALSE(gb.FindUser("Ann"));
  ASSERT_EQ(gb.AddUser("Ann"), 2);
  EXPECT_EQ(gb.FindUser("ann")->entry.number, 2);
  EXPECT_EQ(big5.FindUser("ANN")->entry.number, 1);
  EXPECT_EQ(gb.AddUser("ANN"), 0) << "same name, any case, is one user";
}

TEST_F(UserStoreTest, Big5NamesDifferingInATrailByteAreTwoUsers) {
  auto store = Own(kBig5);
  ASSERT_EQ(store.AddUser(kBig5Upper), 1);
  ASSERT_EQ(store.AddUser(kBig5Lower), 2);
  EXPECT_EQ(store.FindUser(kBig5Lower)->entry.number, 2);
  EXPECT_EQ(store.FindUser(kBig5Upper)->entry.number, 1);
  ASSERT_TRUE(store.RemoveUser(kBig5Lower));
  EXPECT_THAT(store.ListUsers(), ElementsAre(kBig5Upper));
  EXPECT_TRUE(store.RenameUser(kBig5Upper, kBig5Lower));
  EXPECT_EQ(store.FindUser(kBig5Lower)->entry.number, 1);
}

TEST_F(UserStoreTest, CountAboveTheFilledSlotsIsRepaired) {
  auto store = Own();
  store.AddUser("Ann");
  profiles_->WriteString(store.ProfilePath(), "Learn", "UserCount", "5");
  EXPECT_THAT(store.ListUsers(), ElementsAre("Ann"));
  EXPECT_EQ(store.UserCount(), 1);
}

TEST_F(UserStoreTest, ReadOnlyStoreIsNeverWritten) {
  auto writable = Own();
  writable.AddUser("Ann");
  profiles_->WriteString(writable.ProfilePath(), "Learn", "UserCount", "5");
  const std::string before = own_.Read(kProfileName);
  UserStore browsed(*profiles_, own_.path().string(), kGb, true);
  EXPECT_THAT(browsed.ListUsers(), ElementsAre("Ann"));
  EXPECT_EQ(browsed.AddUser("Bob"), 0);
  EXPECT_FALSE(browsed.RemoveUser("Ann"));
  EXPECT_FALSE(browsed.RenameUser("Ann", "Bob"));
  browsed.SetCurrentUser("Ann");
  EXPECT_EQ(own_.Read(kProfileName), before);
}

TEST_F(UserStoreTest, FreeSlotIsTheFirstGapElseAfterTheCount) {
  auto store = Own();
  profiles_->WriteString(store.ProfilePath(), "Learn", "UserCount", "2");
  profiles_->WriteString(store.ProfilePath(), "Learn", "USER0001", "Ann,4000,1");
  profiles_->WriteString(store.ProfilePath(), "Learn", "USER0002", "");
  EXPECT_EQ(store.FindFreeSlot(), 2) << "an empty value is a free slot";
  profiles_->WriteString(store.ProfilePath(), "Learn", "USER0002", "Bob,4000,2");
  EXPECT_EQ(store.FindFreeSlot(), 3);
  profiles_->WriteString(store.ProfilePath(), "Learn", "UserCount", "9999");
  profiles_->WriteString(store.ProfilePath(), "Learn", "USER0003", "Cy,4000,3");
  EXPECT_EQ(store.FindFreeSlot(), 4);
}

TEST_F(UserStoreTest, RenameKeepsNumberAndFollowsCurrentUser) {
  auto store = Own();
  store.AddUser("Ann");
  store.AddUser("Bob");
  store.SetCurrentUser("ann");
  EXPECT_FALSE(store.RenameUser("Ann", "bob")) << "would make two users named Bob";
  EXPECT_FALSE(store.RenameUser("Ann", "ANN"));
  EXPECT_FALSE(store.RenameUser("Ann", "A,b"));
  EXPECT_FALSE(store.RenameUser("Nobody", "Cy"));
  ASSERT_TRUE(store.RenameUser("Ann", "cpen"));
  EXPECT_EQ(OwnValue("USER0001"), "cpen,4000,1");
  EXPECT_EQ(store.CurrentUser(), "cpen");
  EXPECT_THAT(store.ListUsers(), ElementsAre("cpen", "Bob"));
}

TEST_F(UserStoreTest, FolderWithTrailingSeparatorIsNotDoubled) {
  const std::string folder = own_.path().string();
  UserStore plain(*profiles_, folder, kGb);
#ifdef _WIN32
  UserStore trailing(*profiles_, folder + "\\", kGb);
#else
  UserStore trailing(*profiles_, folder + "/", kGb);
#endif
  EXPECT_EQ(plain.ProfilePath(), trailing.ProfilePath());
}

class TransferTest : public UserStoreTest {
 protected:
  UserStore Other() { return UserStore(*profiles_, other_.path().string(), kGb); }
  testing_support::TemporaryDirectory other_;
};

TEST_F(TransferTest, ExportAddsTheUserThereAndCopiesItsFiles) {
  auto own = Own();
  auto other = Other();
  other.AddUser("Zed");
  own.AddUser("Ann");
  own.AddUser("Bob");
  own_.Write("DBS0002.DBS", "features");
  own_.Write("SEGM0002.DBS", "segments");
  own_.Write("INK0002.DBS", "ink");
  int asked = 0;
  EXPECT_EQ(TransferUser(own, other, "bob", [&] { return ++asked, true; }), TransferResult::kCopied);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(other.FindUser("Bob")->entry.number, 2);
  EXPECT_EQ(other_.Read("DBS0002.DBS"), "features");
  EXPECT_EQ(other_.Read("SEGM0002.DBS"), "segments");
  EXPECT_EQ(other_.Read("INK0002.DBS"), "ink");
}

TEST_F(TransferTest, ExistingUserIsOverwrittenOnlyWhenConfirmed) {
  auto own = Own();
  auto other = Other();
  own.AddUser("Ann");
  other.AddUser("Zed");
  other.AddUser("Ann");
  own_.Write("DBS0001.DBS", "new");
  other_.Write("DBS0002.DBS", "old");
  EXPECT_EQ(TransferUser(other, own, "Ann", [] { return false; }), TransferResult::kCancelled);
  EXPECT_EQ(TransferUser(own, other, "Ann", [] { return false; }), TransferResult::kCancelled);
  EXPECT_EQ(other_.Read("DBS0002.DBS"), "old");
  EXPECT_EQ(TransferUser(own, other, "Ann", [] { return true; }), TransferResult::kCopied);
  EXPECT_EQ(other_.Read("DBS0002.DBS"), "new");
  EXPECT_EQ(TransferUser(own, other, "Nobody", [] { return true; }), TransferResult::kNoSuchUser);
}

TEST_F(TransferTest, ImportFromABrowsedStoreLeavesItUntouched) {
  auto own = Own();
  own.AddUser("Ann");
  {
    auto other = Other();
    other.AddUser("Zed");
    other.AddUser("Bob");
  }
  other_.Write("DBS0002.DBS", "bob's");
  const std::string before = other_.Read(kProfileName);
  UserStore browsed(*profiles_, other_.path().string(), kGb, true);
  EXPECT_EQ(TransferUser(browsed, own, "Bob", [] { return true; }), TransferResult::kCopied);
  EXPECT_EQ(own.FindUser("Bob")->entry.number, 2);
  EXPECT_EQ(own_.Read("DBS0002.DBS"), "bob's");
  EXPECT_EQ(other_.Read(kProfileName), before);
}

TEST_F(TransferTest, ExportOntoItsOwnFolderKeepsTheFiles) {
  auto own = Own();
  auto same = Own();
  own.AddUser("Ann");
  const std::string content(70000, 'x');
  own_.Write("DBS0001.DBS", content);
  EXPECT_EQ(TransferUser(own, same, "Ann", [] { return true; }), TransferResult::kCopied);
  EXPECT_EQ(own_.Read("DBS0001.DBS"), content);
}

class CopyLearningFileTest : public testing::TestWithParam<size_t> {
 protected:
  testing_support::TemporaryDirectory directory_;
};

TEST_P(CopyLearningFileTest, CopiesEveryByte) {
  std::string content(GetParam(), '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 251);
  directory_.Write("DBS0001.DBS", content);
  directory_.Write("DBS0002.DBS", "longer old content that must not survive");
  ASSERT_TRUE(CopyLearningFile(directory_.File("DBS0002.DBS"), directory_.File("DBS0001.DBS")));
  EXPECT_EQ(directory_.Read("DBS0002.DBS"), content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CopyLearningFileTest,
                         testing::Values(0, 1, 31999, 32000, 32001, 63999, 64000, 64001));

TEST(CopyLearningFileMissingTest, MissingSourceLeavesTheDestination) {
  testing_support::TemporaryDirectory directory;
  directory.Write("DBS0002.DBS", "kept");
  EXPECT_FALSE(CopyLearningFile(directory.File("DBS0002.DBS"), directory.File("DBS0001.DBS")));
  EXPECT_EQ(directory.Read("DBS0002.DBS"), "kept");
}

}  // namespace
