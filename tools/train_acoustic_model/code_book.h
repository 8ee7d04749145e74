// A stream's code book: diagonal Gaussians found by k-means with splitting,
// scored the way the database scores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace train_acoustic_model {

struct CodeBook {
  int dim = 0;
  std::vector<float> centres;    // size() x dim
  std::vector<float> variances;  // size() x dim, floored
  std::size_t size() const { return dim > 0 ? centres.size() / static_cast<std::size_t>(dim) : 0; }
  const float* Centre(std::size_t g) const { return centres.data() + g * static_cast<std::size_t>(dim); }
};

struct KMeansOptions {
  std::size_t size = 256;
  int iterations = 8;               // Lloyd passes after every split
  float splitOffset = 0.2f;         // in standard deviations of the cluster split
  float varianceFloor = 1e-3f;      // no zero variance reaches the file
  std::size_t maxVectors = 100000;  // evenly spaced sample of the data
  unsigned jobs = 1;
};

// `vectors` holds n x dim values. Starts from the mean and splits the
// clusters of largest distortion until `size` clusters exist, with Lloyd
// passes after each split; an emptied cluster takes half of the cluster of
// largest distortion. Deterministic: no random numbers, the same result for
// any number of jobs.
CodeBook TrainCodeBook(std::span<const float> vectors, int dim, const KMeansOptions& options);

// Index of the nearest centre (squared distance; the first on ties).
std::size_t NearestCentre(const CodeBook& book, const float* x);

// The database's Gaussian score: scale x (2 m.x - |x|^2 - |m|^2), that is
// minus the scaled squared distance, with scale = log density weight / dim.
float GaussianScore(const float* centre, const float* x, int dim, float scale);

}  // namespace train_acoustic_model
