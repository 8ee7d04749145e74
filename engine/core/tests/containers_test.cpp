// pools, pointer arrays, hash tables, priority queues, stopwatch
// and the allocation wrappers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/fixed_random.h"
#include "engine/core/hash_table.h"
#include "engine/core/memory.h"
#include "engine/core/messages.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/priority_queue.h"
#include "engine/core/ptr_array.h"
#include "engine/core/stopwatch.h"
#include "engine/core/tests/test_support.h"

// A failed allocation must come back as null, also under AddressSanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

TEST(MemoryTest, FailureIsRecorded) {
  vok::ErrorClear();
  const std::size_t huge = static_cast<std::size_t>(-1) / 2;
  EXPECT_EQ(vok::MemoryAlloc(huge), nullptr);
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(0, &record));
  EXPECT_EQ(record.code, -1);
  EXPECT_EQ(record.place.rfind("MemoryAlloc(", 0), 0u);
  EXPECT_NE(record.place.find("): not enough memory"), std::string::npos);
  EXPECT_EQ(record.message.rfind("Unable to allocate \"", 0), 0u);
  EXPECT_EQ(vok::MemoryAllocZ(huge), nullptr);
  void* block = vok::MemoryAlloc(8);
  EXPECT_EQ(vok::MemoryRealloc(block, huge), nullptr);
  vok::MemoryFree(block);  // still valid after the failed realloc
  vok::MemoryFree(nullptr);
  EXPECT_EQ(vok::ErrorCount(), 3);
  vok::ErrorClear();
  auto* zeros = static_cast<unsigned char*>(vok::MemoryAllocZ(64));
  EXPECT_TRUE(std::all_of(zeros, zeros + 64, [](unsigned char c) { return c == 0; }));
  vok::MemoryFree(zeros);
}

struct Record {
  int value = 0;
};

TEST(ObjectMemMgrTest, IdsAndBlocks) {
  vok::ObjectMemMgr<Record> pool(3, 4);
  ASSERT_TRUE(pool.ok());
  std::vector<Record*> records;
  for (int expected = 0; expected < 5; ++expected) {
    Record* r = nullptr;
    ASSERT_EQ(pool.New(&r), expected);
    ASSERT_NE(r, nullptr);
    r->value = expected * 10;
    records.push_back(r);
  }
  EXPECT_EQ(pool.allocated_blocks(), 2);
  EXPECT_EQ(pool.Get(4), records[4]);
  EXPECT_EQ(pool.Get(3) + 1, pool.Get(4));  // position 1 of block 1
  EXPECT_EQ(pool.Get(2) + 1 == pool.Get(3), false);
  EXPECT_EQ(pool.Get(5), nullptr);
  EXPECT_EQ(pool.Get(-1), nullptr);
  pool.Clear();
  // After a clear the same records come again, across the same blocks.
  for (int expected = 0; expected < 5; ++expected) {
    Record* again = nullptr;
    ASSERT_EQ(pool.New(&again), expected);
    EXPECT_EQ(again, records[static_cast<std::size_t>(expected)]);
  }
  EXPECT_EQ(pool.allocated_blocks(), 2);
}

TEST(ObjectMemMgrTest, ExhaustedPoolReturnsMinusOne) {
  vok::ObjectMemMgr<Record> pool(2, 4, false, 3);
  Record* r;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(pool.New(&r), i);
  EXPECT_EQ(pool.New(&r), -1);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(pool.count(), 6);
}

TEST(ObjectMemMgrTest, FreeListReusesIds) {
  vok::ObjectMemMgr<Record> pool(4, 8, true);
  Record* r;
  for (int i = 0; i < 3; ++i) pool.New(&r);
  pool.Delete(1);
  pool.Delete(99);  // not handed out: ignored
  EXPECT_EQ(pool.free_count(), 1);
  Record* reused = nullptr;
  EXPECT_EQ(pool.New(&reused), 1);
  EXPECT_EQ(reused, pool.Get(1));
  EXPECT_EQ(pool.New(&r), 3);
  vok::ObjectMemMgr<Record> plain(4, 8);
  plain.New(&r);
  plain.Delete(0);
  EXPECT_EQ(plain.New(&r), 1);  // no free list: ids are not reused
}

