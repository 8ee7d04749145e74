#include "engine/api/user_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/api/tests/engine_tree.h"
#include "platform/registry_store.h"

namespace vok::api {
namespace {

using testing::EngineTree;
using testing::ProfileHeader;

class UserListTest : public ::testing::Test {
 protected:
  UserListTest() : registry_(machine_, user_), folders_(registry_) {
    machine_.WriteText(kEngineRegistryKey, "InstallPath", tree_.root());
  }

  CUserList MakeList(SpeechModelCheck check = nullptr) {
    CUserList list(folders_, std::move(check));
    list.RebuildDialects({kLexiconFolder, kPron});
    return list;
  }

  EngineTree tree_;
  platform::MemoryRegistryStore machine_, user_;
  EngineRegistry registry_;
  DataFolders folders_;
};

TEST(UtteranceSetHeaderTest, GoldenBytesAndRoundTrip) {
  UtteranceSetHeader header;
  header.dialect = 0x200;
  header.counts[0] = 0x11223344;
  header.counts[2] = 7;
  header.flag = 1;
  std::memcpy(header.dialect_name.data(), "Beijing", 7);
  const auto bytes = EncodeUtteranceSetHeader(header);
  ASSERT_EQ(bytes.size(), 208u);
  const std::uint8_t expected_start[] = {0, 0, 0, 0, 0x02, 0, 0x72, 0, 0x20, 0x64, 0x75, 0x61};
  EXPECT_TRUE(std::equal(std::begin(expected_start), std::end(expected_start), bytes.begin()));
  EXPECT_EQ(bytes[24], 0xFF);  // no second text block
  EXPECT_EQ(bytes[32], 0x00);
  EXPECT_EQ(bytes[33], 0x02);
  EXPECT_EQ(bytes[36], 0x44);
  EXPECT_EQ(bytes[39], 0x11);
  EXPECT_EQ(bytes[44], 7);
  EXPECT_EQ(bytes[176], 1);
  EXPECT_EQ(bytes[180], 'B');
  EXPECT_EQ(bytes[196], 30);
  EXPECT_EQ(bytes[204], 0x11);  // 11025
  EXPECT_EQ(bytes[205], 0x2B);
  const UtteranceSetHeader back = DecodeUtteranceSetHeader(bytes);
  EXPECT_EQ(back.dialect, 0x200u);
  EXPECT_EQ(back.counts[0], 0x11223344u);
  EXPECT_EQ(back.second_text_offset, -1);
  EXPECT_EQ(back.sample_rate, 11025u);
  EXPECT_EQ(std::string(back.dialect_name.data()), "Beijing");
}

TEST(UtteranceSetHeaderTest, AShortHeaderReadsItsTailAsZero) {
  std::vector<std::uint8_t> bytes(179, 0xAB);
  const UtteranceSetHeader header = DecodeUtteranceSetHeader(bytes);
  EXPECT_EQ(header.flag, 0x00ABABABu);  // its fourth byte was not read
  EXPECT_EQ(header.word_196, 0u);
  EXPECT_EQ(header.sample_rate, 0u);
}

TEST(UserRecordTest, GoldenLayout) {
  VokUserRecord record{};
  std::strcpy(record.name, "ChinaMale");
  record.dialect = 0x10;
  record.script = 2;
  record.counts[1] = 5;
  record.flags = 7;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
  EXPECT_EQ(bytes[0], 'C');
  EXPECT_EQ(bytes[328], 0x10);
  EXPECT_EQ(bytes[332], 2);
  EXPECT_EQ(bytes[340], 5);
  EXPECT_EQ(bytes[348], 7);
}

TEST_F(UserListTest, ProfileDialectsAndShortProfiles) {
  tree_.AddDialect("China");
  tree_.AddDialect("Singapore");
  tree_.AddDialect("Hongkong");
  const struct {
    const char* name;
    std::uint32_t stored_dialect;
    std::size_t bytes;
    bool listed;
    std::uint32_t dialect;
  } cases[] = {{"a0", 0, 208, true, 0x10},      {"a1", 1, 208, true, 0x10},   {"a2", 2, 208, true, 0x20},
               {"a3", 0x200, 208, true, 0x200}, {"a4", 0x100, 208, false, 0}, {"a5", 0x10, 179, true, 0x10},
               {"a6", 0x10, 178, false, 0},     {"a7", 0x10, 0, false, 0}};
  for (const auto& c : cases) tree_.AddUser(c.name, ProfileHeader(c.stored_dialect), c.bytes);
  CUserList list = MakeList();
  ASSERT_EQ(list.Scan(), kVokOk);
  for (const auto& c : cases) {
    const VokUserRecord* record = list.Find(c.name);
    EXPECT_EQ(record != nullptr, c.listed) << c.name;
    if (record == nullptr) continue;
    EXPECT_EQ(record->dialect, c.dialect) << c.name;
    EXPECT_EQ(record->script, c.dialect == 0x200 ? 4u : 2u) << c.name;
    EXPECT_EQ(record->flags, kUserProfileRead) << c.name;
  }
}

TEST_F(UserListTest, RecordTakesCountsFlagAndFolder) {
  tree_.AddDialect("China");
  UtteranceSetHeader header = ProfileHeader(1);
  header.counts[0] = 3;
  header.counts[1] = 4;
  header.counts[2] = 5;
  header.flag = 9;
  tree_.AddUser("ChinaMale", header);
  CUserList list = MakeList();
  ASSERT_EQ(list.Scan(), kVokOk);
  const VokUserRecord* record = list.Find("ChinaMale");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->counts[0], 3u);
  EXPECT_EQ(record->counts[2], 5u);
  EXPECT_EQ(record->flags, kUserProfileRead | kUserProfileFlagged);
  EXPECT_EQ(std::string(record->path), folders_.FolderPath(kUsersFolder).value_or("") + "/ChinaMale");
}

TEST_F(UserListTest, SpeechModelNeedsTheAcceptedVersion) {
  tree_.AddDialect("China");
  tree_.AddUser("good", ProfileHeader(0x10));
  tree_.WriteFile("Users/good/speech", "accepted");
  tree_.AddUser("refused", ProfileHeader(0x10));
  tree_.WriteFile("Users/refused/speech", "old");
  tree_.AddUser("onlymodel", ProfileHeader(0x10), 0);
  tree_.WriteFile("Users/onlymodel/speech", "accepted");
  CUserList list =
      MakeList([](const std::string& path) { return path.find("refused") == std::string::npos; });
  ASSERT_EQ(list.Scan(), kVokOk);
  EXPECT_EQ(list.Find("good")->flags, kUserProfileRead | kUserSpeechModelPresent);
  EXPECT_EQ(list.Find("refused")->flags, kUserProfileRead);
  ASSERT_NE(list.Find("onlymodel"), nullptr);
  EXPECT_EQ(list.Find("onlymodel")->flags, kUserSpeechModelPresent);
}

TEST_F(UserListTest, ByteWiseOrderAndSkippedNames) {
  tree_.AddDialect("China");
  // No two names differ only in case: on Windows they would be one folder.
  for (const char* name : {"b", "C", "a", "\xb0\xa1", "Bc", ".hidden"})
    tree_.AddUser(name, ProfileHeader(0x10));
  tree_.AddUser(std::string(65, 'x'), ProfileHeader(0x10));  // longer than the record's 64
  tree_.WriteFile("Users/plainfile", "not a folder");
  CUserList list = MakeList();
  ASSERT_EQ(list.Scan(), kVokOk);
  std::vector<std::string> names;
  for (const auto& record : list.users()) names.push_back(record.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Bc", "C", "a", "b", "\xb0\xa1"}));
}

TEST_F(UserListTest, ADialectNeedsLexiconAndPron) {
  tree_.AddDialect("China");
  tree_.AddDialect("Taiwan", false);
  tree_.AddDialect("Guangdong");
  CUserList list = MakeList();
  EXPECT_EQ(list.dialects(), (std::vector<std::uint32_t>{0x10, 0x30}));
  EXPECT_EQ(list.RebuildDialects({kHMap}), 3u);
  EXPECT_EQ(list.RebuildDialects({kLexiconFolder, kPron, kSpeechF}), 0u);
}

TEST_F(UserListTest, PathBuilders) {
  const std::string s(1, kFolderSeparator);
  const struct {
    std::int32_t folder, dialect;
    const char* tail;  // nullptr: no path
  } cases[] = {{-1, -1, "Data"},
               {-1, 0x10, "Data/China"},
               {kLexiconFolder, -1, "Data/Lexicon"},
               {kGrammarsSpell, 0x200, "Data/Hongkong/Grammars/Spell"},
               {kSyllable, 0x20, "Data/Singapore/Syllable"},
               {19, 0x10, nullptr},
               {0, 0x40, nullptr}};
  for (const auto& c : cases) {
    const auto path = folders_.FilePath(c.folder, c.dialect);
    if (c.tail == nullptr) {
      EXPECT_FALSE(path) << c.folder;
      continue;
    }
    std::string tail = c.tail;
    for (char& ch : tail) {
      if (ch == '/') ch = kFolderSeparator;
    }
    EXPECT_EQ(path.value_or(""), tree_.root() + s + tail);
  }
  EXPECT_EQ(folders_.FolderPath(kCodeFolder).value_or(""), tree_.root() + s + "Code");
  EXPECT_FALSE(folders_.FolderPath(3));
  char small[8];
  EXPECT_FALSE(CopyPath(tree_.root(), small, sizeof(small)));
  EXPECT_STREQ(small, "");
  machine_.DeleteValue(kEngineRegistryKey, "InstallPath");
  EXPECT_FALSE(folders_.FolderPath(kUsersFolder));
}

TEST(EngineRegistryTest, UserValueFirstAndLongValuesAbsent) {
  platform::MemoryRegistryStore machine, user;
  EngineRegistry registry(machine, user);
  machine.WriteText(kEngineRegistryKey, "User", "ChinaMale");
  EXPECT_EQ(registry.CurrentUserName().value_or(""), "ChinaMale");
  user.WriteText(kEngineRegistryKey, "User", "HongkongMale");
  EXPECT_EQ(registry.CurrentUserName().value_or(""), "HongkongMale");
  user.WriteText(kEngineRegistryKey, "User", std::string(65, 'u'));
  EXPECT_EQ(registry.CurrentUserName().value_or(""), "ChinaMale");
  user.WriteNumber(kEngineRegistryKey, "User", 5);  // mistyped
  EXPECT_EQ(registry.CurrentUserName().value_or(""), "ChinaMale");
  machine.Lock(kEngineRegistryKey);
  EXPECT_EQ(registry.WriteCurrentUserName("x"), kVokOk);  // the user's root took it
  EXPECT_EQ(user.ReadText(kEngineRegistryKey, "User").value_or(""), "x");
  user.Lock(kEngineRegistryKey);
  EXPECT_EQ(registry.WriteCurrentUserName("y"), kVokUnknownUser);
}

}  // namespace
}  // namespace vok::api
