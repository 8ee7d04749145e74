// Growable array of pointers.
#pragma once

#include <cstdint>

namespace vok {

class PtrArray {
 public:
  // Step used when both the capacity and the growth step are 0, so that such
  // an array still grows.
  static constexpr int kMinimumGrowth = 16;

  // Growth step = capacity when 0 (kMinimumGrowth when that is 0 too).
  explicit PtrArray(int capacity = 0, int growth = 0);
  ~PtrArray();
  PtrArray(const PtrArray&) = delete;
  PtrArray& operator=(const PtrArray&) = delete;

  void Clear() { count_ = cursor_ = 0; }
  // Appends, growing by the growth step when full; 0, or -1 when the array
  // cannot grow (nothing changes).
  int Push(void* item);
  // The last pointer (removed), or null when empty.
  void* Pop();
  // Pointer n, or null outside 0 to count - 1.
  void* Get(int n) const { return (n >= 0 && n < count_) ? items_[n] : nullptr; }

  int count() const { return count_; }
  int capacity() const { return capacity_; }
  int growth() const { return growth_; }
  int cursor() const { return cursor_; }
  // The record's 20 bytes (five 32-bit fields in the product) and 4 bytes per
  // pointer slot of the 32-bit product.
  int64_t MemoryUse() const { return 20 + 4 * int64_t{capacity_}; }

 private:
  int count_ = 0;
  int capacity_ = 0;
  int growth_ = 0;
  int cursor_ = 0;
  void** items_ = nullptr;
};

}  // namespace vok