TEST(ObjectMemMgrTest, MemoryUseUsesTheProductRecordSize) {
  vok::ObjectMemMgr<Record> pool(100, 20);  // 20 bytes a record in the product
  EXPECT_EQ(pool.MemoryUse(), 100 * 20);
  EXPECT_EQ(pool.PoolMemoryUse(), 36 + 8 * 250 + 100 * 20);
  Record* r;
  for (int i = 0; i < 101; ++i) pool.New(&r);
  EXPECT_EQ(pool.MemoryUse(), 2 * 100 * 20);
  vok::ObjectMemMgr<Record> with_free_list(10, 20, true);
  with_free_list.New(&r);
  with_free_list.Delete(0);
  EXPECT_EQ(with_free_list.MemoryUse(), 10 * 20 + 20 + 4 * 16);
}

TEST(ObjectMemMgrTest, ZeroBlockSizeStillHandsOutRecords) {
  vok::ObjectMemMgr<Record> pool(0, 4);
  Record* r;
  EXPECT_EQ(pool.New(&r), 0);
  EXPECT_EQ(pool.New(&r), 1);
}

TEST(BytePoolTest, StringsAreNeverSplit) {
  vok::BytePool pool(16);
  char* first = pool.CopyString("0123456789", 10);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pool.current_block(), 0);
  char* second = pool.CopyString("abcde", 5);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(pool.current_block(), 1);  // 11 + 6 >= 16
  EXPECT_STREQ(first, "0123456789");
  EXPECT_STREQ(second, "abcde");
  EXPECT_EQ(pool.count(), 17);
  EXPECT_EQ(pool.CopyString("x", 1) - second, 6);
}

TEST(BytePoolTest, LimitsAreRefused) {
  vok::BytePool pool(8, 2);
  EXPECT_EQ(pool.New(7), nullptr);  // 7 + 1 >= 8: never fits
  ASSERT_NE(pool.New(6), nullptr);
  ASSERT_NE(pool.New(6), nullptr);  // second block
  EXPECT_EQ(pool.New(1), nullptr);  // last block full
  EXPECT_EQ(pool.MemoryUse(), 16);
  pool.Clear();
  EXPECT_NE(pool.New(6), nullptr);
  EXPECT_EQ(pool.allocated_blocks(), 2);
}

TEST(PtrArrayTest, Growth) {
  vok::PtrArray a(2, 0);
  int x[5];
  for (int& v : x) ASSERT_EQ(a.Push(&v), 0);
  EXPECT_EQ(a.capacity(), 6);  // 2, 4, 6
  EXPECT_EQ(a.Get(4), &x[4]);
  EXPECT_EQ(a.Get(5), nullptr);
  EXPECT_EQ(a.Get(-1), nullptr);
  EXPECT_EQ(a.Pop(), &x[4]);
  EXPECT_EQ(a.count(), 4);
  EXPECT_EQ(a.cursor(), 4);
  a.Clear();
  EXPECT_EQ(a.Pop(), nullptr);
}

TEST(PtrArrayTest, ThirdPushGrowsToFour) {
  vok::PtrArray a(2, 0);
  int v;
  a.Push(&v);
  a.Push(&v);
  EXPECT_EQ(a.capacity(), 2);
  a.Push(&v);
  EXPECT_EQ(a.capacity(), 4);
}

TEST(PtrArrayTest, ZeroGrowthStillGrows) {
  vok::PtrArray a(0, 0);
  int v;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.Push(&v), 0);
  EXPECT_EQ(a.count(), 100);
  EXPECT_EQ(a.MemoryUse(), 20 + 4 * a.capacity());
}

