// Allocation wrappers of the engine: a failure is recorded in the
// error list and the caller gets no block; nothing is thrown or printed.
#pragma once

#include <cstddef>

namespace vok {

void* MemoryAlloc(std::size_t size);
// Zero-filled.
void* MemoryAllocZ(std::size_t size);
// On failure the old block stays valid and is not freed.
void* MemoryRealloc(void* block, std::size_t size);
// Frees a block that is not null.
void MemoryFree(void* block);

}  // namespace vok
