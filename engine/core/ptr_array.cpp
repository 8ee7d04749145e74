#include "engine/core/ptr_array.h"

#include <climits>

#include "engine/core/memory.h"

namespace vok {

PtrArray::PtrArray(int capacity, int growth) {
  capacity_ = capacity > 0 ? capacity : 0;
  growth_ = growth > 0 ? growth : (capacity_ > 0 ? capacity_ : kMinimumGrowth);
  if (capacity_ > 0) {
    items_ = static_cast<void**>(MemoryAllocZ(sizeof(void*) * static_cast<std::size_t>(capacity_)));
    if (!items_) capacity_ = 0;
  }
}

PtrArray::~PtrArray() { MemoryFree(items_); }

int PtrArray::Push(void* item) {
  if (count_ == capacity_) {
    if (capacity_ > INT_MAX - growth_) return -1;
    const int grown = capacity_ + growth_;
    void* block = MemoryRealloc(items_, sizeof(void*) * static_cast<std::size_t>(grown));
    if (!block) return -1;
    items_ = static_cast<void**>(block);
    capacity_ = grown;
  }
  items_[count_++] = item;
  cursor_ = count_;
  return 0;
}

void* PtrArray::Pop() {
  if (count_ == 0) return nullptr;
  void* item = items_[--count_];
  cursor_ = count_;
  return item;
}

}  // namespace vok
