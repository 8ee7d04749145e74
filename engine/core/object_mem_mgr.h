// Pools of fixed-size records handed out by dense integer id (ObjectMemMgr), and the byte pool that holds the
// engine's strings.
#pragma once

#include <cstdint>
#include <new>

#include "engine/core/memory.h"
#include "engine/core/messages.h"

namespace vok {

inline constexpr int kPoolMaxBlocks = 250;  // every pool of the engine

// Size of a pool record in the 32-bit product: count, block size, maximum,
// current block, position, record size, block array, start array, free list.
inline constexpr int64_t kPoolRecordBytes = 36;
// Bytes per block slot in the product: one block pointer, one start value.
inline constexpr int64_t kPoolBytesPerBlockSlot = 8;

namespace detail {

// Stack of free ids, grown like a PtrArray.
class IdStack {
 public:
  IdStack() = default;
  ~IdStack() { MemoryFree(ids_); }
  IdStack(const IdStack&) = delete;
  IdStack& operator=(const IdStack&) = delete;

  int Push(int32_t id) {
    if (count_ == capacity_) {
      const int grown = capacity_ > 0 ? capacity_ * 2 : 16;
      void* block = MemoryRealloc(ids_, sizeof(int32_t) * static_cast<std::size_t>(grown));
      if (!block) return -1;
      ids_ = static_cast<int32_t*>(block);
      capacity_ = grown;
    }
    ids_[count_++] = id;
    return 0;
  }
  bool Pop(int32_t* id) {
    if (count_ == 0) return false;
    *id = ids_[--count_];
    return true;
  }
  void Clear() { count_ = 0; }
  int count() const { return count_; }
  // As a PtrArray of the product: 20 bytes and 4 per slot.
  int64_t MemoryUse() const { return 20 + 4 * int64_t{capacity_}; }

 private:
  int32_t* ids_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
};

}  // namespace detail

// A pool of records of type T: blocks of `block_size` constructed records, at
// most `max_blocks` blocks, allocated on demand and kept until the pool goes.
// `record_size` is the record's size in the 32-bit product; MemoryUse counts
// with it, so the figure is the same in every build.
template <class T>
class ObjectMemMgr {
 public:
  ObjectMemMgr(int block_size, int record_size, bool keep_free_list = false, int max_blocks = kPoolMaxBlocks)
      : block_size_(block_size > 0 ? block_size : 1),
        max_blocks_(max_blocks > 0 ? max_blocks : 1),
        record_size_(record_size),
        keep_free_list_(keep_free_list) {
    blocks_ = static_cast<T**>(MemoryAllocZ(sizeof(T*) * static_cast<std::size_t>(max_blocks_)));
    if (!blocks_ || !AllocateBlock(0)) {
      ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory");
    }
    StartBlock(0);
  }
  ~ObjectMemMgr() {
    if (blocks_) {
      for (int i = 0; i < max_blocks_; ++i) delete[] blocks_[i];
      MemoryFree(blocks_);
    }
  }
  ObjectMemMgr(const ObjectMemMgr&) = delete;
  ObjectMemMgr& operator=(const ObjectMemMgr&) = delete;

  // True when the set-up allocated the first block.
  bool ok() const { return blocks_ && blocks_[0]; }

  // A record and its id: from the free list when it holds ids, otherwise the
  // next position, moving to the next block when the current one is full.
  // -1 and no record when every block is used or one cannot be allocated.
  int New(T** record) {
    if (record) *record = nullptr;
    int32_t id;
    if (keep_free_list_ && free_.Pop(&id)) {
      if (record) *record = Get(id);
      return id;
    }
    if (next_ == end_ && !MoveToNextBlock()) return -1;
    // Records are handed out in id order, block after block.
    id = count_++;
    if (record) *record = next_;
    ++next_;
    return id;
  }

  // Puts the id on the free list (pools without one ignore it). An id outside
  // the records handed out is ignored too.
  void Delete(int id) {
    if (keep_free_list_ && id >= 0 && id < count_) free_.Push(id);
  }

