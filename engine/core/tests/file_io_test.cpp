#include "engine/core/file_io.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/core/byte_order.h"
#include "engine/core/tests/test_support.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing_support::TemporaryDirectory;
using vok_test::Bytes;
using vok_test::CapturedMessages;
using vok_test::Occurrences;

class FileIoTest : public ::testing::Test {
 protected:
  std::FILE* OpenWith(const std::string& bytes, const char* mode = "rb") {
    dir_.Write("f", bytes);
    return std::fopen(dir_.File("f").c_str(), mode);
  }
  TemporaryDirectory dir_;
};

TEST_F(FileIoTest, OpenFailurePrintsAndReturnsNull) {
  CapturedMessages messages;
  const std::string path = dir_.File("missing");
  EXPECT_EQ(vok::FileOpen(path.c_str(), "rb"), nullptr);
  EXPECT_EQ(messages.Errors(), "\nFileOpen(" + path + ",rb) - Failed\n");
}

TEST_F(FileIoTest, ShortReadMessagesByMode) {
  struct Case {
    int mode;
    bool at_end;  // read at the very end of the file (0 bytes arrive)
    int lines;
  };
  const Case cases[] = {
      {vok::RM_NOCHECK, false, 0}, {vok::RM_EOFOK, false, 1}, {vok::RM_EOFBAD, false, 1},
      {vok::RM_NOCHECK, true, 0},  {vok::RM_EOFOK, true, 0},  {vok::RM_EOFBAD, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " at end " << c.at_end);
    std::FILE* f = OpenWith("abcd");
    ASSERT_NE(f, nullptr);
    char buffer[10];
    if (c.at_end) {
      ASSERT_EQ(std::fread(buffer, 1, 4, f), 4u);
    }
    CapturedMessages messages;
    EXPECT_EQ(vok::FileRead(f, buffer, 10, c.mode), c.at_end ? 0u : 4u);
    EXPECT_EQ(Occurrences(messages.Errors(), "RM_EOFBAD): Unexpected end of file"), c.lines);
    std::fclose(f);
  }
}

TEST_F(FileIoTest, UnknownReadModeIsReported) {
  std::FILE* f = OpenWith("ab");
  CapturedMessages messages;
  char buffer[4];
  EXPECT_EQ(vok::FileRead(f, buffer, 4, 7), 2u);
  EXPECT_NE(messages.Errors().find(",7): Unknown read mode"), std::string::npos);
  std::fclose(f);
}

TEST_F(FileIoTest, FullReadIsSilent) {
  std::FILE* f = OpenWith("abcd");
  CapturedMessages messages;
  char buffer[4];
  EXPECT_EQ(vok::FileRead(f, buffer, 4, vok::RM_EOFBAD), 4u);
  EXPECT_EQ(messages.Errors(), "");
  std::fclose(f);
}

TEST_F(FileIoTest, ReadLineBasics) {
  std::FILE* f = OpenWith("abc\n\nlast");
  char buffer[16];
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), 4);
  EXPECT_STREQ(buffer, "last");
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), -1);
  std::fclose(f);
}

TEST_F(FileIoTest, EmptyLastLineWithoutLineFeedIsEndOfFile) {
  std::FILE* f = OpenWith("abc\n");
  char buffer[16];
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), 3);
  EXPECT_EQ(vok::FileReadLine(f, buffer, 16), -1);
  std::fclose(f);
}

TEST_F(FileIoTest, ReadLineAcceptsCrLfAndLf) {
  std::FILE* f = OpenWith("a b\r\nc\nd\r\r\ne");
  std::string line;
  EXPECT_EQ(vok::FileReadLine(f, &line), 3);
  EXPECT_EQ(line, "a b");
  EXPECT_EQ(vok::FileReadLine(f, &line), 1);
  EXPECT_EQ(line, "c");
  EXPECT_EQ(vok::FileReadLine(f, &line), 1);
  EXPECT_EQ(line, "d");
  EXPECT_EQ(vok::FileReadLine(f, &line), 0);  // the lone CR ended "d", CRLF an empty line
  EXPECT_EQ(vok::FileReadLine(f, &line), 1);
  EXPECT_EQ(line, "e");
  EXPECT_EQ(vok::FileReadLine(f, &line), -1);
  std::fclose(f);
}

