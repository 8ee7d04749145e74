#include "engine/core/hwr_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok_testing::MakeSmallCharacterModel;
using vok_testing::WriteHwrCharacterModel;
using vok_testing::WrittenFile;

constexpr vok::HwrModelTriple kSmall{1, 6, 24};

void PutInt32(WrittenFile& file, const std::string& field, int32_t value, int occurrence = 0) {
  vok::StoreLittleEndian32(file.bytes.data() + file.Field(field, occurrence).offset,
                           static_cast<uint32_t>(value));
}

TEST(HwrCharacterModelFile, GoldenStartAndRoundTrip) {
  const auto model = MakeSmallCharacterModel(kSmall, 3);
  const WrittenFile file = WriteHwrCharacterModel(model);
  ASSERT_EQ(file.bytes.size(), vok::HwrCharacterModelFileSize(kSmall));
  // Header length 512 little-endian, then the gesture sample counts 3 and 32
  // right after the 512-byte header.
  const uint8_t start[] = {0x00, 0x02, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(file.bytes.data(), start, 4), 0);
  const uint8_t samples[] = {0x03, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(file.bytes.data() + 512, samples, 8), 0);
  // The FT code book follows the 3 x 32 sample points: counts 8, 32, 8.
  const uint8_t code_book[] = {8, 0, 0, 0, 32, 0, 0, 0, 8, 0, 0, 0};
  EXPECT_EQ(std::memcmp(file.bytes.data() + 520 + 384, code_book, 12), 0);

  const auto read = vok::ReadHwrCharacterModel(file.bytes.data(), file.bytes.size(), kSmall);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->ft_code_book, model.ft_code_book);
  EXPECT_EQ(read->image_code_book, model.image_code_book);
  EXPECT_EQ(read->print_vectors, model.print_vectors);
  EXPECT_EQ(read->cursive_vectors, model.cursive_vectors);
  EXPECT_EQ(read->bigram_keys, model.bigram_keys);
  EXPECT_EQ(read->bigram_scores, model.bigram_scores);
  EXPECT_EQ(read->character_table, model.character_table);
  ASSERT_EQ(read->blocks.size(), 33u);
  for (int b = 0; b < 33; ++b) {
    EXPECT_EQ(read->blocks[b].class_pdfs, model.blocks[b].class_pdfs) << b;
    EXPECT_EQ(read->blocks[b].rows, model.blocks[b].rows) << b;
  }
  ASSERT_EQ(read->dictionary.size(), 24u);
  for (int k = 0; k < 24; ++k) {
    EXPECT_EQ(read->dictionary[k].radicals, model.dictionary[k].radicals);
    EXPECT_EQ(read->dictionary[k].states, model.dictionary[k].states);
  }
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(read->cursive_models[r].costs, model.cursive_models[r].costs);
    EXPECT_EQ(read->print_models[r].stay, model.print_models[r].stay);
  }
}

TEST(HwrCharacterModelFile, FullSizes) {
  EXPECT_EQ(vok::HwrCharacterModelFileSize(vok::kScModelTriple), 1487142u);
  EXPECT_EQ(vok::HwrCharacterModelFileSize(vok::kTcModelTriple), 2346530u);
  EXPECT_EQ(vok::HwrLatinModelFileSize(), 166168u);
  for (const auto& triple : {vok::kScModelTriple, vok::kTcModelTriple}) {
    const WrittenFile file = WriteHwrCharacterModel(MakeSmallCharacterModel(triple, 1));
    EXPECT_EQ(file.bytes.size(), vok::HwrCharacterModelFileSize(triple));
    EXPECT_TRUE(vok::ReadHwrCharacterModel(file.bytes.data(), file.bytes.size(), triple));
  }
  const WrittenFile latin = vok_testing::WriteHwrLatinModel(vok_testing::MakeSmallLatinModel(1));
  EXPECT_EQ(latin.bytes.size(), 166168u);
  EXPECT_TRUE(vok::ReadHwrLatinModel(latin.bytes.data(), latin.bytes.size()));
}

