#include "engine/core/symbol_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/core/messages.h"
#include "engine/core/tests/test_support.h"
#include "tests/support/temporary_directory.h"

namespace {

using testing_support::TemporaryDirectory;
using vok::SymbolTable;
using vok_test::Bytes;

TEST(SymbolTableTest, CapacityTable) {
  struct Case {
    int n;
    int capacity;
  };
  for (const Case c : {Case{0, 2}, Case{1, 4}, Case{2, 8}, Case{3, 8}, Case{4, 16}, Case{8, 32},
                       Case{1000, 2048}, Case{1024, 4096}}) {
    SymbolTable table;
    ASSERT_EQ(table.Init(c.n), 0);
    EXPECT_EQ(table.GetCapacity(), c.capacity) << c.n;
    EXPECT_EQ(table.GetBucketCount(), c.capacity) << c.n;
  }
  SymbolTable refused;
  EXPECT_EQ(refused.Init(-1), -1);
  EXPECT_EQ(refused.Init(SymbolTable::kMaxExpectedCount + 1), -1);
  EXPECT_EQ(refused.GetCapacity(), 0);
  EXPECT_EQ(refused.Add("x"), -1);
}

TEST(SymbolTableTest, FullTableRefusesNewNamesOnly) {
  SymbolTable table(3);
  ASSERT_EQ(table.GetCapacity(), 8);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(table.Add(("n" + std::to_string(i)).c_str()), i);
  EXPECT_EQ(table.Add("n8"), -1);
  EXPECT_EQ(table.Add("n5"), 5);
  EXPECT_EQ(table.GetCount(), 8);
}

TEST(SymbolTableTest, RemoveRenumbers) {
  SymbolTable table(4);
  table.Add("a");
  table.Add("b");
  table.Add("c");
  EXPECT_EQ(table.Remove("b"), 0);
  EXPECT_EQ(table.Find("c"), 1);
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table.GetName(2), nullptr);
  EXPECT_STREQ(table.GetName(1), "c");
  EXPECT_EQ(table.Find("b"), -1);
  EXPECT_EQ(table.Remove("b"), -1);
  EXPECT_EQ(table.Add("d"), 2);
}

TEST(SymbolTableTest, EmptyNameIsNeverFound) {
  SymbolTable table(4);
  EXPECT_EQ(table.Add(""), 0);
  EXPECT_EQ(table.Find(""), -1);
  EXPECT_EQ(table.Add(""), 1);
  EXPECT_EQ(table.GetName(0), nullptr);
  EXPECT_EQ(table.GetCount(), 2);
}

TEST(SymbolTableTest, HashOfHighBytes) {
  EXPECT_EQ(SymbolTable::BucketHash("\xB0", 8), 1u);
  EXPECT_EQ(SymbolTable::BucketHash("", 8), 0x5B9Cu & 7u);
  EXPECT_EQ(SymbolTable::BucketHash("", 4096), 0x5B9Cu & 4095u);
}

TEST(SymbolTableTest, HashMatchesTheDescribedSteps) {
  // Straight from the hash's description, one step at a time.
  const auto reference = [](const std::string& name, uint32_t buckets) {
    int log2 = 0;
    while ((1u << log2) < buckets) ++log2;
    uint32_t h = 23452;
    for (char ch : name) {
      h <<= 1;
      const uint32_t top = (h >> log2) & 1u;
      h = (h & (buckets - 1)) | top;
      h ^= static_cast<uint32_t>(static_cast<int>(static_cast<signed char>(ch)));
    }
    return h & (buckets - 1);
  };
  std::mt19937 random(5);
  for (int i = 0; i < 500; ++i) {
    std::string name(1 + random() % 12, ' ');
    for (char& c : name) c = static_cast<char>(1 + random() % 255);
    const uint32_t buckets = 2u << (random() % 12);
    EXPECT_EQ(SymbolTable::BucketHash(name.c_str(), buckets), reference(name, buckets));
  }
}

