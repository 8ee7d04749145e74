#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tests/support/temporary_directory.h"
#if !defined(_WIN32)
#include "tests/support/file_size_limit.h"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

class FileAccessTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const {
    return platform::JoinPath(directory_.path().string(), name);
  }
  testing_support::TemporaryDirectory directory_;
};

TEST_F(FileAccessTest, MissingFileIsNeitherFoundNorRead) {
  EXPECT_FALSE(platform::FileExists(Path("absent.dbs")));
  EXPECT_FALSE(platform::ReadWholeFile(Path("absent.dbs")).has_value());
  EXPECT_TRUE(platform::RemoveFile(Path("absent.dbs")));
}

TEST_F(FileAccessTest, WriteWholeFileWritesAndOverwritesWithoutLeftovers) {
  const Bytes first{1, 2, 3, 0, 255};
  ASSERT_TRUE(platform::WriteWholeFile(Path("a.dbs"), first));
  EXPECT_EQ(platform::ReadWholeFile(Path("a.dbs")), first);
  const Bytes second{9};
  ASSERT_TRUE(platform::WriteWholeFile(Path("a.dbs"), second));
  EXPECT_EQ(platform::ReadWholeFile(Path("a.dbs")), second);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_.path()), {}), 1);
}

TEST_F(FileAccessTest, AppendCreatesAndExtends) {
  ASSERT_TRUE(platform::AppendToFile(Path("ink.dbs"), Bytes{1, 2}));
  ASSERT_TRUE(platform::AppendToFile(Path("ink.dbs"), Bytes{3}));
  ASSERT_TRUE(platform::AppendToFile(Path("ink.dbs"), Bytes{}));
  EXPECT_EQ(platform::ReadWholeFile(Path("ink.dbs")), (Bytes{1, 2, 3}));
}

TEST_F(FileAccessTest, EmptyFileReadsAsEmpty) {
  ASSERT_TRUE(platform::WriteWholeFile(Path("empty"), Bytes{}));
  EXPECT_TRUE(platform::FileExists(Path("empty")));
  EXPECT_EQ(platform::ReadWholeFile(Path("empty")), Bytes{});
}

TEST_F(FileAccessTest, RemoveDeletesFile) {
  ASSERT_TRUE(platform::WriteWholeFile(Path("gone"), Bytes{1}));
  EXPECT_TRUE(platform::RemoveFile(Path("gone")));
  EXPECT_FALSE(platform::FileExists(Path("gone")));
}

TEST_F(FileAccessTest, WritingIntoMissingFolderFails) {
  EXPECT_FALSE(platform::WriteWholeFile(Path("no-such-folder/x"), Bytes{1}));
  EXPECT_FALSE(platform::AppendToFile(Path("no-such-folder/x"), Bytes{1}));
}

TEST_F(FileAccessTest, NewFileThatCannotBeCreatedLeavesTheOldFile) {
  const Bytes old{1, 2, 3};
  ASSERT_TRUE(platform::WriteWholeFile(Path("kept"), old));
  std::filesystem::create_directory(Path("kept.new"));
  EXPECT_FALSE(platform::WriteWholeFile(Path("kept"), Bytes{4}));
  EXPECT_EQ(platform::ReadWholeFile(Path("kept")), old);
}

#if !defined(_WIN32)
TEST_F(FileAccessTest, WriteThatFailsPartWayLeavesTheOldFileAndNoNewOne) {
  const Bytes old{1, 2, 3};
  ASSERT_TRUE(platform::WriteWholeFile(Path("kept"), old));
  const Bytes large(64 * 1024, 7);
  // The first 4 KB reach the new file, the rest does not fit.
  EXPECT_FALSE(testing_support::RunWithFileSizeLimit(
      4096, [&] { return platform::WriteThroughNewFile(Path("kept"), Path("kept.tmp"), large); }));
  EXPECT_EQ(platform::ReadWholeFile(Path("kept")), old);
  EXPECT_FALSE(platform::FileExists(Path("kept.tmp")));
  EXPECT_TRUE(testing_support::RunWithFileSizeLimit(4096, [&] {
    return platform::WriteThroughNewFile(Path("kept"), Path("kept.tmp"), Bytes(4096, 1));
  })) << "a write within the limit succeeds in the child";
  EXPECT_EQ(platform::ReadWholeFile(Path("kept")), Bytes(4096, 1));
}
#endif

TEST(HostProgramDirectoryTest, HoldsTheRunningExecutable) {
  const std::string directory = platform::HostProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().stem() == "platform_tests") found = true;
  }
  EXPECT_TRUE(found);
}

}  // namespace
