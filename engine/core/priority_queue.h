// Binary max-heap under a caller's comparison: compare(a, b,
// context) > 0 means a comes first. Items are copied bitwise (pointers, ids).
#pragma once

#include <climits>
#include <type_traits>

#include "engine/core/memory.h"

namespace vok {

template <class T>
class PriorityQueue {
  static_assert(std::is_trivially_copyable_v<T>, "items are copied bitwise");

 public:
  using Compare = int (*)(const T& a, const T& b, void* context);
  // Step used when the initial capacity is 0, so that such a queue still grows.
  static constexpr int kMinimumGrowth = 16;

  // The growth step equals the initial capacity (kMinimumGrowth when 0).
  PriorityQueue(int capacity, Compare compare, void* context = nullptr)
      : capacity_(capacity > 0 ? capacity : 0),
        growth_(capacity > 0 ? capacity : kMinimumGrowth),
        compare_(compare),
        context_(context) {
    items_ = static_cast<T*>(MemoryAllocZ(sizeof(T) * (static_cast<std::size_t>(capacity_) + 1)));
    if (!items_) capacity_ = -1;  // not even slot 0: every push tries to grow
  }
  ~PriorityQueue() { MemoryFree(items_); }
  PriorityQueue(const PriorityQueue&) = delete;
  PriorityQueue& operator=(const PriorityQueue&) = delete;

  // 0, or -1 when the queue is full and cannot grow (nothing changes).
  int Push(const T& item) {
    if (count_ >= capacity_) {
      const int base = capacity_ > 0 ? capacity_ : 0;
      if (base > INT_MAX - growth_ - 1) return -1;
      const int grown = base + growth_;
      void* block = MemoryRealloc(items_, sizeof(T) * (static_cast<std::size_t>(grown) + 1));
      if (!block) return -1;
      items_ = static_cast<T*>(block);
      capacity_ = grown;
    }
    int i = ++count_;
    // The item rises past its parent while it comes first; an equal item
    // stays below its parent.
    while (i > 1 && compare_(item, items_[i / 2], context_) > 0) {
      items_[i] = items_[i / 2];
      i /= 2;
    }
    items_[i] = item;
    return 0;
  }

  // The top item (removed); false when empty.
  bool Pop(T* out) {
    if (count_ == 0) return false;
    if (out) *out = items_[1];
    const T last = items_[count_--];
    int i = 1;
    for (;;) {
      int child = 2 * i;
      if (child > count_) break;
      if (child + 1 <= count_ && compare_(items_[child + 1], items_[child], context_) > 0) ++child;
      if (!(compare_(last, items_[child], context_) < 0)) break;
      items_[i] = items_[child];
      i = child;
    }
    if (count_ > 0) items_[i] = last;
    return true;
  }
  // The top item, or T{} when empty.
  T Pop() {
    T item{};
    Pop(&item);
    return item;
  }
  const T* Top() const { return count_ > 0 ? &items_[1] : nullptr; }

  void Clear() { count_ = 0; }
  int count() const { return count_; }
  int capacity() const { return capacity_ > 0 ? capacity_ : 0; }
  int growth() const { return growth_; }

 private:
  int capacity_;
  int count_ = 0;
  int growth_;
  T* items_ = nullptr;  // capacity + 1 slots; the heap in 1 to count
  Compare compare_;
  void* context_;
};

}  // namespace vok
