// Revision numbers for data that caches elsewhere follow (a tree's shape and
// entries, a language model's class table): each call returns a number no
// earlier call returned in this process, so a cache that remembers one
// revision sees any change, of the same object or of another at its address.
#pragma once

#include <atomic>
#include <cstdint>

namespace vok {

inline uint64_t NewRevision() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace vok
