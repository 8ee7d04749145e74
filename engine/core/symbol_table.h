// Strings to dense ids and back: the engine's name table for
// syllables, phones, HMM names, words, grammar labels and lexicon entries.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/core/object_mem_mgr.h"

namespace vok {

class SymbolTable {
 public:
  struct Entry {
    int32_t id = -1;
    const char* name = nullptr;  // in the string pool; null for an empty name
    Entry* next = nullptr;       // next entry of the same bucket
  };

  static constexpr int kStringBlockBytes = 2048;
  static constexpr int kEntryBlockRecords = 1024;
  // Entry record of the 32-bit product: id, name pointer, next pointer.
  static constexpr int kEntryRecordBytes = 12;
  // The longest name the string pool can hold (offset + length + 1 < 2048).
  static constexpr int kMaxNameLength = kStringBlockBytes - 2;
  // Names the entry pool can hold: 250 blocks of 1024 entries.
  static constexpr int kMaxEntries = kPoolMaxBlocks * kEntryBlockRecords;
  // Largest expected count Init accepts.
  static constexpr int kMaxExpectedCount = 1 << 20;
  // Keyed form: the writer's number of keys, and the most a reader accepts.
  static constexpr int kWrittenKeys = 256;
  static constexpr int kMaxKeys = 65536;

  // Count 0; sized with Init(n) when n > 0.
  explicit SymbolTable(int n = 0);
  ~SymbolTable();
  SymbolTable(const SymbolTable&) = delete;
  SymbolTable& operator=(const SymbolTable&) = delete;

  // Capacity for an expected count n: 2 x (1 << significant bits of n), so 0
  // gives 2, 1 gives 4, 8 gives 32 and 1000 gives 2048; the bucket count
  // equals the capacity. 0, or -1 when n is negative or above
  // kMaxExpectedCount, or memory is short (the table is then empty, capacity
  // 0).
  int Init(int n);
  // Empties both arrays and both pools.
  void Clear();
  // Clears and releases everything (capacity 0).
  void Free();

  // The id of the name, or -1 (the empty name is never found).
  int Find(const char* name) const;
  // The id of the name, adding it when absent; -1 when it is absent and the
  // table is full, the name is longer than kMaxNameLength, or the pools are
  // exhausted.
  int Add(const char* name);
  // Adds without looking for a duplicate; the new id, or -1 as Add.
  int AddNew(const char* name);
  // The name of an id; null for an id outside 0 to count - 1 or an empty name.
  const char* GetName(int id) const;
  int GetCount() const { return count_; }
  int GetCapacity() const { return capacity_; }
  int GetBucketCount() const { return bucket_count_; }
  // Removes the name; every later id moves down by one. 0, or -1 when absent.
  int Remove(const char* name);
  // Removes the name leaving its id unused (later ids keep theirs, the count
  // stays). The id, or -1 when absent.
  int RemoveKeepingId(const char* name);
  // A new table sized for n (the current count when n is 0) with the same
  // names in id order; null when it cannot be made.
  std::unique_ptr<SymbolTable> Copy(int n = 0) const;
  // Adds the names of `other` that this table lacks, in other's id order;
  // returns how many were added.
  int AddAll(const SymbolTable& other);
  // 4 + for each live entry 4 + (name length + 1, or 4 for no name) + 4 per id
  // slot + 4 per bucket.
  int64_t MemoryUse() const;

  // Reads the binary form (big-endian): 0, or -1 on a short read, a bad string
  // field, a tag mismatch in the keyed form, or counts the file cannot hold.
  int Read(std::FILE* stream) { return Read(stream, 0); }
  int Read(std::FILE* stream, uint16_t tag);
  // Writes the binary form: plain when tag is 0, keyed otherwise. The keyed
  // form carries `key_byte` in the second word of its key table (files
  // written without a key byte hold 0 there), and Read subtracts it, so a
  // table written with a key byte reads back, and so do files with 0 there.
  // The 256 keys come from the engine's private generator seeded with
  // `key_seed`.
  int Write(std::FILE* stream, uint16_t tag, uint8_t key_byte, uint32_t key_seed = 1) const;

  // The bucket of a name among `buckets` (a power of two).
  static uint32_t BucketHash(const char* name, uint32_t buckets);

 private:
  int AddEntryUnchecked(const char* name, std::size_t length);

  int capacity_ = 0;
  int count_ = 0;
  Entry** ids_ = nullptr;
  int bucket_count_ = 0;
  Entry** buckets_ = nullptr;
  std::unique_ptr<BytePool> strings_;
  std::unique_ptr<ObjectMemMgr<Entry>> entries_;
};

}  // namespace vok
