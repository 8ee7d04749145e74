#include "tools/train_acoustic_model/code_book.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <thread>

namespace train_acoustic_model {

namespace {

float SquaredDistance(const float* a, const float* b, int dim) {
  float sum = 0.0f;
  for (int d = 0; d < dim; ++d) {
    const float diff = a[d] - b[d];
    sum += diff * diff;
  }
  return sum;
}

// Nearest centre of every vector, in parallel slices (each vector's answer
// does not depend on the slicing).
void Assign(const std::vector<float>& data, int dim, const std::vector<float>& centres, unsigned jobs,
            std::vector<std::uint32_t>& nearest, std::vector<float>& distance) {
  const std::size_t n = data.size() / static_cast<std::size_t>(dim);
  const std::size_t k = centres.size() / static_cast<std::size_t>(dim);
  auto work = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const float* x = data.data() + i * dim;
      float best = SquaredDistance(x, centres.data(), dim);
      std::uint32_t arg = 0;
      for (std::size_t c = 1; c < k; ++c) {
        const float d = SquaredDistance(x, centres.data() + c * dim, dim);
        if (d < best) {
          best = d;
          arg = static_cast<std::uint32_t>(c);
        }
      }
      nearest[i] = arg;
      distance[i] = best;
    }
  };
  jobs = std::max(1u, jobs);
  std::vector<std::thread> threads;
  const std::size_t slice = (n + jobs - 1) / jobs;
  for (unsigned j = 1; j < jobs; ++j) {
    const std::size_t begin = std::min(n, j * slice);
    threads.emplace_back(work, begin, std::min(n, begin + slice));
  }
  work(0, std::min(n, slice));
  for (std::thread& t : threads) t.join();
}

struct Clusters {
  std::vector<double> count, distortion;
  std::vector<double> sum, square;  // k x dim
};

Clusters Accumulate(const std::vector<float>& data, int dim, std::size_t k,
                    const std::vector<std::uint32_t>& nearest, const std::vector<float>& distance) {
  Clusters c;
  c.count.assign(k, 0.0);
  c.distortion.assign(k, 0.0);
  c.sum.assign(k * dim, 0.0);
  c.square.assign(k * dim, 0.0);
  for (std::size_t i = 0; i < nearest.size(); ++i) {
    const std::size_t g = nearest[i];
    c.count[g] += 1.0;
    c.distortion[g] += distance[i];
    const float* x = data.data() + i * dim;
    for (int d = 0; d < dim; ++d) {
      c.sum[g * dim + d] += x[d];
      c.square[g * dim + d] += static_cast<double>(x[d]) * x[d];
    }
  }
  return c;
}

float ClusterDeviation(const Clusters& c, std::size_t g, int d, int dim) {
  if (c.count[g] <= 0) return 1.0f;
  const double mean = c.sum[g * dim + d] / c.count[g];
  const double variance = c.square[g * dim + d] / c.count[g] - mean * mean;
  return static_cast<float>(std::sqrt(std::max(variance, 1e-6)));
}

// Clusters in order of falling distortion (lower index first on ties).
std::vector<std::size_t> ByDistortion(const Clusters& c) {
  std::vector<std::size_t> order(c.count.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return c.distortion[a] > c.distortion[b]; });
  return order;
}

// Moves `from`'s centre by -offset deviations and puts `to` at +offset.
void Split(std::vector<float>& centres, const Clusters& c, std::size_t from, std::size_t to, int dim,
           float offset) {
  for (int d = 0; d < dim; ++d) {
    const float deviation = ClusterDeviation(c, from, d, dim) * offset;
    const float centre = centres[from * dim + d];
    centres[to * dim + d] = centre + deviation;
    centres[from * dim + d] = centre - deviation;
  }
}

}  // namespace

CodeBook TrainCodeBook(std::span<const float> vectors, int dim, const KMeansOptions& options) {
  const std::size_t total = dim > 0 ? vectors.size() / static_cast<std::size_t>(dim) : 0;
  const std::size_t n = std::min(total, std::max<std::size_t>(options.maxVectors, 1));
  std::vector<float> data(n * dim);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t source = total == n ? i : i * total / n;
    std::copy_n(vectors.data() + source * dim, dim, data.data() + i * dim);
  }
  std::vector<std::uint32_t> nearest(n, 0);
  std::vector<float> distance(n, 0.0f);
  std::vector<float> centres(dim, 0.0f);
  Clusters clusters = Accumulate(data, dim, 1, nearest, distance);
  for (int d = 0; d < dim; ++d)
    centres[d] = n > 0 ? static_cast<float>(clusters.sum[d] / clusters.count[0]) : 0.0f;
  std::size_t k = 1;
  auto lloyd = [&] {
    for (int pass = 0; pass < options.iterations; ++pass) {
      Assign(data, dim, centres, options.jobs, nearest, distance);
      clusters = Accumulate(data, dim, k, nearest, distance);
      for (std::size_t g = 0; g < k; ++g) {
        if (clusters.count[g] <= 0) continue;
        for (int d = 0; d < dim; ++d)
          centres[g * dim + d] = static_cast<float>(clusters.sum[g * dim + d] / clusters.count[g]);
      }
      // An emptied cluster takes over half of the most distorted one.
      const std::vector<std::size_t> order = ByDistortion(clusters);
      std::size_t donor = 0;
      for (std::size_t g = 0; g < k; ++g) {
        if (clusters.count[g] > 0 || donor >= order.size() || clusters.count[order[donor]] < 2) continue;
        Split(centres, clusters, order[donor++], g, dim, options.splitOffset);
      }
    }
    Assign(data, dim, centres, options.jobs, nearest, distance);
    clusters = Accumulate(data, dim, k, nearest, distance);
  };
  lloyd();
  while (k < options.size) {
    const std::size_t splits = std::min(k, options.size - k);
    const std::vector<std::size_t> order = ByDistortion(clusters);
    centres.resize((k + splits) * dim);
    for (std::size_t i = 0; i < splits; ++i)
      Split(centres, clusters, order[i], k + i, dim, options.splitOffset);
    k += splits;
    lloyd();
  }
  CodeBook book;
  book.dim = dim;
  book.centres = centres;
  book.variances.assign(k * dim, 1.0f);
  for (std::size_t g = 0; g < k; ++g) {
    for (int d = 0; d < dim; ++d) {
      const float deviation = ClusterDeviation(clusters, g, d, dim);
      book.variances[g * dim + d] =
          clusters.count[g] > 1 ? std::max(deviation * deviation, options.varianceFloor) : 1.0f;
    }
  }
  return book;
}

std::size_t NearestCentre(const CodeBook& book, const float* x) {
  std::size_t best = 0;
  float best_distance = SquaredDistance(x, book.Centre(0), book.dim);
  for (std::size_t g = 1; g < book.size(); ++g) {
    const float d = SquaredDistance(x, book.Centre(g), book.dim);
    if (d < best_distance) {
      best_distance = d;
      best = g;
    }
  }
  return best;
}

float GaussianScore(const float* centre, const float* x, int dim, float scale) {
  float dot = 0.0f, norm_x = 0.0f, norm_m = 0.0f;
  for (int d = 0; d < dim; ++d) {
    dot += centre[d] * x[d];
    norm_x += x[d] * x[d];
    norm_m += centre[d] * centre[d];
  }
  return (2.0f * dot - norm_x - norm_m) * scale;
}

}  // namespace train_acoustic_model
