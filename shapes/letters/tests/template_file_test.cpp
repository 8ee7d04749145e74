#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shapes/letters/helvane_library.h"
#include "shapes/letters/template_file_reader.h"
#include "shapes/letters/template_file_writer.h"
#include "tests/support/temporary_directory.h"

namespace {

using letters::TemplateFileContent;
using letters::TemplateRecord;

class RecordingSink : public letters::LoaderMessageSink {
 public:
  void Show(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

TemplateFileContent SmallContent() {
  TemplateFileContent content;
  for (int j = 0; j < 154; ++j) {
    content.group0_scales.push_back(static_cast<std::int16_t>(j + 1));
    content.group12_scales.push_back(static_cast<std::int16_t>(300 + j));
  }
  std::vector<std::uint8_t> features0(154), features1(90), features2(64);
  for (int j = 0; j < 154; ++j) features0[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(j);
  for (int j = 0; j < 90; ++j)
    features1[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(200 + j % 50);
  for (int j = 0; j < 64; ++j) features2[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(255 - j);
  content.groups[0] = {TemplateRecord{'a', features0, 1, 1234, -2},
                       TemplateRecord{'7', features0, 0, 0, 32767}};
  content.groups[1] = {TemplateRecord{'Z', features1, 0, -300, 5}};
  content.groups[2] = {TemplateRecord{'0', features2, 2, 258, 1}};
  return content;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

TEST(TemplateFileWriter, MatchesHandAssembledBytes) {
  std::vector<std::uint8_t> expected = {2, 0, 1, 0, 1, 0, 154, 0, 90, 0, 64, 0};
  for (unsigned j = 0; j < 154; ++j) Put16(expected, j + 1);
  for (unsigned j = 0; j < 154; ++j) Put16(expected, 300 + j);
  const auto record = [&](char code, unsigned count, auto feature, std::uint8_t kind, unsigned a,
                          unsigned b) {
    expected.push_back(static_cast<std::uint8_t>(code));
    for (unsigned j = 0; j < count; ++j) expected.push_back(static_cast<std::uint8_t>(feature(j)));
    expected.push_back(kind);
    Put16(expected, a);
    Put16(expected, b);
  };
  record(
      'a', 154, [](unsigned j) { return j; }, 1, 1234, 0xFFFE);
  record(
      '7', 154, [](unsigned j) { return j; }, 0, 0, 0x7FFF);
  record(
      'Z', 90, [](unsigned j) { return 200 + j % 50; }, 0, 0x10000 - 300, 5);
  record(
      '0', 64, [](unsigned j) { return 255 - j; }, 2, 0x0102, 1);
  EXPECT_EQ(letters::WriteTemplateFile(SmallContent()), expected);
}

TEST(TemplateFileReader, ReadsWhatTheWriterWrote) {
  const TemplateFileContent content = SmallContent();
  const letters::TemplateFileResult result = letters::ReadTemplateFile(letters::WriteTemplateFile(content));
  ASSERT_NE(result.table, nullptr);
  EXPECT_EQ(result.total_count, 4);
  const int first_features[3] = {0, 0, 90};
  for (std::size_t g = 0; g < 3; ++g) {
    const letters::TemplateGroup& group = result.table->groups[g];
    EXPECT_EQ(group.dimension, content.dimensions[g]);
    EXPECT_EQ(group.first_feature, first_features[g]);
    ASSERT_EQ(group.templates.size(), content.groups[g].size());
    for (std::size_t t = 0; t < group.templates.size(); ++t) {
      const TemplateRecord& written = content.groups[g][t];
      const letters::LetterTemplate& read = group.templates[t];
      EXPECT_EQ(read.code, written.code);
      EXPECT_EQ(read.kind, written.kind);
      EXPECT_EQ(read.threshold_a, written.threshold_a);
      EXPECT_EQ(read.threshold_b, written.threshold_b);
      EXPECT_TRUE(std::equal(written.features.begin(), written.features.end(), read.features.begin()));
    }
  }
  EXPECT_EQ(result.table->groups[0].scales, content.group0_scales);
  EXPECT_EQ(result.table->groups[1].scales,
            std::vector<std::int16_t>(content.group12_scales.begin(), content.group12_scales.begin() + 90));
  EXPECT_EQ(result.table->groups[2].scales,
            std::vector<std::int16_t>(content.group12_scales.begin() + 90, content.group12_scales.end()));
}

// Files the loader must refuse, and the message each one shows.
TEST(TemplateFileLoader, RefusesBadFilesWithItsMessage) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string message;  // "%s" stands for the file's path
  };
  TemplateFileContent dimension_153 = SmallContent();
  dimension_153.dimensions = {154, 90, 63};
  TemplateFileContent signs = SmallContent();
  signs.dimensions = {154, 200, -46};
  TemplateFileContent group0_150 = SmallContent();
  group0_150.dimensions = {150, 90, 64};
  TemplateFileContent too_many = SmallContent();
  too_many.groups[2].resize(3201 - 3, too_many.groups[2][0]);
  TemplateFileContent zero_scale = SmallContent();
  zero_scale.group12_scales[100] = 0;
  TemplateFileContent negative_scale = SmallContent();
  negative_scale.group0_scales[3] = -5;
  std::vector<std::uint8_t> negative_count = letters::WriteTemplateFile(SmallContent());
  negative_count[2] = 0xFF;  // T1 = -1, T0 + T1 + T2 = 2
  negative_count[3] = 0xFF;
  std::vector<std::uint8_t> short_file = letters::WriteTemplateFile(SmallContent());
  short_file.pop_back();
  const std::vector<std::uint8_t> short_header(short_file.begin(), short_file.begin() + 11);
  const std::string damaged = "Damaged DBS file[%s]!\n";
  const Case cases[] = {
      {"D1 + D2 = 153", letters::WriteTemplateFile(dimension_153), "Feature dimension ERROR!\n"},
      {"D1 = 200, D2 = -46", letters::WriteTemplateFile(signs), "Feature dimension ERROR!\n"},
      {"D0 = 150", letters::WriteTemplateFile(group0_150), "Feature dimension ERROR!\n"},
      {"3201 templates", letters::WriteTemplateFile(too_many), "MASK EXCEED BUFFER [3201]!\n"},
      {"negative count", negative_count, "MASK EXCEED BUFFER [2]!\n"},
      {"zero scale", letters::WriteTemplateFile(zero_scale), damaged},
      {"negative scale", letters::WriteTemplateFile(negative_scale), damaged},
      {"last byte missing", short_file, damaged},
      {"header cut", short_header, damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TemporaryDirectory folder;
    folder.Write("HELVANE.TPL", std::string(c.bytes.begin(), c.bytes.end()));
    RecordingSink sink;
    letters::HelvaneLibrary library(sink);
    const std::string prefix = folder.path().string() + "/";
    EXPECT_EQ(library.Create(prefix.c_str()), nullptr);
    std::string message = c.message;
    if (const auto at = message.find("%s"); at != std::string::npos)
      message.replace(at, 2, prefix + "HELVANE.TPL");
    EXPECT_EQ(sink.messages, std::vector<std::string>{message});
    EXPECT_EQ(library.reference_count(), 0);
  }
}

TEST(TemplateFileLoader, MissingFileAndBadPrefixes) {
  testing_support::TemporaryDirectory folder;
  RecordingSink sink;
  letters::HelvaneLibrary library(sink);
  const std::string prefix = folder.path().string() + "/";
  EXPECT_EQ(library.Create(prefix.c_str()), nullptr);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"Can't open DBS file[" + prefix + "HELVANE.TPL]!\n"});

  // A prefix over 99 characters would overflow the path: refused unread.
  sink.messages.clear();
  EXPECT_EQ(library.Create(std::string(100, 'a').c_str()), nullptr);
  EXPECT_EQ(library.Create(nullptr), nullptr);
  EXPECT_TRUE(sink.messages.empty());
}

}  // namespace