TEST_F(FileIoTest, LongLineLosesNoByte) {
  std::FILE* f = OpenWith("abcdefghij\nxy\n");
  char buffer[4];
  bool truncated = false;
  std::string joined;
  int n = vok::FileReadLine(f, buffer, 4, &truncated);
  EXPECT_EQ(n, 3);
  EXPECT_TRUE(truncated);
  joined += buffer;
  while (truncated) {
    n = vok::FileReadLine(f, buffer, 4, &truncated);
    ASSERT_GE(n, 0);
    joined += buffer;
  }
  EXPECT_EQ(joined, "abcdefghij");
  EXPECT_EQ(vok::FileReadLine(f, buffer, 4, &truncated), 2);
  EXPECT_FALSE(truncated);
  EXPECT_STREQ(buffer, "xy");
  std::fclose(f);
}

TEST_F(FileIoTest, LineThatExactlyFillsTheBufferIsNotTruncated) {
  std::FILE* f = OpenWith("abc\r\nd");
  char buffer[4];
  bool truncated = true;
  EXPECT_EQ(vok::FileReadLine(f, buffer, 4, &truncated), 3);
  EXPECT_FALSE(truncated);
  EXPECT_EQ(vok::FileReadLine(f, buffer, 4, &truncated), 1);
  EXPECT_STREQ(buffer, "d");
  std::fclose(f);
}

TEST_F(FileIoTest, BigEndianWriteKeepsCallerValue) {
  std::FILE* f = std::fopen(dir_.File("w").c_str(), "wb");
  int32_t value = 0x01020304;
  ASSERT_EQ(vok::FileWriteInt32(f, value), 0);
  EXPECT_EQ(value, 0x01020304);
  ASSERT_EQ(vok::FileWriteInt16(f, static_cast<int16_t>(-2)), 0);
  std::fclose(f);
  EXPECT_EQ(dir_.Read("w"), Bytes({1, 2, 3, 4, 0xFF, 0xFE}));
}

TEST_F(FileIoTest, ReadIntSwapsToHostOrder) {
  std::FILE* f = OpenWith(Bytes({0x12, 0x34, 0x89, 0xAB, 0xCD, 0xEF, 7}));
  uint16_t a = 0;
  uint32_t b = 0;
  ASSERT_EQ(vok::FileReadInt(f, &a, 2), 0);
  ASSERT_EQ(vok::FileReadInt(f, &b, 4), 0);
  EXPECT_EQ(a, 0x1234);
  EXPECT_EQ(b, 0x89ABCDEFu);
  EXPECT_EQ(vok::FileReadInt(f, &b, 4), -1);
  std::fclose(f);
}

TEST(ByteOrderTest, SwapsInPlace) {
  uint16_t a = 0x1234;
  uint32_t b = 0x11223344;
  vok::Swap16(&a);
  vok::Swap32(&b);
  EXPECT_EQ(a, 0x3412);
  EXPECT_EQ(b, 0x44332211u);
}