struct Corruption {
  const char* field;
  int occurrence;
  int32_t value;
  const char* message;
};

TEST(HwrCharacterModelFile, EveryCheckFieldIsRefusedWithItsMessage) {
  const WrittenFile good = WriteHwrCharacterModel(MakeSmallCharacterModel(kSmall, 4));
  const Corruption cases[] = {
      {"header length", 0, 513, "header length = 513"},
      {"NUMGESTURES", 0, 4, "NUMGESTURES = 4"},
      {"FTSAMPLES", 0, 31, "FTSAMPLES = 31"},
      {"FTLOCATIONS", 0, 7, "FTLOCATIONS = 7"},
      {"CODESIZE", 0, 33, "CODESIZE = 33"},
      {"FTFLOATS", 0, 9, "FTFLOATS = 9"},
      {"PrintVectorsSize", 0, 63, "PrintVectorsSize = 63"},
      {"RADSET", 0, 415, "RADSET = 415"},
      {"MAX_RAD_STATES", 0, 16, "MAX_RAD_STATES = 16"},
      {"CODESIZE", 1, 0, "CODESIZE = 0"},
      {"NCHARS", 0, 6763, "NCHARS = 6763"},
      {"MAX_MULTIPLE_MODELS", 0, 2, "MAX_MULTIPLE_MODELS = 2"},
      {"MAX_NUM_RADS", 0, 21, "MAX_NUM_RADS = 21"},
      {"IMAGE_N_SUB", 0, 4, "IMAGE_N_SUB = 4"},
      {"CODESIZE", 2, -1, "CODESIZE = -1"},
      {"IMAGESUBSIZE", 0, 17, "IMAGESUBSIZE = 17"},
      {"CursiveVectorsSize", 0, 65, "CursiveVectorsSize = 65"},
      {"RADSET", 1, 5, "RADSET = 5"},
      {"CODESIZE", 3, 31, "CODESIZE = 31"},
      {"MAX_RAD_STATES", 1, 14, "MAX_RAD_STATES = 14"},
      {"FTLOCATIONS", 1, 9, "FTLOCATIONS = 9"},
      {"NCHARS", 1, 23, "NCHARS = 23"},
      {"CODESIZE", 4, 64, "CODESIZE = 64"},
      {"QPDFSIZE", 0, 255, "QPDFSIZE = 255"},
      {"IMAGE_N_SUB", 1, 25, "IMAGE_N_SUB = 25"},
      {"NCHARS", 2, 25, "NCHARS = 25"},
      {"CODESIZE", 5, 32000, "CODESIZE = 32000"},
      {"QPDFSIZE", 1, 0, "QPDFSIZE = 0"},
      {"NCHARS", 3, 0, "NCHARS = 0"},
      {"MAX_BIGRAMS", 0, 19999, "MAX_BIGRAMS = 19999"},
      {"MAX_BIGRAMS", 1, 20001, "MAX_BIGRAMS = 20001"},
  };
  for (const auto& c : cases) {
    WrittenFile file = good;
    PutInt32(file, c.field, c.value, c.occurrence);
    vok_test::CapturedMessages messages;
    EXPECT_FALSE(vok::ReadHwrCharacterModel(file.bytes.data(), file.bytes.size(), kSmall)) << c.message;
    EXPECT_NE(messages.Errors().find(c.message), std::string::npos) << c.message << ": " << messages.Errors();
  }
}

