#include "engine/api/utterance_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/api/data_folders.h"
#include "platform/file_access.h"
#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

const std::vector<std::int16_t> kFrame(165, 7);

TEST(UtteranceStore, NamesAndFolder) {
  CUtteranceStore store;
  store.SetFolder("/x/WAVE");
  EXPECT_EQ(store.PathOf(0), std::string("/x/WAVE") + kFolderSeparator + "SD00000.wav");
  EXPECT_EQ(store.PathOf(0xab), std::string("/x/WAVE") + kFolderSeparator + "SD000ab.wav");
  store.SetFolder(std::string("/y") + kFolderSeparator);
  EXPECT_EQ(store.PathOf(0x1ffff), std::string("/y") + kFolderSeparator + "SD1ffff.wav");
}

TEST(UtteranceStore, SelectReadAndAtEndFollowTheWriter) {
  testing_support::TemporaryDirectory folder;
  CUtteranceStore store;
  store.SetFolder(folder.path().string());
  EXPECT_FALSE(store.Select(0));  // nothing being written
  ASSERT_TRUE(store.BeginUtterance());
  EXPECT_TRUE(store.Select(0));  // the one being written
  EXPECT_FALSE(store.Select(1));
  EXPECT_EQ(store.UnreadCount(), 1u);
  ASSERT_TRUE(store.WriteFrames(kFrame));
  std::vector<std::int16_t> out(400);
  EXPECT_EQ(store.Read(out), 165u);
  EXPECT_FALSE(store.AtEnd());  // more may come
  ASSERT_TRUE(store.WriteFrames(kFrame));
  store.EndUtterance();
  EXPECT_FALSE(store.AtEnd());
  EXPECT_EQ(store.Read(out), 165u);
  EXPECT_TRUE(store.AtEnd());
  EXPECT_EQ(store.UnreadCount(), 0u);
  EXPECT_EQ(store.Read(out), 0u);
  EXPECT_FALSE(store.Select(1));  // next number, nothing written
  EXPECT_TRUE(store.Select(0));   // a finished one may be read again
  std::size_t count = 0;
  ASSERT_TRUE(store.ReadWhole(0, out, &count));
  EXPECT_EQ(count, 330u);
  EXPECT_FALSE(store.ReadWhole(1, out, &count));
}

TEST(UtteranceStore, DeleteAllWhileRecordingKeepsTheOpenFileAndTheNumbering) {
  testing_support::TemporaryDirectory folder;
  CUtteranceStore store;
  store.SetFolder(folder.path().string());
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(store.BeginUtterance());
    store.WriteFrames(kFrame);
    store.EndUtterance();
  }
  ASSERT_TRUE(store.BeginUtterance());
  store.WriteFrames(kFrame);
  EXPECT_EQ(store.Delete(-1), kVokFileMissing);
  EXPECT_FALSE(platform::FileExists(store.PathOf(0)));
  EXPECT_FALSE(platform::FileExists(store.PathOf(1)));
  EXPECT_TRUE(platform::FileExists(store.PathOf(2)));
  store.WriteFrames(kFrame);
  store.EndUtterance();
  EXPECT_EQ(store.next_number(), 3u);
  std::vector<std::int16_t> out(400);
  std::size_t count = 0;
  ASSERT_TRUE(store.ReadWhole(2, out, &count));
  EXPECT_EQ(count, 330u);
  EXPECT_EQ(store.Delete(-1), kVokOk);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_EQ(store.Delete(5), kVokOk);  // already gone
}

}  // namespace
}  // namespace vok::api