TEST(SymbolTableTest, TooLongNameIsRefused) {
  vok::ErrorClear();
  SymbolTable table(4);
  const std::string longest(SymbolTable::kMaxNameLength, 'x');
  const std::string too_long(SymbolTable::kMaxNameLength + 1, 'x');
  EXPECT_EQ(table.Add(too_long.c_str()), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errNameTooLong"));
  EXPECT_EQ(table.Add(longest.c_str()), 0);
  EXPECT_EQ(table.Add("short"), 1);  // starts the next string block
  EXPECT_EQ(table.Find(longest.c_str()), 0);
  vok::ErrorClear();
}

TEST(SymbolTableTest, EntryPoolLimit) {
  vok::ErrorClear();
  SymbolTable table(SymbolTable::kMaxEntries);
  ASSERT_GT(table.GetCapacity(), SymbolTable::kMaxEntries);
  // Empty names take entries but no string pool bytes.
  for (int i = 0; i < SymbolTable::kMaxEntries; ++i) ASSERT_EQ(table.AddNew(""), i);
  EXPECT_EQ(table.AddNew(""), -1);
  EXPECT_EQ(table.GetCount(), SymbolTable::kMaxEntries);
  EXPECT_TRUE(vok::ErrorRecorded("errOutOfEntries"));
  vok::ErrorClear();
}

TEST(SymbolTableTest, StringPoolLimit) {
  vok::ErrorClear();
  SymbolTable table(5000);
  // 250 blocks of 2048 bytes take three names of 681 bytes (682 with the
  // terminator; a fourth would reach the end of the block) each.
  char name[700];
  int added = 0;
  for (;; ++added) {
    std::snprintf(name, sizeof name, "%0681d", added);
    if (table.AddNew(name) < 0) break;
  }
  EXPECT_EQ(added, 750);
  EXPECT_TRUE(vok::ErrorRecorded("errOutOfStringPool"));
  EXPECT_EQ(table.Find(name), -1);
  std::snprintf(name, sizeof name, "%0681d", 749);
  EXPECT_EQ(table.Find(name), 749);
  vok::ErrorClear();
}

TEST(SymbolTableTest, CopyAndAddAll) {
  SymbolTable a(4);
  a.Add("x");
  a.Add("y");
  auto copy = a.Copy();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetCapacity(), 8);
  EXPECT_EQ(copy->Find("y"), 1);
  auto big = a.Copy(100);
  EXPECT_EQ(big->GetCapacity(), 256);
  SymbolTable b(4);
  b.Add("y");
  b.Add("z");
  EXPECT_EQ(a.AddAll(b), 1);
  EXPECT_EQ(a.Find("z"), 2);
}

TEST(SymbolTableTest, MemoryUseFormula) {
  SymbolTable table(3);  // capacity 8, 8 buckets
  EXPECT_EQ(table.MemoryUse(), 4 + 8 * 4 + 8 * 4);
  table.Add("abc");
  table.Add("");
  EXPECT_EQ(table.MemoryUse(), 4 + (4 + 4) + (4 + 4) + 8 * 4 + 8 * 4);
}

class SymbolTableFileTest : public ::testing::Test {
 protected:
  void SetUp() override { vok::ErrorClear(); }
  void TearDown() override { vok::ErrorClear(); }
  std::string WriteTable(const SymbolTable& table, uint16_t tag, uint8_t key_byte) {
    std::FILE* f = std::fopen(dir_.File("t").c_str(), "wb");
    EXPECT_EQ(table.Write(f, tag, key_byte), 0);
    std::fclose(f);
    return dir_.Read("t");
  }
  int ReadTable(const std::string& bytes, SymbolTable* table, uint16_t tag) {
    dir_.Write("r", bytes);
    std::FILE* f = std::fopen(dir_.File("r").c_str(), "rb");
    const int result = table->Read(f, tag);
    std::fclose(f);
    return result;
  }
  TemporaryDirectory dir_;
};

TEST_F(SymbolTableFileTest, PlainFormMatchesFixture) {
  SymbolTable table(2);
  table.Add("a");
  table.Add("bc");
  table.Add("");
  EXPECT_EQ(WriteTable(table, 0, 9), Bytes({0, 0, 0, 3, 0, 0, 0, 8, 0, 1, 'a', 0, 2, 'b', 'c', 0, 0}));
}

TEST_F(SymbolTableFileTest, ReadsHandAssembledPlainFile) {
  SymbolTable table;
  const std::string file = Bytes({0, 0, 0, 2, 0x12, 0x34, 0x56, 0x78, 0, 2, 0xB0, 0xA1, 0, 3, 'S', 'I', 'L'});
  ASSERT_EQ(ReadTable(file, &table, 0), 0);
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table.GetCapacity(), 8);  // sized from the count, not from the stored bucket count
  EXPECT_EQ(table.Find("\xB0\xA1"), 0);
  EXPECT_EQ(table.Find("SIL"), 1);
  SymbolTable tagged;
  EXPECT_EQ(ReadTable(file, &tagged, 77), 0);  // the tag is only checked in the keyed form
}

