#include "tools/build_hwr_models/feature_samples.h"

#include <algorithm>

#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_hwr_models/kmeans.h"

namespace build_hwr_models {
namespace {

constexpr std::size_t kCodeBookSamples = 30000;
constexpr std::size_t kStepCodeBookSteps = 300000;

// Every `stride`-th of the samples' feature vectors of one block.
std::vector<double> BlockVectors(const std::vector<Sample>& samples, int block) {
  std::vector<double> vectors;
  const std::size_t stride = std::max<std::size_t>(1, samples.size() / kCodeBookSamples);
  for (std::size_t i = 0; i < samples.size(); i += stride) {
    const auto& f = samples[i].features;
    if (block < vok::kHwrFtLocations) {
      for (int d = 0; d < vok::kHwrFtDimension; ++d) vectors.push_back(f.trajectory[block][d]);
    } else {
      for (int d = 0; d < vok::kHwrImageDimension; ++d)
        vectors.push_back(f.image[block - vok::kHwrFtLocations][d]);
    }
  }
  return vectors;
}

}  // namespace

void TrainBlockCodeBooks(std::vector<Sample>& samples, std::vector<int32_t>* trajectory_book,
                         std::vector<int32_t>* image_book, unsigned jobs) {
  trajectory_book->clear();
  image_book->clear();
  for (int b = 0; b < vok::kHwrBlocks; ++b) {
    const std::size_t dimension = b < vok::kHwrFtLocations ? vok::kHwrFtDimension : vok::kHwrImageDimension;
    const auto book = KMeans(BlockVectors(samples, b), dimension, vok::kHwrCodes, 15, jobs);
    auto& target = b < vok::kHwrFtLocations ? *trajectory_book : *image_book;
    target.insert(target.end(), book.begin(), book.end());
  }
  build_dictionaries::ParallelFor(samples.size(), jobs, [&](std::size_t i) {
    vok::QuantiseCharacterFeatures(samples[i].features, trajectory_book->data(), image_book->data(),
                                   samples[i].codes);
  });
}

std::vector<int32_t> StepCodeBook(const std::vector<Sample>& samples, bool cursive, unsigned jobs) {
  std::size_t total = 0;
  for (const auto& s : samples) total += s.cursive == cursive ? s.steps.size() / 2 : 0;
  const std::size_t stride = std::max<std::size_t>(1, total / kStepCodeBookSteps);
  std::vector<double> vectors;
  std::size_t seen = 0;
  for (const auto& s : samples) {
    if (s.cursive != cursive) continue;
    for (std::size_t t = 0; t < s.steps.size() / 2; ++t, ++seen) {
      if (seen % stride) continue;
      vectors.push_back(s.steps[2 * t]);
      vectors.push_back(s.steps[2 * t + 1]);
    }
  }
  return KMeans(vectors, 2, vok::kHwrCodes, 15, jobs);
}

}  // namespace build_hwr_models
