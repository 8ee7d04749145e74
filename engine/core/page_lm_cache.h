// The page model's cache of computed scores, keyed by three 16-bit values
// (a class or word triple).
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/hash_table.h"
#include "engine/core/object_mem_mgr.h"

namespace vok {

class PageLMCache {
 public:
  // The record as the cache file stores it (machine order).
  struct Entry {
    uint16_t score = 255;
    uint16_t key[3] = {65535, 65535, 65535};
  };
  static constexpr int kEntryBytes = 8;

  // A hash table of capacity 2n over a pool of blocks of n entries.
  explicit PageLMCache(int n);
  PageLMCache(const PageLMCache&) = delete;
  PageLMCache& operator=(const PageLMCache&) = delete;

  // The cached score (as stored, a 16-bit pattern), or false.
  bool Find(uint16_t a, uint16_t b, uint16_t c, uint16_t* score);
  // Stores the score under the key (replacing the score of an equal key).
  // When the table holds more than half of its capacity it is emptied first
  // and its entries go back to the pool. 0, or -1 when nothing could be
  // stored.
  int Insert(uint16_t a, uint16_t b, uint16_t c, uint16_t score);
  void Clear();

  int size() const { return size_; }
  int count() const { return table_.count(); }
  int capacity() const { return table_.capacity(); }
  // The hash table, 8 bytes, the pool record with its block slots and blocks
  // and its free list.
  int64_t MemoryUse() const { return table_.MemoryUse() + 8 + pool_.PoolMemoryUse(); }

 private:
  static HashKey KeyOf(const Entry* entry) { return HashKey{entry->key, 6}; }

  int size_;
  HashTable<Entry> table_;
  ObjectMemMgr<Entry> pool_;
};

}  // namespace vok
