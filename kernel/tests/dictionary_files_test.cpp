#include <gtest/gtest.h>

#include <string>

#include "kernel/cluster_file.h"
#include "kernel/feature_file.h"
#include "kernel/pen_ink_file.h"
#include "kernel/segment_list_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kernel::CodePage;
using kernel::LoadError;

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A header assembled byte by byte.
Bytes Header(const char* tag, std::uint32_t type, std::int32_t count, std::int32_t width,
             std::initializer_list<std::int32_t> parameters) {
  Bytes bytes(256, 0);
  const std::string magic = "CHCR";
  std::copy(magic.begin(), magic.end(), bytes.begin());
  for (int i = 0; i < 3; ++i) bytes[4 + i] = static_cast<std::uint8_t>(tag[i]);
  PutU32(bytes, 8, type);
  PutU32(bytes, 12, 0x02000000);
  PutU32(bytes, 28, static_cast<std::uint32_t>(count));
  PutU32(bytes, 32, static_cast<std::uint32_t>(width));
  std::size_t offset = 36;
  for (const std::int32_t parameter : parameters) {
    PutU32(bytes, offset, static_cast<std::uint32_t>(parameter));
    offset += 4;
  }
  return bytes;
}

void Append(Bytes& bytes, std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }

// Two features, divisors 3 and 4, two records: Big5 A4 40 and A4 41.
Bytes HandMadeFeatureFile() {
  Bytes bytes = Header("cht", 0x11, 2, 2, {0, 1, 1, 2, 2});
  Append(bytes, {3, 0, 4, 0});
  Append(bytes, {10, 20, 0xA4, 0x40});
  Append(bytes, {30, 40, 0xA4, 0x41});
  return bytes;
}

TEST(FeatureFileTest, ReadsHandAssembledFile) {
  const auto parsed = kernel::ParseFeatureFile(HandMadeFeatureFile(), CodePage::kBig5);
  ASSERT_TRUE(std::holds_alternative<kernel::FeatureFile>(parsed));
  const auto& file = std::get<kernel::FeatureFile>(parsed);
  EXPECT_EQ(file.divisors, (std::vector<std::uint16_t>{3, 4}));
  EXPECT_EQ(file.bounds(), (std::array<std::int32_t, 5>{0, 1, 1, 2, 2}));
  ASSERT_EQ(file.records.size(), 2u);
  EXPECT_EQ(file.records.Record(1)[0], 30);
  // The lead byte lands in the low byte of the code.
  EXPECT_EQ(kernel::RecordCode(file.records.Record(0)), 0x40A4);
  EXPECT_EQ(kernel::RecordCode(file.records.Record(1)), 0x41A4);
}

TEST(FeatureFileTest, WriterMatchesHandAssembledFile) {
  const std::vector<kernel::FeatureRecord> records = {{{10, 20}, 0x40A4}, {{30, 40}, 0x41A4}};
  const std::vector<std::uint16_t> divisors = {3, 4};
  EXPECT_EQ(kernel::WriteFeatureFile(CodePage::kBig5, {0, 1, 1, 2, 2}, divisors, records),
            HandMadeFeatureFile());
}

struct BadFile {
  const char* name;
  Bytes bytes;
  CodePage code_page;
  LoadError error;
};

Bytes With(Bytes bytes, std::size_t offset, std::uint32_t value) {
  PutU32(bytes, offset, value);
  return bytes;
}

Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

class FeatureFileErrorTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(FeatureFileErrorTest, GivesErrorCode) {
  const auto parsed = kernel::ParseFeatureFile(GetParam().bytes, GetParam().code_page);
  ASSERT_TRUE(std::holds_alternative<LoadError>(parsed));
  EXPECT_EQ(std::get<LoadError>(parsed), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    CraftedFiles, FeatureFileErrorTest,
    ::testing::Values(
        BadFile{"RecordsShort", Cut(HandMadeFeatureFile(), 256 + 4 + 7), CodePage::kBig5,
                LoadError::kShortRead},
        BadFile{"DivisorsShort", Cut(HandMadeFeatureFile(), 256 + 3), CodePage::kBig5, LoadError::kShortRead},
        BadFile{"HugeCount", With(HandMadeFeatureFile(), 28, 0x7FFFFFFF), CodePage::kBig5,
                LoadError::kShortRead},
        BadFile{"HeaderShort", Cut(HandMadeFeatureFile(), 255), CodePage::kBig5, LoadError::kMismatch},
        BadFile{"OtherTag", HandMadeFeatureFile(), CodePage::kGb2312, LoadError::kMismatch},
        BadFile{"BadMagic", With(HandMadeFeatureFile(), 0, 0x52434844), CodePage::kBig5,
                LoadError::kMismatch},
        BadFile{"NegativeCount", With(HandMadeFeatureFile(), 28, 0xFFFFFFFF), CodePage::kBig5,
                LoadError::kMismatch},
        BadFile{"ZeroWidth", With(HandMadeFeatureFile(), 32, 0), CodePage::kBig5, LoadError::kMismatch},
        BadFile{"BoundBeyondN", With(HandMadeFeatureFile(), 52, 3), CodePage::kBig5, LoadError::kMismatch},
        BadFile{"FallingBounds", With(HandMadeFeatureFile(), 40, 2), CodePage::kBig5, LoadError::kMismatch},
        BadFile{"ZeroDivisor",
                [] {
                  Bytes b = HandMadeFeatureFile();
                  b[256] = 0;
                  return b;
                }(),
                CodePage::kBig5, LoadError::kMismatch},
        BadFile{"ClusterType", With(HandMadeFeatureFile(), 8, 0x12), CodePage::kBig5, LoadError::kWrongType}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(FeatureFileTest, OnlyTheLowFourTypeBitsCount) {
  EXPECT_TRUE(std::holds_alternative<kernel::FeatureFile>(
      kernel::ParseFeatureFile(With(HandMadeFeatureFile(), 8, 0xF1), CodePage::kBig5)));
}

TEST(PagedRecordsTest, RecordsCrossPageBoundary) {
  // 226-byte records: 289 to a page of at most 65520 bytes.
  kernel::PagedRecords records(226);
  for (int k = 0; k < 300; ++k) {
    Bytes record(226, static_cast<std::uint8_t>(k));
    record[225] = static_cast<std::uint8_t>(k >> 8);
    records.Append(record);
  }
  EXPECT_EQ(records.records_per_page(), 289u);
  EXPECT_EQ(records.page_count(), 2u);
  for (const int k : {0, 288, 289, 299}) {
    const auto record = records.Record(static_cast<std::size_t>(k));
    ASSERT_EQ(record.size(), 226u);
    EXPECT_EQ(record[0], static_cast<std::uint8_t>(k));
    EXPECT_EQ(record[225], static_cast<std::uint8_t>(k >> 8));
  }
  EXPECT_TRUE(records.Record(300).empty());
}

TEST(PagedRecordsTest, FeatureFileAcrossPageBoundaryReadsBack) {
  std::vector<kernel::FeatureRecord> records;
  std::vector<std::uint16_t> divisors(224, 1);
  for (int k = 0; k < 600; ++k)
    records.push_back(
        {Bytes(224, static_cast<std::uint8_t>(k % 251)), static_cast<std::uint16_t>(0x40A4 + k)});
  const auto parsed = kernel::ParseFeatureFile(
      kernel::WriteFeatureFile(CodePage::kGb2312, {0, 80, 144, 184, 224}, divisors, records),
      CodePage::kGb2312);
  const auto& file = std::get<kernel::FeatureFile>(parsed);
  EXPECT_EQ(file.records.page_count(), 3u);
  for (const int k : {288, 289, 577, 578, 599}) {
    EXPECT_EQ(file.records.Record(static_cast<std::size_t>(k))[100], k % 251);
    EXPECT_EQ(kernel::RecordCode(file.records.Record(static_cast<std::size_t>(k))), 0x40A4 + k);
  }
}

// Two records, L = 2: lists of 1, 0, 2 and 1 segments.
Bytes HandMadeSegmentListFile() {
  Bytes bytes = Header("chs", 0x13, 2, 0, {2, 5, 1});
  Append(bytes, {1, 1, 2, 3, 4, 1});
  Append(bytes, {0});
  Append(bytes, {2, 10, 10, 20, 10, 1, 20, 10, 20, 30, 16});
  Append(bytes, {1, 5, 6, 7, 8, 0});
  return bytes;
}

TEST(SegmentListFileTest, ReadsHandAssembledFile) {
  const auto parsed = kernel::ParseSegmentListFile(HandMadeSegmentListFile(), CodePage::kGb2312);
  ASSERT_TRUE(std::holds_alternative<kernel::SegmentListFile>(parsed));
  const auto& file = std::get<kernel::SegmentListFile>(parsed);
  EXPECT_EQ(file.lists_per_record, 2);
  EXPECT_EQ(file.tolerance, 5);
  EXPECT_EQ(file.further_value, 1);
  ASSERT_EQ(file.lists.size(), 4u);
  EXPECT_EQ(file.lists[1].size(), 0u);
  EXPECT_EQ(file.lists[2][1], (kernel::SegmentRecord{20, 10, 20, 30, 16}));
}

TEST(SegmentListFileTest, WriterMatchesHandAssembledFile) {
  const std::vector<kernel::SegmentList> lists = {
      {{1, 2, 3, 4, 1}}, {}, {{10, 10, 20, 10, 1}, {20, 10, 20, 30, 16}}, {{5, 6, 7, 8, 0}}};
  EXPECT_EQ(kernel::WriteSegmentListFile(CodePage::kGb2312, 2, 5, 1, lists), HandMadeSegmentListFile());
}

TEST(SegmentListFileTest, CraftedFilesGiveErrorCodes) {
  const Bytes good = HandMadeSegmentListFile();
  const std::vector<std::pair<Bytes, LoadError>> cases = {
      {Cut(good, good.size() - 1), LoadError::kShortRead},
      {Cut(good, 256 + 6 + 1), LoadError::kShortRead},
      {With(good, 28, 0x40000000), LoadError::kShortRead},
      {With(good, 36, 0), LoadError::kMismatch},
      {With(good, 36, 0xFFFFFFFF), LoadError::kMismatch},
      {With(good, 8, 0x11), LoadError::kWrongType},
      // L is bounded on its own: a count of 0 must not let a huge L through
      // to the first learning, which fills L lists.
      {With(With(Cut(good, 256), 28, 0), 36, 5046272), LoadError::kMismatch},
      {With(good, 36, kernel::kMaxListsPerRecord + 1), LoadError::kMismatch},
  };
  for (const auto& [bytes, error] : cases) {
    const auto parsed = kernel::ParseSegmentListFile(bytes, CodePage::kGb2312);
    ASSERT_TRUE(std::holds_alternative<LoadError>(parsed));
    EXPECT_EQ(std::get<LoadError>(parsed), error);
  }
}

// M = 2, B = 10 records (2 mask bytes), C = 100, K = 1; two clusters.
Bytes HandMadeClusterFile() {
  Bytes bytes = Header("cht", 0x12, 2, 2, {10, 100, 1});
  Append(bytes, {2, 0, 5, 0});
  Append(bytes, {1, 2, 200, 201});
  Append(bytes, {0x80, 0x40, 0x01, 0x00});
  return bytes;
}

TEST(ClusterFileTest, ReadsHandAssembledFile) {
  const auto parsed = kernel::ParseClusterFile(HandMadeClusterFile(), CodePage::kBig5);
  ASSERT_TRUE(std::holds_alternative<kernel::ClusterFile>(parsed));
  const auto& file = std::get<kernel::ClusterFile>(parsed);
  EXPECT_EQ(file.divisors, (std::vector<std::uint16_t>{2, 5}));
  EXPECT_EQ(file.cluster_count(), 2u);
  EXPECT_EQ(file.Centroid(1)[0], 200);
  EXPECT_EQ(file.Mask(0)[1], 0x40);
  EXPECT_EQ(file.base_records, 10);
  EXPECT_EQ(file.first_stage_capacity, 100);
  EXPECT_EQ(file.merged, 1);
}

TEST(ClusterFileTest, WriterMatchesHandAssembledFile) {
  const std::vector<kernel::ClusterDefinition> clusters = {{{1, 2}, {0, 9}}, {{200, 201}, {7}}};
  const std::vector<std::uint16_t> divisors = {2, 5};
  EXPECT_EQ(kernel::WriteClusterFile(CodePage::kBig5, divisors, 10, 100, 1, clusters), HandMadeClusterFile());
}

TEST(ClusterFileTest, CraftedFilesGiveErrorCodes) {
  const Bytes good = HandMadeClusterFile();
  const std::vector<std::pair<Bytes, LoadError>> cases = {
      {Cut(good, good.size() - 1), LoadError::kShortRead},
      {With(good, 28, 0x7FFFFFFF), LoadError::kShortRead},
      {With(good, 36, 0x7FFFFFFF), LoadError::kShortRead},
      {With(good, 36, 0xFFFFFFFF), LoadError::kMismatch},
      {With(good, 40, 0), LoadError::kMismatch},
      {With(good, 44, 0), LoadError::kMismatch},
      {With(good, 32, 0), LoadError::kMismatch},
      {With(good, 8, 0x13), LoadError::kWrongType},
      // B is bounded on its own: with no clusters a mask of 0x7FFFFFF8 bits
      // would still be made for every match.
      {With(With(Cut(good, 256 + 4), 28, 0), 36, 0x7FFFFFF8), LoadError::kShortRead},
  };
  for (const auto& [bytes, error] : cases) {
    const auto parsed = kernel::ParseClusterFile(bytes, CodePage::kBig5);
    ASSERT_TRUE(std::holds_alternative<LoadError>(parsed));
    EXPECT_EQ(std::get<LoadError>(parsed), error);
  }
}

TEST(DictionaryFilesTest, EmptyFilesWithSmallDimensionsLoad) {
  const Bytes lists = With(Cut(HandMadeSegmentListFile(), 256), 28, 0);
  const auto parsed_lists =
      kernel::ParseSegmentListFile(With(lists, 36, kernel::kMaxListsPerRecord), CodePage::kGb2312);
  ASSERT_TRUE(std::holds_alternative<kernel::SegmentListFile>(parsed_lists));
  EXPECT_TRUE(std::get<kernel::SegmentListFile>(parsed_lists).lists.empty());
  // Two mask bytes of B = 10 fit beside the divisors.
  const auto parsed_clusters =
      kernel::ParseClusterFile(With(Cut(HandMadeClusterFile(), 256 + 4), 28, 0), CodePage::kBig5);
  ASSERT_TRUE(std::holds_alternative<kernel::ClusterFile>(parsed_clusters));
  EXPECT_EQ(std::get<kernel::ClusterFile>(parsed_clusters).cluster_count(), 0u);
}

TEST(ClusterFileTest, MergeCountIsCutTo400) {
  const auto parsed = kernel::ParseClusterFile(With(HandMadeClusterFile(), 44, 5000), CodePage::kBig5);
  EXPECT_EQ(std::get<kernel::ClusterFile>(parsed).merged, 400);
}

TEST(PenInkFileTest, ReadsHandAssembledRecordsAndStopsAtCutRecord) {
  // Code A4 40 as the caller gives it (0x40A4), one stroke of two points.
  const Bytes bytes = {0xA4, 0x40, 4, 0, 2, 0, 0, 0,    10,   0, 20, 0, 0xFF,
                       0xFF, 30,   0, 0, 0, 0, 0, 0x31, 0x00, 2, 0,  1, 0};
  const auto records = kernel::ParsePenInkFile(bytes);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].code, 0x40A4);
  ASSERT_EQ(records[0].entries.size(), 4u);
  EXPECT_EQ(records[0].entries[0].x, 2);
  EXPECT_EQ(records[0].entries[1].y, 20);
  // Stored values are read back unsigned.
  EXPECT_EQ(records[0].entries[2].x, 65535);
}

TEST(PenInkFileTest, WriterMatchesHandAssembledRecord) {
  const std::vector<wrendle::StrokeEntry> entries = {{2, 0}, {10, 20}, {-1, 30}, {0, 0}};
  const Bytes expected = {0xA4, 0x40, 4, 0, 2, 0, 0, 0, 10, 0, 20, 0, 0xFF, 0xFF, 30, 0, 0, 0, 0, 0};
  EXPECT_EQ(kernel::SerializeInkRecord(0x40A4, entries), expected);
  EXPECT_TRUE(kernel::ParsePenInkFile({}).empty());
}

}  // namespace