struct Item {
  std::string key;
  int tag = 0;
};

vok::HashKey KeyOf(const Item* item) { return {item->key.data(), static_cast<int>(item->key.size())}; }

TEST(HashTableTest, CapacityTable) {
  struct Case {
    int n;
    int capacity;
  };
  for (const Case c : {Case{0, 1}, Case{1, 2}, Case{100, 128}, Case{127, 128}, Case{128, 256},
                       Case{2000, 2048}, Case{15000, 16384}, Case{30000, 32768}}) {
    vok::HashTable<Item> table(c.n, KeyOf);
    EXPECT_EQ(table.capacity(), c.capacity) << c.n;
    EXPECT_EQ(table.MemoryUse(), int64_t{c.capacity} * 4 + 32);
  }
  int bits = -1;
  EXPECT_EQ(vok::NextPowerOfTwo(0, &bits), 1);
  EXPECT_EQ(bits, 0);
  EXPECT_EQ(vok::NextPowerOfTwo(100, &bits), 128);
  EXPECT_EQ(bits, 7);
}

TEST(HashTableTest, EqualKeysAreBothKept) {
  vok::HashTable<Item> table(100, KeyOf);
  Item a{"key", 1};
  Item b{"key", 2};
  Item c{"other", 3};
  ASSERT_EQ(table.Insert(&a), 0);
  ASSERT_EQ(table.Insert(&b), 0);
  ASSERT_EQ(table.Insert(&c), 0);
  EXPECT_EQ(table.count(), 3);
  EXPECT_EQ(table.Find("key", 3), &a);
  EXPECT_EQ(table.Find("other", 5), &c);
  EXPECT_EQ(table.Find("ke", 2), nullptr);
  EXPECT_EQ(table.lookups(), 3);
  EXPECT_EQ(table.Lookup("key", 3), &a);  // the same answer, not counted
  EXPECT_EQ(table.Lookup("absent", 6), nullptr);
  EXPECT_EQ(table.lookups(), 3);
  int seen = 0;
  table.ForEach([&seen](Item*) { ++seen; });
  EXPECT_EQ(seen, 3);
}

TEST(HashTableTest, FindOnAFullTableEnds) {
  vok::HashTable<Item> table(3, KeyOf);  // capacity 4
  std::vector<Item> items(4);
  for (int i = 0; i < 4; ++i) {
    items[static_cast<std::size_t>(i)].key = "k" + std::to_string(i);
    ASSERT_EQ(table.Insert(&items[static_cast<std::size_t>(i)]), 0);
  }
  EXPECT_EQ(table.Find("absent", 6), nullptr);
  EXPECT_EQ(table.probes(), 4);
  EXPECT_EQ(table.Lookup("absent", 6), nullptr);
  vok_test::CapturedMessages messages;
  Item extra{"x", 0};
  EXPECT_EQ(table.Insert(&extra), -1);
  EXPECT_EQ(messages.Errors(), "\nHashTable::Insert: Table full (4 entries)\n");
  EXPECT_EQ(table.count(), 4);
}

TEST(HashTableTest, GrowKeepsItemsAndCounters) {
  vok::HashTable<Item> table(4, KeyOf);  // capacity 8
  std::vector<Item> items(4);
  for (int i = 0; i < 4; ++i) {
    items[static_cast<std::size_t>(i)].key = std::string(1, static_cast<char>('a' + i));
    table.Insert(&items[static_cast<std::size_t>(i)]);
  }
  table.Find("a", 1);
  ASSERT_EQ(table.Grow(), 0);
  EXPECT_EQ(table.capacity(), 16);
  EXPECT_EQ(table.count(), 4);
  EXPECT_EQ(table.lookups(), 1);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(table.Find(items[static_cast<std::size_t>(i)].key.data(), 1),
              &items[static_cast<std::size_t>(i)]);
}

