#include "tools/build_hwr_models/kmeans.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/build_dictionaries/dictionary_builder.h"

namespace build_hwr_models {

std::size_t Nearest(const double* vector, const std::vector<double>& centres, std::size_t dimension) {
  std::size_t best = 0;
  double best_distance = std::numeric_limits<double>::max();
  const std::size_t k = centres.size() / dimension;
  for (std::size_t c = 0; c < k; ++c) {
    double distance = 0;
    for (std::size_t d = 0; d < dimension; ++d) {
      const double diff = vector[d] - centres[c * dimension + d];
      distance += diff * diff;
    }
    if (distance < best_distance) {
      best_distance = distance;
      best = c;
    }
  }
  return best;
}

std::vector<double> KMeansReal(const std::vector<double>& vectors, std::size_t dimension, std::size_t k,
                               int iterations, unsigned jobs, std::vector<std::size_t>* assignment) {
  const std::size_t count = vectors.size() / dimension;
  std::vector<double> centres(k * dimension, 0);
  if (count == 0) return centres;
  for (std::size_t c = 0; c < k; ++c) {
    const std::size_t from = c * count / k;
    std::copy_n(vectors.begin() + from * dimension, dimension, centres.begin() + c * dimension);
  }
  std::vector<std::size_t> nearest(count, 0);
  for (int iteration = 0; iteration < iterations; ++iteration) {
    build_dictionaries::ParallelFor(count, jobs, [&](std::size_t i) {
      nearest[i] = Nearest(&vectors[i * dimension], centres, dimension);
    });
    std::vector<double> sums(k * dimension, 0);
    std::vector<std::size_t> members(k, 0);
    for (std::size_t i = 0; i < count; ++i) {
      ++members[nearest[i]];
      for (std::size_t d = 0; d < dimension; ++d)
        sums[nearest[i] * dimension + d] += vectors[i * dimension + d];
    }
    for (std::size_t c = 0; c < k; ++c) {
      if (members[c] == 0) {
        // An empty centre restarts on a vector far from its own centre.
        const std::size_t pick = (c * 7919 + static_cast<std::size_t>(iteration) * 104729) % count;
        std::copy_n(vectors.begin() + pick * dimension, dimension, centres.begin() + c * dimension);
        continue;
      }
      for (std::size_t d = 0; d < dimension; ++d) {
        centres[c * dimension + d] = sums[c * dimension + d] / static_cast<double>(members[c]);
      }
    }
  }
  build_dictionaries::ParallelFor(
      count, jobs, [&](std::size_t i) { nearest[i] = Nearest(&vectors[i * dimension], centres, dimension); });
  if (assignment) *assignment = std::move(nearest);
  return centres;
}

std::vector<int32_t> KMeans(const std::vector<double>& vectors, std::size_t dimension, std::size_t k,
                            int iterations, unsigned jobs) {
  const std::vector<double> centres = KMeansReal(vectors, dimension, k, iterations, jobs, nullptr);
  std::vector<int32_t> rounded(centres.size());
  for (std::size_t i = 0; i < centres.size(); ++i) rounded[i] = static_cast<int32_t>(std::lround(centres[i]));
  return rounded;
}

}  // namespace build_hwr_models
