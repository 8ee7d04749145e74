#include "app/core/text_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/core/geometry.h"

namespace {

using namespace wrendle::app;

TEST(NextCharTest, WalksSingleAndDoubleByteCharacters) {
  const char text[] = "A\xD6\xD0z";
  const char* p = text;
  EXPECT_EQ(NextChar(&p), 'A');
  EXPECT_EQ(p, text + 1);
  EXPECT_EQ(NextChar(&p), 0xD0D6) << "lead byte in the low byte";
  EXPECT_EQ(NextChar(&p), 'z');
  EXPECT_EQ(p, nullptr) << "past the last character";
}

TEST(NextCharTest, EmptyTextAndLoneLeadByteGiveZeroAndNull) {
  const char* empty = "";
  EXPECT_EQ(NextChar(&empty), 0);
  EXPECT_EQ(empty, nullptr);
  const char* lone = "\xD6";
  EXPECT_EQ(NextChar(&lone), 0);
  EXPECT_EQ(lone, nullptr);
  const char* after = "a\xB0";
  EXPECT_EQ(NextChar(&after), 'a');
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(NextChar(&after), 0);
  EXPECT_EQ(after, nullptr);
  const char* null_text = nullptr;
  EXPECT_EQ(NextChar(&null_text), 0);
}

TEST(IsLeadByteTest, BitSeven) {
  EXPECT_FALSE(IsLeadByte(0x7F));
  EXPECT_TRUE(IsLeadByte(0x80));
  EXPECT_TRUE(IsLeadByte(0xFF));
}

struct UserDefinedCase {
  int language;
  std::uint16_t low;
  std::uint16_t high;
};

class UserDefinedCharTest : public testing::TestWithParam<UserDefinedCase> {};

TEST_P(UserDefinedCharTest, RangeEdges) {
  const auto& c = GetParam();
  EXPECT_FALSE(IsUserDefinedChar(static_cast<std::uint16_t>(c.low - 1), c.language)) << std::hex << c.low;
  EXPECT_TRUE(IsUserDefinedChar(c.low, c.language));
  EXPECT_TRUE(IsUserDefinedChar(c.high, c.language));
  if (c.high != 0xFFFF) {
    EXPECT_FALSE(IsUserDefinedChar(static_cast<std::uint16_t>(c.high + 1), c.language)) << std::hex << c.high;
  }
}

// Neighbouring Big5 ranges (0x8140-0x8DFE, 0x8E40-0xA0FE) leave 0x8DFF to
// 0x8E3F between them.
INSTANTIATE_TEST_SUITE_P(
    Tables, UserDefinedCharTest,
    testing::Values(UserDefinedCase{4000, 0xF8A1, 0xFEFE}, UserDefinedCase{4000, 0xAAA1, 0xAFFE},
                    UserDefinedCase{3000, 0xC9A1, 0xC9FE}, UserDefinedCase{3000, 0xFEA1, 0xFEFE},
                    UserDefinedCase{1000, 0xF040, 0xF9FC}, UserDefinedCase{2000, 0xFA40, 0xFEFE},
                    UserDefinedCase{2000, 0x8E40, 0xA0FE}, UserDefinedCase{2000, 0x8140, 0x8DFE},
                    UserDefinedCase{2000, 0xC6A1, 0xC8FE}));

TEST(UserDefinedCharTest, OtherLanguagesHaveNone) {
  EXPECT_FALSE(IsUserDefinedChar(0xF8A1, 0));
  EXPECT_FALSE(IsUserDefinedChar(0x8140, 4000));
  EXPECT_FALSE(IsUserDefinedChar(0xAAA1, 2000));
}

// A temporary file holding `text`.
class TextFile {
 public:
  explicit TextFile(const std::string& text) : file_(std::tmpfile()) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::rewind(file_);
  }
  ~TextFile() { std::fclose(file_); }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

// Every line of `text` as ReadLine gives it with a buffer of `size` bytes
// ("" for a dropped line), until the end of the file.
std::vector<std::string> ReadAll(const std::string& text, std::size_t size,
                                 std::vector<std::size_t>* lengths) {
  TextFile file(text);
  std::vector<std::string> lines;
  std::vector<char> buffer(size + 8, '#');
  for (int guard = 0; guard < 20 && !std::feof(file.get()); ++guard) {
    const std::size_t n = ReadLine(buffer.data(), size, file.get());
    for (std::size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << "written past the size";
    if (n == 0 && std::feof(file.get())) break;
    lines.emplace_back(buffer.data());
    lengths->push_back(n);
  }
  return lines;
}

class ReadLineTest : public testing::TestWithParam<std::size_t> {};

TEST_P(ReadLineTest, LongLinesReadWholeOrAreDroppedWithoutTouchingTheNextLine) {
  const std::size_t body = GetParam();
  const std::string line(body, 'x');
  std::vector<std::size_t> lengths;
  const auto lines = ReadAll(line + "\nnext\n", 300, &lengths);
  ASSERT_EQ(lines.size(), 2u);
  if (body + 1 < 300) {
    EXPECT_EQ(lines[0], line + "\n");
    EXPECT_EQ(lengths[0], body + 1);
  } else {
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lengths[0], 0u);
  }
  EXPECT_EQ(lines[1], "next\n");
  EXPECT_EQ(lengths[1], 5u);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReadLineTest, testing::Values(253, 254, 255, 256, 298, 299, 600));

TEST(ReadLineTest, CrLfAndNoFinalNewline) {
  std::vector<std::size_t> lengths;
  const auto lines = ReadAll("one\r\ntwo", 64, &lengths);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "one\r\n");
  EXPECT_EQ(lengths[0], 5u);
  EXPECT_EQ(lines[1], "two");
  EXPECT_EQ(lengths[1], 3u);
}

TEST(ReadLineTest, EndOfFileAndTinyBuffers) {
  TextFile empty("");
  char buffer[4] = "abc";
  EXPECT_EQ(ReadLine(buffer, sizeof buffer, empty.get()), 0u);
  TextFile file("abc\n");
  buffer[0] = 'a';
  EXPECT_EQ(ReadLine(buffer, 0, file.get()), 0u);
  EXPECT_EQ(buffer[0], 'a') << "a zero size writes nothing";
  EXPECT_EQ(ReadLine(buffer, 4, file.get()), 0u) << "four bytes and the NUL do not fit";
  EXPECT_EQ(buffer[0], 0);
}

TEST(CenterRectTest, CentresOrKeepsTheTopLeft) {
  const Rect outer{10, 20, 110, 70};
  EXPECT_EQ(CenterRect(outer, 50, 20), (Rect{35, 35, 85, 55}));
  EXPECT_EQ(CenterRect(outer, 100, 50), outer);
  EXPECT_EQ(CenterRect(outer, 101, 10), (Rect{10, 20, 111, 30}));
  EXPECT_EQ(CenterRect(outer, 10, 51), (Rect{10, 20, 20, 71}));
}

TEST(DragDistanceTest, SquaredDistanceOverSixtyFive) {
  EXPECT_FALSE(IsDragDistance({0, 0}, {8, 1}));  // 65
  EXPECT_TRUE(IsDragDistance({0, 0}, {8, 2}));   // 68
  EXPECT_FALSE(IsDragDistance({100, 100}, {96, 93}));
  EXPECT_TRUE(IsDragDistance({100, 100}, {91, 100}));
}

}  // namespace