TEST_F(SymbolTableFileTest, ReadsHandAssembledKeyedFile) {
  // Two names, tag 0x0102, two keys 0x0105 and 0x00FF (low bytes 5 and 0xFF),
  // second word 0: "ab" stored as a+5, b+0xFF; "c" as c+5.
  const std::string file =
      Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0,    0,    0,    8, 0x01, 0x02,    0,       0, 0, 2,      0,
             0,    0,    0,    0x01, 0x05, 0x00, 0xFF, 0, 2,    'a' + 5, 'b' - 1, 0, 1, 'c' + 5});
  SymbolTable table;
  ASSERT_EQ(ReadTable(file, &table, 0x0102), 0);
  EXPECT_STREQ(table.GetName(0), "ab");
  EXPECT_STREQ(table.GetName(1), "c");
  SymbolTable other;
  EXPECT_EQ(ReadTable(file, &other, 0x0103), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errTagMismatch"));
}

TEST_F(SymbolTableFileTest, RoundTrips) {
  SymbolTable table(20);
  const std::vector<std::string> names = {"SIL", "a1",     "\xB0\xA1\xB0\xA2",
                                          "",    "zz_top", std::string(300, 'q')};
  for (const auto& n : names) table.AddNew(n.c_str());
  struct Case {
    uint16_t tag;
    uint8_t key_byte;
  };
  for (const Case c : {Case{0, 0}, Case{0, 7}, Case{5, 0}, Case{5, 0x9C}}) {
    SCOPED_TRACE(::testing::Message() << "tag " << c.tag << " key byte " << int{c.key_byte});
    const std::string bytes = WriteTable(table, c.tag, c.key_byte);
    SymbolTable back;
    ASSERT_EQ(ReadTable(bytes, &back, c.tag), 0);
    ASSERT_EQ(back.GetCount(), static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
      const char* name = back.GetName(static_cast<int>(i));
      EXPECT_EQ(name ? std::string(name) : std::string(), names[i]);
    }
    if (c.tag != 0) {
      EXPECT_EQ(bytes.substr(0, 4), Bytes({0xFF, 0xFF, 0xFF, 0xFA}));  // -6
      EXPECT_EQ(bytes.substr(14, 4), Bytes({0, 0, 0, c.key_byte}));
    }
  }
}

TEST_F(SymbolTableFileTest, KeyedNamesAreScrambled) {
  SymbolTable table(2);
  table.Add("abc");
  const std::string bytes = WriteTable(table, 1, 0);
  EXPECT_EQ(bytes.find("abc"), std::string::npos);
  EXPECT_EQ(bytes.size(), 4u + 4 + 2 + 8 + 2 * 256 + 2 + 3);
}

TEST_F(SymbolTableFileTest, BadFilesFail) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"no bucket count", Bytes({0, 0, 0, 1})},
      {"count beyond the file", Bytes({0x00, 0x10, 0, 0, 0, 0, 0, 8, 0, 1, 'a'})},
      {"negative string length", Bytes({0, 0, 0, 1, 0, 0, 0, 8, 0xFF, 0xFF})},
      {"short string", Bytes({0, 0, 0, 1, 0, 0, 0, 8, 0, 5, 'a', 'b'})},
      {"most negative count", Bytes({0x80, 0, 0, 0, 0, 0, 0, 8})},
      {"keyed without keys",
       Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'a'})},
      {"key count beyond the file",
       Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1})},
  };
  for (const Case& c : cases) {
    SymbolTable table;
    EXPECT_EQ(ReadTable(c.bytes, &table, 0), -1) << c.name;
  }
}

TEST_F(SymbolTableFileTest, NamesBeforeAFailureStay) {
  SymbolTable table;
  EXPECT_EQ(ReadTable(Bytes({0, 0, 0, 3, 0, 0, 0, 8, 0, 1, 'a', 0, 1, 'b', 0, 9}), &table, 0), -1);
  EXPECT_EQ(table.GetCount(), 2);
}

}  // namespace
