// A key string to an ordered list of value strings with 16-bit counts
//: the engine's character, term and confusion maps.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/core/hash_table.h"
#include "engine/core/object_mem_mgr.h"

namespace vok {

class SymbolTable;

class StringMap {
 public:
  struct ValueRecord {
    const char* value = nullptr;
    int16_t count = 0;
  };
  struct ValueLink {
    ValueRecord* record = nullptr;
    ValueLink* next = nullptr;  // the next value of the same key, in insertion order
  };
  struct KeyEntry {
    const char* key = nullptr;
    int32_t key_length = 0;
    ValueLink* first = nullptr;
  };

  // Keys and values of the binary form hold at most 99 bytes; the map holds
  // no longer string, so everything it holds can be written.
  static constexpr int kMaxStringLength = 99;
  // The value (first token) of a text line holds at most 31 bytes.
  static constexpr int kMaxTextValueLength = 31;
  static constexpr int16_t kMaxCount = 32767;
  // Record sizes of the 32-bit product, for MemoryUse.
  static constexpr int kKeyEntryBytes = 8;
  static constexpr int kValueRecordBytes = 8;
  static constexpr int kValueLinkBytes = 12;

  // An empty map whose hash table is made for `size` keys (it never grows).
  explicit StringMap(int size);
  // An empty map for `size` keys, then the text file when the path is given
  // and exists.
  StringMap(const char* text_path, int size);
  ~StringMap();
  StringMap(const StringMap&) = delete;
  StringMap& operator=(const StringMap&) = delete;

  // Opens the binary file "rb" and reads it into a map made for the stored
  // key count; null when the file cannot be opened or its header read. A map
  // whose entries stopped part way holds those read before.
  static std::unique_ptr<StringMap> FromBinaryFile(const char* path);

  // Finds or makes the key and appends a value record with the count; null
  // when a string is longer than kMaxStringLength, the hash table is full or
  // a pool is exhausted.
  ValueRecord* Add(const char* key, const char* value, int count);
  // The first value link of the key, or null (also for a key without values).
  // Lookups change nothing, so threads may share a map that no one changes.
  const ValueLink* Lookup(const char* key) const;
  // The key's entry, or null.
  const KeyEntry* FindKey(const char* key) const;
  // Raises the count of the (key, value) pair by 1, appending it with count 1
  // when absent; returns the new count (at most kMaxCount), or -1 when it
  // cannot be entered.
  int Count(const char* key, const char* value);
  // Every key in hash-table order into the table, and with a non-zero flag
  // the key's values after it.
  void AddToSymbolTable(SymbolTable* table, int flag) const;

  // Text form: lines of a value followed by its keys. Returns the number of
  // lines read, or -1 when the file cannot be opened.
  int ReadText(const char* path);
  // Binary form (big-endian): the number of entries read, or -1 at the first
  // field that cannot be read (entries before stay).
  int ReadBinary(std::FILE* stream);
  // Writes the binary form, scrambled with a non-zero key byte. 0, or -1.
  int WriteBinary(const char* path, uint8_t key_byte) const;

  // Hash table + 4 + each pool's record, block slots and allocated blocks.
  int64_t MemoryUse() const;

  int key_count() const { return table_.count(); }
  int key_capacity() const { return table_.capacity(); }
  // Calls function(const KeyEntry*) for every key in hash-table order.
  template <class Function>
  void ForEachKey(Function&& function) const {
    table_.ForEach([&function](KeyEntry* entry) { function(static_cast<const KeyEntry*>(entry)); });
  }

 private:
  static HashKey KeyOf(const KeyEntry* entry) { return {entry->key, entry->key_length}; }
  KeyEntry* FindOrMakeKey(const char* key);
  ValueRecord* Append(KeyEntry* entry, const char* value, int count);
  int ReadEntries(std::FILE* stream, int32_t count, bool scrambled, uint8_t key_byte);

  HashTable<KeyEntry> table_;
  ObjectMemMgr<KeyEntry> keys_;
  ObjectMemMgr<ValueRecord> values_;
  ObjectMemMgr<ValueLink> links_;
  BytePool strings_;
};

}  // namespace vok
