#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/api/hit_ratio.h"
#include "engine/api/line_index.h"
#include "engine/api/utterance_set_file.h"
#include "engine/core/byte_order.h"
#include "platform/file_access.h"
#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

std::uint32_t WordAt(const std::string& bytes, std::size_t offset) {
  return LoadLittleEndian32(reinterpret_cast<const unsigned char*>(bytes.data()) + offset);
}

std::string AsString(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

UtteranceSetContents ThreeUtterances() {
  UtteranceSetContents contents;
  contents.header.dialect = 0x10;
  contents.header.flag = 1;
  for (int i = 0; i < 3; ++i) {
    UtteranceSetEntry entry;
    entry.samples.assign(165 * (i + 1), static_cast<std::int16_t>(100 * (i + 1)));
    entry.first_text = "take " + std::to_string(i);
    entry.second_text = "ref" + std::to_string(i);
    contents.utterances.push_back(entry);
  }
  return contents;
}

TEST(UtteranceSetHeader, OlderLayoutsAsStoredAndAsUpgraded) {
  UtteranceSetHeader fields;
  fields.table_offset = 208;
  fields.first_text_offset = 300;
  fields.first_text_size = 20;
  fields.dialect = 2;
  fields.counts[0] = 5;
  fields.counts[1] = 4;
  fields.counts[2] = 6;
  fields.text[0] = 'T';
  fields.flag = 9;
  struct Case {
    std::uint32_t version;
    std::vector<std::pair<std::size_t, std::uint32_t>> stored;  // offset, word
    std::uint32_t counts[3];
    std::uint32_t flag;
    bool text;
    std::int32_t second_offset;
  };
  const Case cases[] = {
      {0x610001,
       {{4, 0x610001}, {24, 2}, {28, 5}, {32, 4}, {36, 6}, {40, 'T'}, {168, 9}},
       {5, 4, 6},
       9,
       true,
       -1},
      {0x64000000, {{4, 0x64000000}, {24, 2}, {32, 5}}, {5, 0, 5}, 0, false, -1},
      {0x720101, {{4, 0x720101}, {32, 2}, {36, 5}, {40, 4}, {44, 6}, {176, 9}}, {5, 4, 6}, 9, true, -1},
  };
  for (const Case& c : cases) {
    const auto bytes = EncodeUtteranceSetHeaderAs(fields, c.version);
    ASSERT_EQ(bytes.size(), 208u);
    const std::string image = AsString(bytes);
    for (const auto& [offset, word] : c.stored)
      EXPECT_EQ(WordAt(image, offset), word) << c.version << "@" << offset;
    EXPECT_EQ(WordAt(image, 12), 208u);
    std::uint32_t unit = 0;
    const auto upgraded = ReadAnyUtteranceSetHeader(bytes, &unit);
    ASSERT_TRUE(upgraded) << c.version;
    EXPECT_EQ(unit, 330u);
    EXPECT_EQ(upgraded->version, 0x720002u);
    EXPECT_EQ(upgraded->dialect, 2u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(upgraded->counts[i], c.counts[i]) << c.version;
    EXPECT_EQ(upgraded->flag, c.flag);
    EXPECT_EQ(upgraded->text[0], c.text ? 'T' : '\0');
    EXPECT_EQ(std::string(upgraded->dialect_name.data()), "Beijing");
    EXPECT_EQ(upgraded->word_196, 30u);
    EXPECT_EQ(upgraded->word_200, 0u);
    EXPECT_EQ(upgraded->sample_rate, 11025u);
    EXPECT_EQ(upgraded->first_text_offset, 300u);
    if (c.version != 0x720101) {
      EXPECT_EQ(upgraded->second_text_offset, c.second_offset);
      EXPECT_EQ(upgraded->second_text_size, 0);
    }
  }
  std::uint32_t unit = 0;
  auto current = EncodeUtteranceSetHeader(fields);
  ASSERT_TRUE(ReadAnyUtteranceSetHeader(current, &unit));
  EXPECT_EQ(unit, 1u);
  current[4] = 3;  // 0x720003
  EXPECT_FALSE(ReadAnyUtteranceSetHeader(current, &unit));
}

TEST(UtteranceSetFile, OlderFileIsUpgradedOnDiskOnce) {
  testing_support::TemporaryDirectory folder;
  const std::string path = folder.File("set.bin");
  folder.Write("set.bin", AsString(WriteUtteranceSet(ThreeUtterances(), 0x720101)));
  const std::string before = folder.Read("set.bin");
  {
    CUtteranceSetFile set;
    ASSERT_EQ(set.Open(path), kVokOk);
    EXPECT_EQ(set.length_unit(), 1u);
  }
  const std::string after = folder.Read("set.bin");
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(WordAt(after, 4), 0x720002u);
  EXPECT_EQ(after.substr(180, 8), std::string("Beijing\0", 8));
  EXPECT_EQ(WordAt(after, 196), 30u);
  EXPECT_EQ(WordAt(after, 200), 0u);
  EXPECT_EQ(WordAt(after, 204), 11025u);
  EXPECT_EQ(WordAt(after, 36), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    const std::uint32_t record = WordAt(after, 208 + 4 * i);
    EXPECT_EQ(WordAt(before, record + 4), i + 1);
    EXPECT_EQ(WordAt(after, record + 4), 330 * (i + 1));
  }
  // A current file is never written.
  std::filesystem::last_write_time(path,
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  const auto stamp = std::filesystem::last_write_time(path);
  CUtteranceSetFile again;
  ASSERT_EQ(again.Open(path), kVokOk);
  again.Close();
  EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
  EXPECT_EQ(folder.Read("set.bin"), after);
}

TEST(UtteranceSetFile, ReadsTheSameUtterancesInEveryVersion) {
  for (std::uint32_t version : {0x720002u, 0x720101u, 0x610001u, 0x64000000u}) {
    testing_support::TemporaryDirectory folder;
    folder.Write("set.bin", AsString(WriteUtteranceSet(ThreeUtterances(), version)));
    CUtteranceSetFile set;
    ASSERT_EQ(set.Open(folder.File("set.bin")), kVokOk) << std::hex << version;
    EXPECT_EQ(set.header().counts[0], 3u);
    std::vector<std::int16_t> samples(2000);
    char first[200], second[200];
    for (std::uint32_t i = 0; i < 3; ++i) {
      std::uint32_t frames = 0;
      std::size_t count = 0;
      ASSERT_EQ(set.NextUtterance(&frames, samples, &count, first, second), kVokOk) << version;
      EXPECT_EQ(frames, i + 1);
      EXPECT_EQ(count, 165 * (i + 1));
      EXPECT_EQ(samples[0], static_cast<std::int16_t>(100 * (i + 1)));
      EXPECT_EQ(std::string(second), "ref" + std::to_string(i));
      EXPECT_EQ(std::string(first), "take " + std::to_string(i));
    }
    EXPECT_EQ(set.NextUtterance(nullptr, samples, nullptr, nullptr, nullptr), kVokBadArgument);
  }
}

TEST(UtteranceSetFile, InterruptedUpgradeLeavesTheFileAsItWas) {
  testing_support::TemporaryDirectory folder;
  const std::string path = folder.File("set.bin");
  folder.Write("set.bin", AsString(WriteUtteranceSet(ThreeUtterances(), 0x720101)));
  const std::string before = folder.Read("set.bin");
  // The replacement cannot be written: a folder stands where it would go.
  std::filesystem::create_directory(path + ".new");
  CUtteranceSetFile set;
  ASSERT_EQ(set.Open(path), kVokOk);
  EXPECT_EQ(set.length_unit(), 330u);  // read in its old form
  std::vector<std::int16_t> samples(2000);
  std::size_t count = 0;
  ASSERT_EQ(set.ReadUtterance(2, nullptr, samples, &count, nullptr, nullptr), kVokOk);
  EXPECT_EQ(count, 495u);
  set.Close();
  EXPECT_EQ(folder.Read("set.bin"), before);
}

TEST(UtteranceSetFile, CountsClampedToTheKeptLinesOfTheFirstBlock) {
  testing_support::TemporaryDirectory folder;
  UtteranceSetContents contents = ThreeUtterances();
  contents.utterances.resize(5, contents.utterances[0]);
  contents.first_block = "one\n; not\ntwo\n  x\n \t\nthree\n";
  folder.Write("set.bin", AsString(WriteUtteranceSet(contents, 0x720002)));
  CUtteranceSetFile set;
  ASSERT_EQ(set.Open(folder.File("set.bin")), kVokOk);
  EXPECT_EQ(set.header().counts[0], 3u);
  EXPECT_EQ(set.header().counts[2], 3u);
  EXPECT_FALSE(set.IsUsed(3));
}

TEST(UtteranceSetFile, RefusesWhatDoesNotFit) {
  const auto good = WriteUtteranceSet(ThreeUtterances(), 0x720002);
  const std::uint32_t record = LoadLittleEndian32(good.data() + 208);
  struct Case {
    const char* name;
    std::size_t offset;  // of a word to overwrite
    std::uint32_t value;
    VokStatus open, read;  // read of utterance 0
  };
  const Case cases[] = {
      {"unknown version", 4, 0x720003, kVokFileMissing, kVokOk},
      {"table past the end", 12, 0x7FFFFFF0, kVokFileMissing, kVokOk},
      {"third count too large", 44, 0x40000000, kVokFileMissing, kVokOk},
      {"first block past the end", 20, 100000, kVokFileMissing, kVokOk},
      {"second block of 2 GB", 28, 0x7FFFFFFF, kVokFileMissing, kVokOk},
      {"second block of a negative size, none", 28, 0xFFFFFFF0, kVokOk, kVokOk},
      {"record past the end", 208, 0x00FFFFFF, kVokOk, kVokFileMissing},
      {"length past the end", record + 4, 0x10000000, kVokOk, kVokFileMissing},
      {"text of 200 bytes", record + 8 + 330, 200, kVokOk, kVokFileMissing},
  };
  for (const Case& c : cases) {
    testing_support::TemporaryDirectory folder;
    std::vector<std::uint8_t> bytes = good;
    StoreLittleEndian32(bytes.data() + c.offset, c.value);
    folder.Write("set.bin", AsString(bytes));
    CUtteranceSetFile set;
    ASSERT_EQ(set.Open(folder.File("set.bin")), c.open) << c.name;
    if (c.open != kVokOk) continue;
    std::vector<std::int16_t> samples(2000);
    char first[200], second[200];
    EXPECT_EQ(set.ReadUtterance(0, nullptr, samples, nullptr, first, second), c.read) << c.name;
  }
  // Data larger than the caller's buffer.
  testing_support::TemporaryDirectory folder;
  folder.Write("set.bin", AsString(good));
  CUtteranceSetFile set;
  ASSERT_EQ(set.Open(folder.File("set.bin")), kVokOk);
  std::vector<std::int16_t> small(100);
  EXPECT_EQ(set.ReadUtterance(0, nullptr, small, nullptr, nullptr, nullptr), kVokFileMissing);
  // An older length that would pass 32 bits after x 330 leaves the upgrade
  // undone and the record refused.
  auto older = WriteUtteranceSet(ThreeUtterances(), 0x720101);
  StoreLittleEndian32(older.data() + LoadLittleEndian32(older.data() + 208) + 4, 0x01000000);
  folder.Write("old.bin", AsString(older));
  CUtteranceSetFile old;
  ASSERT_EQ(old.Open(folder.File("old.bin")), kVokOk);
  EXPECT_EQ(old.length_unit(), 330u);
  std::vector<std::int16_t> samples(2000);
  EXPECT_EQ(old.ReadUtterance(0, nullptr, samples, nullptr, nullptr, nullptr), kVokFileMissing);
  EXPECT_EQ(folder.Read("old.bin"), AsString(older));
}

TEST(LineIndex, KeptLines) {
  struct Case {
    const char* block;
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {";comment\n  x\n \t \nab\n", {"ab"}},
      {"one\r\ntwo\r\r\n\rthree\n", {"one", "two"}},
      {"last line without end", {"last line without end"}},
      {"\n\n\t;x\n  yz \n", {"  yz "}},
  };
  for (const Case& c : cases) {
    CLineIndex index;
    const std::string block = c.block;
    index.Build(std::span(reinterpret_cast<const std::uint8_t*>(block.data()), block.size()));
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < index.count(); ++i) kept.emplace_back(index.Line(i));
    EXPECT_EQ(kept, c.kept) << c.block;
  }
  const std::string long_line = std::string(3000, 'a') + "\nb c\n";
  CLineIndex index;
  index.Build(std::span(reinterpret_cast<const std::uint8_t*>(long_line.data()), long_line.size()));
  ASSERT_EQ(index.count(), 2u);
  EXPECT_EQ(index.Line(0).size(), CLineIndex::kLineBytes);
  EXPECT_EQ(index.Line(1), "b c");
}

TEST(HitRatio, ReferenceAmongTheFirstTenHypotheses) {
  testing_support::TemporaryDirectory folder;
  UtteranceSetContents contents = ThreeUtterances();
  contents.utterances.push_back(contents.utterances[0]);
  contents.utterances[3].skipped = true;  // counts in the divisor only
  folder.Write("set.bin", AsString(WriteUtteranceSet(contents, 0x720002)));
  // Utterance i is answered by hypotheses whose 4th (i = 0), 11th (i = 1)
  // or no entry (i = 2) is its reference, told apart by their first sample.
  const auto decode = [](std::span<const std::int16_t> samples) {
    std::vector<std::string> texts(12, "other");
    if (samples[0] == 100) texts[3] = "ref0";
    if (samples[0] == 200) texts[10] = "ref1";
    return texts;
  };
  float ratio = -1;
  ASSERT_EQ(MeasureHitRatio(folder.File("set.bin"), 165, decode, &ratio), kVokOk);
  EXPECT_FLOAT_EQ(ratio, 0.25f);
  EXPECT_EQ(MeasureHitRatio(folder.File("missing.bin"), 165, decode, &ratio), kVokFileMissing);
  folder.Write("empty.bin", AsString(WriteUtteranceSet(UtteranceSetContents{}, 0x720002)));
  EXPECT_EQ(MeasureHitRatio(folder.File("empty.bin"), 165, decode, &ratio), kVokInternalFailure);
}

}  // namespace
}  // namespace vok::api
