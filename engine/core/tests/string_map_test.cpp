#include "engine/core/string_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "engine/core/tests/test_support.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing_support::TemporaryDirectory;
using vok::StringMap;
using vok_test::Bytes;

std::vector<std::pair<std::string, int>> Values(const StringMap& map, const char* key) {
  std::vector<std::pair<std::string, int>> values;
  for (const StringMap::ValueLink* link = map.Lookup(key); link; link = link->next) {
    values.emplace_back(link->record->value, link->record->count);
  }
  return values;
}

// Every key with its values, in hash-table order.
std::vector<std::pair<std::string, std::vector<std::string>>> Contents(const StringMap& map) {
  std::vector<std::pair<std::string, std::vector<std::string>>> contents;
  map.ForEachKey([&contents](const StringMap::KeyEntry* entry) {
    std::vector<std::string> values;
    for (const StringMap::ValueLink* link = entry->first; link; link = link->next) {
      values.emplace_back(link->record->value);
    }
    contents.emplace_back(entry->key, values);
  });
  return contents;
}

class StringMapTest : public ::testing::Test {
 protected:
  void SetUp() override { vok::ErrorClear(); }
  void TearDown() override { vok::ErrorClear(); }
  TemporaryDirectory dir_;
};

TEST_F(StringMapTest, AddLookupAndCount) {
  StringMap map(100);
  EXPECT_EQ(map.key_capacity(), 128);
  ASSERT_NE(map.Add("k", "v1", 5), nullptr);
  ASSERT_NE(map.Add("k", "v1", 0), nullptr);  // the same value twice makes two records
  EXPECT_EQ(Values(map, "k"), (std::vector<std::pair<std::string, int>>{{"v1", 5}, {"v1", 0}}));
  EXPECT_EQ(map.Lookup("absent"), nullptr);
  EXPECT_EQ(map.Count("a", "x"), 1);
  EXPECT_EQ(map.Count("a", "x"), 2);
  EXPECT_EQ(map.Count("a", "x"), 3);
  EXPECT_EQ(map.Count("a", "y"), 1);
  EXPECT_EQ(Values(map, "a"), (std::vector<std::pair<std::string, int>>{{"x", 3}, {"y", 1}}));
}

TEST_F(StringMapTest, CountsAndStringsAreBounded) {
  StringMap map(4);
  ASSERT_NE(map.Add("k", "v", 40000), nullptr);
  EXPECT_EQ(Values(map, "k")[0].second, StringMap::kMaxCount);
  EXPECT_EQ(map.Count("k", "v"), StringMap::kMaxCount);
  const std::string longest(StringMap::kMaxStringLength, 'x');
  const std::string too_long(StringMap::kMaxStringLength + 1, 'x');
  EXPECT_NE(map.Add(longest.c_str(), longest.c_str(), 0), nullptr);
  EXPECT_EQ(map.Add(too_long.c_str(), "v", 0), nullptr);
  EXPECT_EQ(map.Add("k", too_long.c_str(), 0), nullptr);
  EXPECT_EQ(map.Count(too_long.c_str(), "v"), -1);
  EXPECT_EQ(map.key_count(), 2);
}

TEST_F(StringMapTest, FullHashTableEntersNothing) {
  StringMap map(3);  // 4 slots
  for (const char* k : {"a", "b", "c", "d"}) ASSERT_NE(map.Add(k, "v", 0), nullptr);
  vok_test::CapturedMessages messages;
  EXPECT_EQ(map.Add("e", "v", 0), nullptr);
  EXPECT_EQ(messages.Errors(), "\nHashTable::Insert: Table full (4 entries)\n");
  EXPECT_EQ(map.Lookup("e"), nullptr);       // ends on the full table
  EXPECT_NE(map.Add("a", "w", 0), nullptr);  // present keys still take values
}

TEST_F(StringMapTest, TextForm) {
  dir_.Write("map.txt", "X a b\r\nonly\n\nY c\tb\n" + std::string(32, 'v') + " k\n");
  StringMap map(dir_.File("map.txt").c_str(), 100);
  EXPECT_EQ(Values(map, "a"), (std::vector<std::pair<std::string, int>>{{"X", 0}}));
  EXPECT_EQ(Values(map, "b"), (std::vector<std::pair<std::string, int>>{{"X", 0}, {"Y", 0}}));
  EXPECT_EQ(Values(map, "c"), (std::vector<std::pair<std::string, int>>{{"Y", 0}}));
  EXPECT_EQ(map.FindKey("only"), nullptr);  // one token enters nothing
  EXPECT_EQ(map.FindKey("k"), nullptr);     // a 32-byte value is refused
  EXPECT_EQ(map.key_count(), 3);
  StringMap again(100);
  EXPECT_EQ(again.ReadText(dir_.File("map.txt").c_str()), 5);
  StringMap missing(dir_.File("none").c_str(), 10);
  EXPECT_EQ(missing.key_count(), 0);
}

