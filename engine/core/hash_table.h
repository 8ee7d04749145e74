// Open-addressing hash table keyed by byte strings. Items belong
// to the caller; a key function gives each item's key bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/core/memory.h"
#include "engine/core/messages.h"

namespace vok {

struct HashKey {
  const void* bytes;
  int length;
};

// The key hash: a table of 256 32-bit values filled once per process from the
// engine's private generator (each (r1 << 16) | r2 of two draws); h starts as
// table[key[0]] and takes h = rotl(h, 1) ^ table[b] for each further byte.
// A key of fewer than 2 bytes gives table[key[0]] (table[0] for no byte).
uint32_t HashBytes(const void* key, int length);
// The 256 values of that table (for tests).
const uint32_t* HashByteTable();

// bits = number of significant bits of n (0 for n <= 0, at most 30); returns
// 1 << bits.
int NextPowerOfTwo(int n, int* bits);

template <class Item>
class HashTable {
 public:
  using KeyFunction = HashKey (*)(const Item* item);

  // Capacity 1 << (significant bits of n): 100 gives 128, 128 gives 256.
  HashTable(int n, KeyFunction key) : key_(key) { Allocate(n); }
  ~HashTable() { MemoryFree(slots_); }
  HashTable(const HashTable&) = delete;
  HashTable& operator=(const HashTable&) = delete;

  void Clear() {
    if (slots_) std::memset(slots_, 0, sizeof(Item*) * static_cast<std::size_t>(capacity_));
    count_ = lookups_ = probes_ = 0;
  }

  // Puts the item in the first empty slot of its probe sequence; equal keys
  // are not looked for. A full table prints "HashTable::Insert: Table full (%d
  // entries)" and takes nothing: -1. Otherwise 0.
  int Insert(Item* item) {
    if (count_ >= capacity_) {
      ErrorMessage("HashTable::Insert: Table full (%d entries)", capacity_);
      return -1;
    }
    const HashKey k = key_(item);
    uint32_t slot = HashBytes(k.bytes, k.length) & mask_;
    while (slots_[slot]) slot = (slot + 1) & mask_;
    slots_[slot] = item;
    ++count_;
    return 0;
  }

  // The first item in probe order whose key has the same length and bytes;
  // null at an empty slot, or after every slot of a full table was probed.
  Item* Find(const void* key, int length) {
    ++lookups_;
    if (capacity_ == 0) return nullptr;
    uint32_t slot = HashBytes(key, length) & mask_;
    for (int probed = 0; probed < capacity_; ++probed) {
      Item* item = slots_[slot];
      if (!item) return nullptr;
      ++probes_;
      const HashKey k = key_(item);
      if (k.length == length &&
          (length == 0 || std::memcmp(k.bytes, key, static_cast<std::size_t>(length)) == 0)) {
        return item;
      }
      slot = (slot + 1) & mask_;
    }
    return nullptr;
  }

  // As Find, without counting lookups and probes, so that readers sharing a
  // table that no one changes may call it from several threads.
  Item* Lookup(const void* key, int length) const {
    if (capacity_ == 0) return nullptr;
    uint32_t slot = HashBytes(key, length) & mask_;
    for (int probed = 0; probed < capacity_; ++probed) {
      Item* item = slots_[slot];
      if (!item) return nullptr;
      const HashKey k = key_(item);
      if (k.length == length &&
          (length == 0 || std::memcmp(k.bytes, key, static_cast<std::size_t>(length)) == 0)) {
        return item;
      }
      slot = (slot + 1) & mask_;
    }
    return nullptr;
  }

  // Twice the capacity (NextPowerOfTwo(capacity + 2)), the items inserted
  // again in slot order; count, lookups and probes are kept. 0, or -1 when the
  // new slots cannot be allocated (the table stays as it was).
  int Grow() {
    int bits = 0;
    const int grown = NextPowerOfTwo(capacity_ + 2, &bits);
    if (grown <= capacity_) return -1;
    Item** slots = static_cast<Item**>(MemoryAllocZ(sizeof(Item*) * static_cast<std::size_t>(grown)));
    if (!slots) return -1;
    const uint32_t mask = static_cast<uint32_t>(grown - 1);
    for (int i = 0; i < capacity_; ++i) {
      if (!slots_[i]) continue;
      const HashKey k = key_(slots_[i]);
      uint32_t slot = HashBytes(k.bytes, k.length) & mask;
      while (slots[slot]) slot = (slot + 1) & mask;
      slots[slot] = slots_[i];
    }
    MemoryFree(slots_);
    slots_ = slots;
    capacity_ = grown;
    bits_ = bits;
    mask_ = mask;
    return 0;
  }

  // Calls function(item, argument) for every taken slot in slot order.
  template <class Function>
  void ForEach(Function&& function) const {
    for (int i = 0; i < capacity_; ++i) {
      if (slots_[i]) function(slots_[i]);
    }
  }
  void ForEach(void (*function)(Item* item, void* argument), void* argument) const {
    for (int i = 0; i < capacity_; ++i) {
      if (slots_[i]) function(slots_[i], argument);
    }
  }

  // Capacity x 4 + 32: the slot array and the record of the 32-bit product.
  int64_t MemoryUse() const { return int64_t{capacity_} * 4 + 32; }

  int capacity() const { return capacity_; }
  int count() const { return count_; }
  int bits() const { return bits_; }
  int lookups() const { return lookups_; }
  int probes() const { return probes_; }
  Item* Slot(int i) const { return (i >= 0 && i < capacity_) ? slots_[i] : nullptr; }

 private:
  void Allocate(int n) {
    int bits = 0;
    const int capacity = NextPowerOfTwo(n, &bits);
    slots_ = static_cast<Item**>(MemoryAllocZ(sizeof(Item*) * static_cast<std::size_t>(capacity)));
    if (!slots_) return;  // capacity 0: every insert reports a full table
    capacity_ = capacity;
    bits_ = bits;
    mask_ = static_cast<uint32_t>(capacity - 1);
  }

  int capacity_ = 0;
  int count_ = 0;
  int bits_ = 0;
  uint32_t mask_ = 0;
  KeyFunction key_;
  Item** slots_ = nullptr;
  int lookups_ = 0;
  int probes_ = 0;
};

}  // namespace vok
