// Groups the samples of one character into its variants: k-medoids over the
// squared distances of their fine feature vectors, so that the dictionary's
// few records per character cover the ways it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace build_dictionaries {

struct VariantGroup {
  std::size_t medoid = 0;            // index into the samples
  std::vector<std::size_t> members;  // the medoid included
};

// At most `count` groups of the `vectors` (all of one length); fewer when the
// vectors have fewer distinct values. Deterministic: the most central vector
// starts, each further one is the vector farthest from those chosen, then
// members and medoids are exchanged until nothing changes.
std::vector<VariantGroup> GroupVariants(std::span<const std::span<const std::uint8_t>> vectors,
                                        std::size_t count);

// Sum of squared differences.
std::int64_t SquaredDistance(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace build_dictionaries
