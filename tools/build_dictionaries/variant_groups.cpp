#include "tools/build_dictionaries/variant_groups.h"

#include <algorithm>
#include <limits>

namespace build_dictionaries {
namespace {

constexpr int kMaxRounds = 20;

// Index of the least value; the first on ties.
template <typename Values>
std::size_t ArgMin(const Values& values) {
  return static_cast<std::size_t>(std::min_element(values.begin(), values.end()) - values.begin());
}

}  // namespace

std::int64_t SquaredDistance(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  std::int32_t sum = 0;  // 255 squared times the 224 features stays far inside 32 bits
  for (std::size_t j = 0; j < a.size(); ++j) {
    const std::int32_t d = static_cast<std::int32_t>(a[j]) - b[j];
    sum += d * d;
  }
  return sum;
}

std::vector<VariantGroup> GroupVariants(std::span<const std::span<const std::uint8_t>> vectors,
                                        std::size_t count) {
  const std::size_t n = vectors.size();
  if (n == 0 || count == 0) return {};
  std::vector<std::int64_t> distance(n * n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      distance[i * n + j] = distance[j * n + i] = SquaredDistance(vectors[i], vectors[j]);
    }
  }
  const auto d = [&](std::size_t i, std::size_t j) { return distance[i * n + j]; };

  std::vector<std::int64_t> spread(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) spread[i] += d(i, j);
  }
  std::vector<std::size_t> medoids = {ArgMin(spread)};
  std::vector<std::int64_t> nearest(n);
  for (std::size_t i = 0; i < n; ++i) nearest[i] = d(i, medoids[0]);
  while (medoids.size() < count) {
    const std::size_t farthest =
        static_cast<std::size_t>(std::max_element(nearest.begin(), nearest.end()) - nearest.begin());
    if (nearest[farthest] == 0) break;
    medoids.push_back(farthest);
    for (std::size_t i = 0; i < n; ++i) nearest[i] = std::min(nearest[i], d(i, farthest));
  }

  std::vector<std::size_t> owner(n);
  for (int round = 0; round < kMaxRounds; ++round) {
    for (std::size_t i = 0; i < n; ++i) {
      std::vector<std::int64_t> to_medoids;
      for (const std::size_t m : medoids) to_medoids.push_back(d(i, m));
      owner[i] = ArgMin(to_medoids);
    }
    bool changed = false;
    for (std::size_t g = 0; g < medoids.size(); ++g) {
      std::size_t best = medoids[g];
      std::int64_t best_sum = std::numeric_limits<std::int64_t>::max();
      for (std::size_t candidate = 0; candidate < n; ++candidate) {
        if (owner[candidate] != g) continue;
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
          if (owner[i] == g) sum += d(candidate, i);
        }
        if (sum < best_sum) {
          best_sum = sum;
          best = candidate;
        }
      }
      if (best != medoids[g]) {
        medoids[g] = best;
        changed = true;
      }
    }
    if (!changed) break;
  }

  std::vector<VariantGroup> groups(medoids.size());
  for (std::size_t g = 0; g < medoids.size(); ++g) groups[g].medoid = medoids[g];
  for (std::size_t i = 0; i < n; ++i) {
    std::vector<std::int64_t> to_medoids;
    for (const std::size_t m : medoids) to_medoids.push_back(d(i, m));
    groups[ArgMin(to_medoids)].members.push_back(i);
  }
  // A medoid equal to an earlier one loses all its members to that one.
  std::erase_if(groups, [](const VariantGroup& group) { return group.members.empty(); });
  return groups;
}

}  // namespace build_dictionaries
