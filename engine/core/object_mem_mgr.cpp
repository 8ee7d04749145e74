#include "engine/core/object_mem_mgr.h"

#include <cstring>

namespace vok {

BytePool::BytePool(int block_size, int max_blocks)
    : block_size_(block_size > 2 ? block_size : 2), max_blocks_(max_blocks > 0 ? max_blocks : 1) {
  blocks_ = static_cast<char**>(MemoryAllocZ(sizeof(char*) * static_cast<std::size_t>(max_blocks_)));
  if (!blocks_ || !AllocateBlock(0)) ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory");
}

BytePool::~BytePool() {
  if (!blocks_) return;
  for (int i = 0; i < max_blocks_; ++i) MemoryFree(blocks_[i]);
  MemoryFree(blocks_);
}

bool BytePool::AllocateBlock(int index) {
  blocks_[index] = static_cast<char*>(MemoryAlloc(static_cast<std::size_t>(block_size_)));
  if (!blocks_[index]) return false;
  ++allocated_blocks_;
  return true;
}

char* BytePool::New(int length) {
  if (!blocks_ || length < 0 || length + 1 >= block_size_) return nullptr;
  if (position_ + length + 1 >= block_size_) {
    if (current_block_ + 1 >= max_blocks_) return nullptr;
    if (!blocks_[current_block_ + 1] && !AllocateBlock(current_block_ + 1)) {
      ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory");
      return nullptr;
    }
    ++current_block_;
    position_ = 0;
  }
  if (!blocks_[current_block_]) return nullptr;
  char* room = blocks_[current_block_] + position_;
  position_ += length + 1;
  count_ += length + 1;
  return room;
}

char* BytePool::CopyString(const char* text, int length) {
  char* room = New(length);
  if (!room) return nullptr;
  if (length > 0) std::memcpy(room, text, static_cast<std::size_t>(length));
  room[length] = '\0';
  return room;
}

void BytePool::Clear() {
  count_ = 0;
  current_block_ = 0;
  position_ = 0;
}

}  // namespace vok
