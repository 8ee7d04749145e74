// Array of trivially copyable values allocated through C_rMemory.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"

template <typename T>
class C_rMemoryBlock {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  C_rMemoryBlock() = default;
  C_rMemoryBlock(const C_rMemoryBlock&) = delete;
  C_rMemoryBlock& operator=(const C_rMemoryBlock&) = delete;
  C_rMemoryBlock(C_rMemoryBlock&& other) noexcept { swap(other); }
  C_rMemoryBlock& operator=(C_rMemoryBlock&& other) noexcept {
    release();
    swap(other);
    return *this;
  }
  ~C_rMemoryBlock() { release(); }

  // n zeroed values; throws std::bad_alloc when the heap is exhausted.
  void allocate(C_rMemory& memory, const char* tag, std::size_t n) {
    release();
    void* block = memory.allocate(tag, n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    std::memset(block, 0, n * sizeof(T));
    memory_ = &memory;
    data_ = static_cast<T*>(block);
    size_ = n;
  }
  void release() {
    if (data_ != nullptr) memory_->free(data_);
    data_ = nullptr;
    size_ = 0;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  void swap(C_rMemoryBlock& other) {
    std::swap(memory_, other.memory_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }

  C_rMemory* memory_ = nullptr;
  T* data_ = nullptr;
  std::size_t size_ = 0;
};
