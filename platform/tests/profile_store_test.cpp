#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "platform/profile_store.h"
#include "tests/support/temporary_directory.h"
#if !defined(_WIN32)
#include "tests/support/file_size_limit.h"
#endif

namespace {

using platform::ProfileStore;

enum class StoreKind { kIniFile, kSystem };

class ProfileStoreTest : public ::testing::TestWithParam<StoreKind> {
 protected:
  std::unique_ptr<ProfileStore> MakeStore() const {
    return GetParam() == StoreKind::kIniFile ? platform::MakeIniFileProfileStore(directory_.path().string())
                                             : platform::MakeSystemProfileStore();
  }
  // The system store takes files without a path from the Windows directory,
  // so the tests always give it a full path.
  std::string FilePath(const std::string& name) const { return directory_.File(name); }

  testing_support::TemporaryDirectory directory_;
};

TEST_P(ProfileStoreTest, MissingFileGivesDefault) {
  auto store = MakeStore();
  EXPECT_EQ(store->GetInt(FilePath("stroke.ini"), "ZUNMAIN", "Stroke", 4), 4);
  EXPECT_FALSE(store->GetString(FilePath("stroke.ini"), "ZUNMAIN", "Stroke").has_value());
}

TEST_P(ProfileStoreTest, WrittenValuesReadBackInAnyCase) {
  auto store = MakeStore();
  const std::string file = FilePath("stroke.ini");
  ASSERT_TRUE(store->WriteString(file, "ZUNMAIN", "Stroke", "7"));
  ASSERT_TRUE(store->WriteString(file, "Other", "Name", "value with spaces"));
  ASSERT_TRUE(store->WriteString(file, "ZUNMAIN", "Second", "-12"));
  EXPECT_EQ(store->GetInt(file, "zunmain", "STROKE", 4), 7);
  EXPECT_EQ(store->GetInt(file, "ZUNMAIN", "Second", 0), -12);
  EXPECT_EQ(store->GetString(file, "Other", "Name"), "value with spaces");
  ASSERT_TRUE(store->WriteString(file, "ZUNMAIN", "Stroke", "3"));
  EXPECT_EQ(store->GetInt(file, "ZUNMAIN", "Stroke", 4), 3);
  EXPECT_FALSE(store->GetString(file, "ZUNMAIN", "Name").has_value());
}

TEST_P(ProfileStoreTest, ReadsHandWrittenFileWithCrLfAndBlanks) {
  directory_.Write("hand.ini", "; comment\r\n[ZUNMAIN]\r\n  Stroke = 9 \r\n\r\n[Pen]\nWidth=2\n");
  auto store = MakeStore();
  EXPECT_EQ(store->GetInt(FilePath("hand.ini"), "ZUNMAIN", "Stroke", 4), 9);
  EXPECT_EQ(store->GetInt(FilePath("hand.ini"), "Pen", "Width", 0), 2);
}

TEST_P(ProfileStoreTest, DeletedKeyIsMissingAndOthersStay) {
  auto store = MakeStore();
  const std::string file = FilePath("users.ini");
  ASSERT_TRUE(store->WriteString(file, "Learn", "USER0001", "Ann,4000,1"));
  ASSERT_TRUE(store->WriteString(file, "Learn", "USER0002", "Bob,4000,2"));
  ASSERT_TRUE(store->DeleteKey(file, "Learn", "user0001"));
  EXPECT_FALSE(store->GetString(file, "Learn", "USER0001").has_value());
  EXPECT_EQ(store->GetString(file, "Learn", "USER0002"), "Bob,4000,2");
  EXPECT_TRUE(store->DeleteKey(file, "Learn", "USER0009"));
}

INSTANTIATE_TEST_SUITE_P(Stores, ProfileStoreTest, ::testing::Values(StoreKind::kIniFile, StoreKind::kSystem),
                         [](const auto& param_info) {
                           return std::string(param_info.param == StoreKind::kIniFile ? "IniFile" : "System");
                         });

TEST(IniFileProfileStoreTest, NewKeyGoesIntoItsSectionAndOtherLinesSurvive) {
  testing_support::TemporaryDirectory directory;
  directory.Write("a.ini", "[One]\r\nA=1\r\n\r\n[Two]\r\nB=2\r\n");
  auto store = platform::MakeIniFileProfileStore(directory.path().string());
  ASSERT_TRUE(store->WriteString("a.ini", "One", "C", "3"));
  EXPECT_EQ(directory.Read("a.ini"), "[One]\r\nA=1\r\nC=3\r\n\r\n[Two]\r\nB=2\r\n");
}

#if !defined(_WIN32)
TEST(IniFileProfileStoreTest, WriteThatFailsPartWayKeepsTheOldFile) {
  testing_support::TemporaryDirectory directory;
  const std::string original = "[One]\r\nA=1\r\n";
  directory.Write("a.ini", original);
  auto store = platform::MakeIniFileProfileStore(directory.path().string());
  const std::string long_value(64 * 1024, 'v');
  EXPECT_FALSE(testing_support::RunWithFileSizeLimit(
      4096, [&] { return store->WriteString("a.ini", "One", "B", long_value); }));
  EXPECT_EQ(directory.Read("a.ini"), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()), {}), 1)
      << "no new file left";
}
#endif

struct IntCase {
  const char* text;
  int expected;
  friend void PrintTo(const IntCase& c, std::ostream* os) { *os << c.text << ' ' << c.expected; }
};

class ParseProfileIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseProfileIntTest, ReadsLeadingNumber) {
  EXPECT_EQ(platform::ParseProfileInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseProfileIntTest,
                         ::testing::Values(IntCase{"4", 4}, IntCase{" 12abc", 12}, IntCase{"-3", -3},
                                           IntCase{"abc", 0}, IntCase{"", 0},
                                           IntCase{"99999999999", 2147483647}));

}  // namespace
