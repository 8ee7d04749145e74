#include "engine/core/memory.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/messages.h"

namespace vok {
namespace {

void RecordFailure(const char* function, std::size_t size) {
  char place[96];
  std::snprintf(place, sizeof place, "%s(%x): not enough memory", function, static_cast<unsigned>(size));
  ErrorSet(place, -1, "Unable to allocate \"%d\" Ptr units", static_cast<int>(size));
}

}  // namespace

void* MemoryAlloc(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) RecordFailure("MemoryAlloc", size);
  return block;
}

void* MemoryAllocZ(std::size_t size) {
  void* block = std::calloc(size ? size : 1, 1);
  if (!block) RecordFailure("MemoryAllocZ", size);
  return block;
}

void* MemoryRealloc(void* block, std::size_t size) {
  void* grown = std::realloc(block, size ? size : 1);
  if (!grown) RecordFailure("MemoryRealloc", size);
  return grown;
}

void MemoryFree(void* block) {
  if (block) std::free(block);
}

}  // namespace vok
