// Allocator that every code book of the acoustic library allocates through.
#pragma once

#include <cstddef>

class C_rMemory {
 public:
  C_rMemory();
  ~C_rMemory();
  C_rMemory(const C_rMemory&) = delete;
  C_rMemory& operator=(const C_rMemory&) = delete;

  // A block of size bytes from the general-purpose heap (null when the heap
  // is exhausted); the tag names the owner and is not recorded.
  void* allocate(const char* tag, std::size_t size);
  void free(void* block);
  void ReportStatus() const;
};