TEST_F(FileIoTest, StringFields) {
  std::FILE* f = OpenWith(Bytes({0, 0, 0, 3, 'a', 'b', 'c', 0, 5, 'x'}));
  char buffer[16] = "junk";
  EXPECT_EQ(vok::FileReadString(f, buffer, 16), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(vok::FileReadString(f, buffer, 16), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(vok::FileReadString(f, buffer, 16), vok::kBadStringField);  // 5 announced, 1 there
  EXPECT_EQ(vok::FileReadString(f, buffer, 16), vok::kBadStringField);  // no length
  std::fclose(f);
}

TEST_F(FileIoTest, NegativeLengthIsRefused) {
  std::FILE* f = OpenWith(Bytes({0xFF, 0xF0, 'a', 'b'}));
  char buffer[4] = "xyz";
  EXPECT_EQ(vok::FileReadString(f, buffer, 4), vok::kBadStringField);
  EXPECT_STREQ(buffer, "");
  std::fclose(f);
}

TEST_F(FileIoTest, StringLongerThanBufferStaysInBoundsAndKeepsPosition) {
  std::FILE* f = OpenWith(Bytes({0, 6, 'a', 'b', 'c', 'd', 'e', 'f', 0, 1, 'z'}));
  char buffer[5];
  EXPECT_EQ(vok::FileReadString(f, buffer, 4), vok::kBadStringField);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(vok::FileReadString(f, buffer, 5), 1);
  EXPECT_STREQ(buffer, "z");
  std::fclose(f);
}

TEST_F(FileIoTest, ScrambledStringsRoundTripAndMatchFixture) {
  std::FILE* f = std::fopen(dir_.File("s").c_str(), "wb");
  ASSERT_EQ(vok::FileWriteScrambledString(f,
                                          "\xFF"
                                          "A",
                                          3),
            0);
  ASSERT_EQ(vok::FileWriteString(f, nullptr), 0);
  std::fclose(f);
  EXPECT_EQ(dir_.Read("s"), Bytes({0, 2, 0x02, 'D', 0, 0}));
  f = std::fopen(dir_.File("s").c_str(), "rb");
  char buffer[8];
  EXPECT_EQ(vok::FileReadScrambledString(f, buffer, 8, 3), 0);
  EXPECT_STREQ(buffer,
               "\xFF"
               "A");
  EXPECT_EQ(vok::FileReadScrambledString(f, buffer, 8, 3), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(vok::FileReadScrambledString(f, buffer, 8, 3), vok::kBadStringField);
  std::fclose(f);
}

TEST_F(FileIoTest, FileExistsAndRemainingBytes) {
  EXPECT_EQ(vok::FileExists(dir_.File("none").c_str()), 0);
  std::FILE* f = OpenWith("12345");
  EXPECT_EQ(vok::FileExists(dir_.File("f").c_str()), 1);
  char c;
  ASSERT_EQ(std::fread(&c, 1, 1, f), 1u);
  EXPECT_EQ(vok::FileRemainingBytes(f), 4);
  ASSERT_EQ(std::fread(&c, 1, 1, f), 1u);
  EXPECT_EQ(c, '2');
  std::fclose(f);
}

TEST_F(FileIoTest, BlockFiles) {
  dir_.Write("b", "# comment\n\nfirst line\n%BEGIN MAIN\r\none\n# skipped\n\ntwo\n%END\nafter\n");
  const std::string path = dir_.File("b");
  EXPECT_EQ(vok::FileCountBlockLines(path.c_str(), "MAIN"), 2);
  EXPECT_EQ(vok::FileCountBlockLines(path.c_str(), "OTHER"), 0);
  EXPECT_EQ(vok::FileCountBlockLines(dir_.File("none").c_str(), "MAIN"), 0);

  std::FILE* f = vok::FileFindBlock(path.c_str(), nullptr);
  ASSERT_NE(f, nullptr);
  char buffer[64];
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 64), 11);  // the line after "first line"
  EXPECT_STREQ(buffer, "%BEGIN MAIN");
  std::fclose(f);

  f = vok::FileFindBlock(path.c_str(), "MAIN");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 64), 3);
  EXPECT_STREQ(buffer, "one");
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 64), 3);
  EXPECT_STREQ(buffer, "two");
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 64), -1);
  std::fclose(f);
  EXPECT_EQ(vok::FileFindBlock(path.c_str(), "NONE"), nullptr);
}

TEST_F(FileIoTest, LongBlockLineIsCutNotSplit) {
  // "\xB0\xA1" is one GB2312 character; a 4-byte buffer keeps "ab" only.
  dir_.Write("b", "%BEGIN X\nab\xB0\xA1zz\nnext\n%END\n");
  std::FILE* f = vok::FileFindBlock(dir_.File("b").c_str(), "X");
  ASSERT_NE(f, nullptr);
  char buffer[4];
  bool truncated = false;
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 4, &truncated), 2);
  EXPECT_TRUE(truncated);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 4, &truncated), 3);
  EXPECT_TRUE(truncated);
  EXPECT_STREQ(buffer, "nex");  // "next" needs 5 bytes: cut too
  EXPECT_EQ(vok::FileReadBlockLine(f, buffer, 4, &truncated), -1);
  std::fclose(f);
}

}  // namespace