  // The record of an id, or null outside 0 to count - 1.
  T* Get(int id) const {
    if (id < 0 || id >= count_ || !blocks_) return nullptr;
    return &blocks_[id / block_size_][id % block_size_];
  }

  // Back to no records; blocks stay allocated for the next use.
  void Clear() {
    count_ = 0;
    StartBlock(0);
    free_.Clear();
  }

  // Block size x record size for each allocated block, plus the free list.
  int64_t MemoryUse() const {
    int64_t bytes = int64_t{allocated_blocks_} * block_size_ * record_size_;
    if (keep_free_list_) bytes += free_.MemoryUse();
    return bytes;
  }
  // MemoryUse with the pool record and its block slots (the string map's figure).
  int64_t PoolMemoryUse() const {
    return kPoolRecordBytes + kPoolBytesPerBlockSlot * max_blocks_ + MemoryUse();
  }

  int count() const { return count_; }
  int block_size() const { return block_size_; }
  int max_blocks() const { return max_blocks_; }
  int record_size() const { return record_size_; }
  int allocated_blocks() const { return allocated_blocks_; }
  int free_count() const { return free_.count(); }
  int capacity() const { return block_size_ * max_blocks_; }

 private:
  // Once a block: out of line, so that New stays small where it is inlined.
  // No record at all while the first block is missing.
  [[gnu::noinline]] bool MoveToNextBlock() {
    if (!next_) return false;
    if (current_block_ + 1 >= max_blocks_) return false;
    if (!blocks_[current_block_ + 1] && !AllocateBlock(current_block_ + 1)) {
      ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory");
      return false;
    }
    StartBlock(current_block_ + 1);
    return true;
  }
  void StartBlock(int index) {
    current_block_ = index;
    next_ = blocks_ ? blocks_[index] : nullptr;
    end_ = next_ ? next_ + block_size_ : nullptr;
  }
  bool AllocateBlock(int index) {
    blocks_[index] = new (std::nothrow) T[static_cast<std::size_t>(block_size_)];
    if (!blocks_[index]) return false;
    ++allocated_blocks_;
    return true;
  }

  int count_ = 0;
  int block_size_;
  int max_blocks_;
  int current_block_ = 0;
  // The current block's next record and its end: equal when it is used up
  // (both null without a first block).
  T* next_ = nullptr;
  T* end_ = nullptr;
  int record_size_;
  T** blocks_ = nullptr;
  int allocated_blocks_ = 0;
  bool keep_free_list_;
  detail::IdStack free_;
};

// A pool of bytes for strings: each string lies whole in one block of
// `block_size` bytes; a string that does not fit in the rest of the current
// block (position + length + 1 >= block size) starts the next block.
class BytePool {
 public:
  explicit BytePool(int block_size, int max_blocks = kPoolMaxBlocks);
  ~BytePool();
  BytePool(const BytePool&) = delete;
  BytePool& operator=(const BytePool&) = delete;

  bool ok() const { return blocks_ && blocks_[0]; }
  // Room for `length` bytes and a terminator; null when the text can never
  // fit in a block (length + 1 >= block size) or the last block is full.
  char* New(int length);
  // A terminated copy of `length` bytes of the text, or null as New.
  char* CopyString(const char* text, int length);
  void Clear();

  // Longest text a block can take.
  int max_length() const { return block_size_ - 2; }
  // Bytes handed out, terminators included.
  int count() const { return count_; }
  int allocated_blocks() const { return allocated_blocks_; }
  int current_block() const { return current_block_; }
  int max_blocks() const { return max_blocks_; }
  int64_t MemoryUse() const { return int64_t{allocated_blocks_} * block_size_; }
  int64_t PoolMemoryUse() const {
    return kPoolRecordBytes + kPoolBytesPerBlockSlot * max_blocks_ + MemoryUse();
  }

 private:
  bool AllocateBlock(int index);

  int count_ = 0;
  int block_size_;
  int max_blocks_;
  int current_block_ = 0;
  int position_ = 0;
  char** blocks_ = nullptr;
  int allocated_blocks_ = 0;
};

}  // namespace vok