TEST_F(StringMapTest, ScrambledFixtureReads) {
  // Count -2, key byte 3; "k" -> {"ab"}, "" -> {} ; every stored byte + 3.
  dir_.Write("map.bin", Bytes({0xFF, 0xFF, 0xFF,    0xFE,    0x00, 0x03, 0,    1,    'k' + 3, 0, 1,
                               0,    2,    'a' + 3, 'b' + 3, 0,    2,    0xB3, 0xA4, 0,       0}));
  auto map = StringMap::FromBinaryFile(dir_.File("map.bin").c_str());
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(Values(*map, "k"), (std::vector<std::pair<std::string, int>>{{"ab", 0}}));
  ASSERT_NE(map->FindKey("\xB0\xA1"), nullptr);
  EXPECT_EQ(map->Lookup("\xB0\xA1"), nullptr);
  EXPECT_EQ(map->key_count(), 2);
}

TEST_F(StringMapTest, PlainFixtureReadsAndWrites) {
  const std::string file = Bytes({0, 0, 0, 1, 0, 2, 'h', 'i', 0, 2, 0, 1, 'x', 0, 1, 'y'});
  dir_.Write("plain.bin", file);
  auto map = StringMap::FromBinaryFile(dir_.File("plain.bin").c_str());
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(Values(*map, "hi"), (std::vector<std::pair<std::string, int>>{{"x", 0}, {"y", 0}}));
  ASSERT_EQ(map->WriteBinary(dir_.File("out.bin").c_str(), 0), 0);
  EXPECT_EQ(dir_.Read("out.bin"), file);
  ASSERT_EQ(map->WriteBinary(dir_.File("scrambled.bin").c_str(), 1), 0);
  EXPECT_EQ(dir_.Read("scrambled.bin"),
            Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 2, 'i', 'j', 0, 2, 0, 1, 'y', 0, 1, 'z'}));
}

TEST_F(StringMapTest, BinaryRoundTrips) {
  StringMap map(2000);
  for (int i = 0; i < 300; ++i) {
    const std::string key = "key" + std::to_string(i);
    for (int j = 0; j <= i % 4; ++j) map.Add(key.c_str(), ("v" + std::to_string(j * 7 + i)).c_str(), j + 1);
  }
  map.Add("\xB0\xA1\xB0\xA2", "\xC4\xE3\xFF", 2);
  map.Add("lonely", "", 1);
  for (uint8_t key_byte : {uint8_t{0}, uint8_t{0x55}, uint8_t{0xFF}}) {
    const std::string path = dir_.File("round.bin");
    ASSERT_EQ(map.WriteBinary(path.c_str(), key_byte), 0);
    auto back = StringMap::FromBinaryFile(path.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->key_count(), map.key_count());
    const auto original = Contents(map);
    for (const auto& [key, values] : original) {
      std::vector<std::string> read;
      for (const auto& [value, count] : Values(*back, key.c_str())) {
        read.push_back(value);
        EXPECT_EQ(count, 0);  // counts are not stored
      }
      EXPECT_EQ(read, values) << key;
    }
  }
}

TEST_F(StringMapTest, BadBinaryFilesFail) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"count beyond the file", Bytes({0, 1, 0, 0, 0, 1, 'k', 0, 0})},
      {"most negative count", Bytes({0x80, 0, 0, 0, 0, 0})},
      {"negative value count", Bytes({0, 0, 0, 1, 0, 1, 'k', 0xFF, 0xFF})},
      {"value count beyond the file", Bytes({0, 0, 0, 1, 0, 1, 'k', 0x10, 0x00})},
      {"string of 100 bytes", Bytes({0, 0, 0, 1, 0, 100}) + std::string(100, 'a') + Bytes({0, 0})},
  };
  for (const Case& c : cases) {
    dir_.Write("bad.bin", c.bytes);
    std::FILE* f = std::fopen(dir_.File("bad.bin").c_str(), "rb");
    StringMap map(10);
    EXPECT_EQ(map.ReadBinary(f), -1) << c.name;
    std::fclose(f);
  }
  EXPECT_EQ(StringMap::FromBinaryFile(dir_.File("none").c_str()), nullptr);
}

TEST_F(StringMapTest, AddToSymbolTable) {
  StringMap map(10);
  map.Add("k1", "v1", 0);
  map.Add("k1", "v2", 0);
  map.Add("k2", "v1", 0);
  vok::SymbolTable keys_only(10);
  map.AddToSymbolTable(&keys_only, 0);
  EXPECT_EQ(keys_only.GetCount(), 2);
  vok::SymbolTable all(10);
  map.AddToSymbolTable(&all, 1);
  EXPECT_EQ(all.GetCount(), 4);
  EXPECT_GE(all.Find("v2"), 0);
}

TEST_F(StringMapTest, MemoryUseFormula) {
  StringMap map(100);
  const int64_t pools = 4 * (36 + 8 * 250);
  EXPECT_EQ(map.MemoryUse(), (128 * 4 + 32) + 4 + pools + 200 * 8 + 400 * 8 + 100 * 12 + 2000);
}

}  // namespace