TEST(HwrCharacterModelFile, BadRecordsAreRefused) {
  const auto model = MakeSmallCharacterModel(kSmall, 5);
  const WrittenFile good = WriteHwrCharacterModel(model);
  // A character with one model, to corrupt its fields.
  int k = 0;
  while (model.dictionary[k].model_count != 1 || model.dictionary[k].radical_counts[0] != 1) ++k;
  const std::string character = "character " + std::to_string(k);
  const auto byte = [&](const std::string& field, uint8_t v) {
    WrittenFile f = good;
    f.bytes[f.Field(field).offset] = v;
    return f;
  };
  const auto int16 = [&](const std::string& field, int16_t v) {
    WrittenFile f = good;
    vok::StoreLittleEndian16(f.bytes.data() + f.Field(field).offset, static_cast<uint16_t>(v));
    return f;
  };
  const auto float32 = [&](const std::string& field, uint32_t bits) {
    WrittenFile f = good;
    vok::StoreLittleEndian32(f.bytes.data() + f.Field(field).offset, bits);
    return f;
  };
  const struct {
    const char* what;
    WrittenFile file;
  } cases[] = {
      {"states 0", float32("print radical 2 states", 0)},
      {"states 16", float32("print radical 2 states", 16)},
      {"cursive states", float32("cursive radical 0 states", 99)},
      {"NaN stay", float32("print radical 1 stay 3", 0x7FC00000)},
      {"infinite leave", float32("cursive radical 5 leave 14", 0x7F800000)},
      {"huge stay", float32("print radical 0 stay 0", 0x7F000000)},
      {"model count 0", byte(character + " model count", 0)},
      {"model count 4", byte(character + " model count", 4)},
      {"no radicals", byte(character + " radicals0", 0)},
      {"21 radicals", byte(character + " radicals0", 21)},
      {"radical past RADSET", int16(character + " radical 0", 6)},
      {"negative radical", int16(character + " radical 0", -1)},
      {"L differs", byte(character + " L0", model.dictionary[k].states[0] + 1)},
      {"keys out of order", float32("bigram key 100", 0)},
  };
  for (const auto& c : cases) {
    vok_test::CapturedMessages messages;
    EXPECT_FALSE(vok::ReadHwrCharacterModel(c.file.bytes.data(), c.file.bytes.size(), kSmall)) << c.what;
    EXPECT_FALSE(messages.Errors().empty()) << c.what;
  }
  // Every truncation is refused.
  for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{511}, std::size_t{520},
                           good.bytes.size() / 2, good.bytes.size() - 1}) {
    vok_test::CapturedMessages messages;
    EXPECT_FALSE(vok::ReadHwrCharacterModel(good.bytes.data(), size, kSmall)) << size;
  }
}

TEST(HwrLatinModelFile, SectionNamesAndRecords) {
  const WrittenFile good = vok_testing::WriteHwrLatinModel(vok_testing::MakeSmallLatinModel(2));
  const auto read = vok::ReadHwrLatinModel(good.bytes.data(), good.bytes.size());
  ASSERT_TRUE(read);
  // "ImageTables" zero-padded to 16 bytes right after the header.
  const uint8_t name[16] = {'I', 'm', 'a', 'g', 'e', 'T', 'a', 'b', 'l', 'e', 's'};
  EXPECT_EQ(std::memcmp(good.bytes.data() + 512, name, 16), 0);
  for (const char* section :
       {"ImageTables", "FTTables", "ImageVectors", "FTVectors", "PrintVectors", "PrintHMM", "RadDic"}) {
    WrittenFile file = good;
    file.bytes[file.Field(std::string("section ") + section).offset + 1] ^= 0x20;
    vok_test::CapturedMessages messages;
    EXPECT_FALSE(vok::ReadHwrLatinModel(file.bytes.data(), file.bytes.size())) << section;
    EXPECT_NE(messages.Errors().find(section), std::string::npos) << section;
  }
  WrittenFile padded = good;
  padded.bytes[padded.Field("section RadDic").offset + 15] = 'x';
  vok_test::CapturedMessages messages;
  EXPECT_FALSE(vok::ReadHwrLatinModel(padded.bytes.data(), padded.bytes.size()));
  WrittenFile bad_record = good;
  bad_record.bytes[bad_record.Field("character 61 model count").offset] = 0;
  EXPECT_FALSE(vok::ReadHwrLatinModel(bad_record.bytes.data(), bad_record.bytes.size()));
  EXPECT_FALSE(vok::ReadHwrLatinModel(good.bytes.data(), good.bytes.size() - 1));
}

}  // namespace