TEST(HashTableTest, ByteTableComesFromTheFixedGenerator) {
  vok::FixedRandom random(1);
  const uint32_t r1 = static_cast<uint32_t>(random.Next());
  const uint32_t r2 = static_cast<uint32_t>(random.Next());
  EXPECT_EQ(r1, 41u);  // the Microsoft runtime's first rand() values
  EXPECT_EQ(r2, 18467u);
  EXPECT_EQ(vok::HashByteTable()[0], (r1 << 16) | r2);
  const uint32_t* t = vok::HashByteTable();
  EXPECT_EQ(vok::HashBytes("a", 1), t['a']);
  EXPECT_EQ(vok::HashBytes("ab", 2), ((t['a'] << 1) | (t['a'] >> 31)) ^ t['b']);
  EXPECT_EQ(vok::HashBytes("", 0), t[0]);
}

TEST(HashTableTest, HashTableIsTheSameInEveryThread) {
  uint32_t seen[4] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back([&seen, i] { seen[i] = vok::HashBytes("SIL", 3); });
  for (auto& t : threads) t.join();
  for (uint32_t v : seen) EXPECT_EQ(v, seen[0]);
}

int CompareInts(const int& a, const int& b, void*) { return a - b; }

TEST(PriorityQueueTest, PopsInOrderOnSeededInput) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 50; ++round) {
    vok::PriorityQueue<int> queue(static_cast<int>(random() % 4), CompareInts);
    std::vector<int> pushed;
    const int n = static_cast<int>(random() % 200);
    for (int i = 0; i < n; ++i) {
      const int v = static_cast<int>(random() % 50) - 25;  // many equal priorities
      ASSERT_EQ(queue.Push(v), 0);
      pushed.push_back(v);
      if (random() % 4 == 0 && queue.count() > 0) {
        int top = 0;
        ASSERT_TRUE(queue.Pop(&top));
        const auto it = std::max_element(pushed.begin(), pushed.end());
        EXPECT_EQ(top, *it);
        pushed.erase(it);
      }
    }
    std::sort(pushed.rbegin(), pushed.rend());
    for (int expected : pushed) {
      int top = 0;
      ASSERT_TRUE(queue.Pop(&top));
      EXPECT_EQ(top, expected);
    }
    EXPECT_FALSE(queue.Pop(nullptr));
  }
}

struct Prioritized {
  int priority;
  int serial;
};

int ComparePriority(const Prioritized& a, const Prioritized& b, void* context) {
  ++*static_cast<int*>(context);
  return a.priority - b.priority;
}

TEST(PriorityQueueTest, EqualPrioritiesPopWithoutError) {
  int comparisons = 0;
  vok::PriorityQueue<Prioritized> queue(2, ComparePriority, &comparisons);
  for (int i = 0; i < 10; ++i) queue.Push({7, i});
  std::vector<bool> seen(10, false);
  Prioritized p{};
  while (queue.Pop(&p)) {
    EXPECT_EQ(p.priority, 7);
    seen[static_cast<std::size_t>(p.serial)] = true;
  }
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
  EXPECT_GT(comparisons, 0);  // the context reaches every comparison
}

TEST(PriorityQueueTest, ZeroCapacityStillGrows) {
  vok::PriorityQueue<int> queue(0, CompareInts);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(queue.Push(i), 0);
  EXPECT_EQ(queue.Pop(), 39);
  queue.Clear();
  EXPECT_EQ(queue.count(), 0);
}

TEST(StopwatchTest, MeasuresElapsedTime) {
  vok::Stopwatch watch;
  watch.Start();
  EXPECT_EQ(watch.wall_seconds(), 0.0f);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  watch.Stop();
  EXPECT_GE(watch.wall_seconds(), 0.02f);
  EXPECT_LT(watch.wall_seconds(), 5.0f);
  EXPECT_GE(watch.processor_seconds(), 0.0f);
}

}  // namespace
