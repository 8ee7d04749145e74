#include "engine/core/hash_table.h"

#include <array>

#include "engine/core/fixed_random.h"

namespace vok {
namespace {

struct ByteTable {
  std::array<uint32_t, 256> values{};
  ByteTable() {
    FixedRandom random;  // fixed seed: the same table in every process
    for (uint32_t& v : values) {
      const uint32_t r1 = static_cast<uint32_t>(random.Next());
      const uint32_t r2 = static_cast<uint32_t>(random.Next());
      v = (r1 << 16) | r2;
    }
  }
};

const ByteTable& Table() {
  static const ByteTable table;  // filled once, on first use
  return table;
}

}  // namespace

const uint32_t* HashByteTable() { return Table().values.data(); }

uint32_t HashBytes(const void* key, int length) {
  const auto& table = Table().values;
  const auto* bytes = static_cast<const unsigned char*>(key);
  if (!bytes || length < 1) return table[0];
  uint32_t h = table[bytes[0]];
  for (int i = 1; i < length; ++i) h = ((h << 1) | (h >> 31)) ^ table[bytes[i]];
  return h;
}

int NextPowerOfTwo(int n, int* bits) {
  int b = 0;
  while (b < 30 && n > 0 && (n >> b) != 0) ++b;
  if (bits) *bits = b;
  return 1 << b;
}

}  // namespace vok
