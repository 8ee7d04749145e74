#include "engine/api/result_records.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vok::api {
namespace {

TEST(ResultRecordsTest, TextReaderCopiesTheEntryAndRefusesIndexEqualToCount) {
  ResultRecords records;
  VokResult* result = records.MakeText(0x211, 3, 0xFFFFFFFF, {"\xb0\xa1", "abc"});
  ASSERT_NE(result, nullptr);
  std::uint32_t count = 0;
  char buffer[1001] = "x";
  EXPECT_EQ(GetTextResult(records, result, 1, 0, &count, buffer), kVokOk);
  EXPECT_EQ(count, 2u);
  EXPECT_STREQ(buffer, "abc");
  std::strcpy(buffer, "x");
  EXPECT_EQ(GetTextResult(records, result, 2, 1, &count, buffer), kVokBadArgument);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(records.IsLive(result));  // deleted although the index was bad
}

TEST(ResultRecordsTest, ReadersRefuseOtherKinds) {
  ResultRecords records;
  VokResult* text = records.MakeText(0x10, 1, 0, {"a"});
  VokResult* ids = records.MakeWordIds(0x40, 1, 0, {{1, 2}});
  std::uint32_t count = 0;
  std::uint16_t length = 0, buffer[200] = {};
  char text_buffer[1001];
  EXPECT_EQ(GetWordIdResult(records, text, 0, 0, &count, &length, buffer), kVokBadArgument);
  EXPECT_EQ(GetTextResult(records, ids, 0, 0, &count, text_buffer), kVokBadArgument);
  EXPECT_EQ(records.live_count(), 2u);
}

TEST(ResultRecordsTest, WordIdReaderCopiesTheIdsOfAnEntry) {
  ResultRecords records;
  VokResult* result = records.MakeWordIds(0x241, 4, 0xFFFFFFFF, {{7}, {8, 9, 10}});
  std::uint32_t count = 0;
  std::uint16_t length = 0, buffer[200] = {};
  EXPECT_EQ(GetWordIdResult(records, result, 1, 0, &count, &length, buffer), kVokOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(buffer[0], 8);
  EXPECT_EQ(buffer[2], 10);
  EXPECT_EQ(result->word_ids[0][1], kPaddingWordId);
  EXPECT_EQ(GetWordIdResult(records, result, -1, 1, &count, &length, buffer), kVokBadArgument);
  EXPECT_EQ(records.live_count(), 0u);
}

TEST(ResultRecordsTest, ReadersBoundWhatTheyWrite) {
  ResultRecords records;
  VokResult* text = records.MakeText(0x10, 1, 0, {std::string(1500, 'a')});
  std::vector<char> buffer(1500, 'z');
  EXPECT_EQ(GetTextResult(records, text, 0, 1, nullptr, buffer.data()), kVokOk);
  EXPECT_EQ(std::strlen(buffer.data()), kMaxTextResultBytes);
  VokResult* ids = records.MakeWordIds(0x40, 1, 0, {std::vector<std::uint16_t>(300, 5)});
  std::vector<std::uint16_t> id_buffer(300, 0);
  std::uint16_t length = 0;
  EXPECT_EQ(GetWordIdResult(records, ids, 0, 1, nullptr, &length, id_buffer.data()), kVokOk);
  EXPECT_EQ(length, kMaxWordIdResultIds);
  EXPECT_EQ(id_buffer[kMaxWordIdResultIds], 0);
}

TEST(ResultRecordsTest, DeleteRefusesNullUnknownAndReturnedRecords) {
  ResultRecords records;
  VokResult* result = records.MakeText(0x10, 1, 0, {});
  VokResult stranger{0x10, 0, 0, 0, nullptr, nullptr, nullptr};
  EXPECT_EQ(records.Delete(nullptr), kVokBadResult);
  EXPECT_EQ(records.Delete(&stranger), kVokBadResult);
  EXPECT_EQ(records.Delete(result), kVokOk);
  EXPECT_EQ(records.Delete(result), kVokBadResult);
}

TEST(ResultRecordsTest, EmptyTextRecordReadsAnEmptyText) {
  ResultRecords records;
  VokResult* result = records.MakeText(0x10, 1, 0, {});
  std::uint32_t count = 9;
  char buffer[8] = "x";
  EXPECT_EQ(GetTextResult(records, result, 0, 1, &count, buffer), kVokBadArgument);
  EXPECT_EQ(count, 0u);
  EXPECT_STREQ(buffer, "");
}

TEST(CommandResultTest, MultiCommandTakesTheItemOfTheIndex) {
  const std::uint32_t items[] = {2, 40, 41};
  const VokMultiCommandRecord record{5, 3, items};
  std::uint32_t count = 0, words[3] = {};
  EXPECT_EQ(GetMultiCommandResult(&record, 1, &count, words), kVokOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(words[0], 5u);
  EXPECT_EQ(words[1], 3u);
  EXPECT_EQ(words[2], 41u);
  EXPECT_EQ(GetMultiCommandResult(&record, 2, &count, words), kVokBadArgument);
  EXPECT_EQ(GetMultiCommandResult(nullptr, 0, &count, words), kVokBadArgument);
  const VokCommandRecord single{5, 3, 0xFFFFFFFF};
  EXPECT_EQ(GetCommandResult(&single, words), kVokOk);
  EXPECT_EQ(words[2], 0xFFFFFFFFu);
  EXPECT_EQ(GetCommandResult(nullptr, words), kVokBadArgument);
}

}  // namespace
}  // namespace vok::api
