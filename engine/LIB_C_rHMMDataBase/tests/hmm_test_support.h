// Loading written model files into databases, and the reference score of a
// state computed in double precision from the model description.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/LIB_C_rHMMDataBase/tests/unique_path.h"
#include "engine/core/resources.h"

namespace hmm_test_support {

namespace w = hmm_model_writer;

inline std::string TempPath(const char* stem) { return unique_path::Make(stem) + ".bin"; }

struct Settings {
  std::string streamWeights = "1.0 1.0";
  std::string logDensityWeight = "1.0";
  std::string bailOut = "1e30";
  std::string lda;

  void Fill(vok::Resources& resources) const {
    if (!streamWeights.empty()) resources.Put("Vastel", "StreamWeights", streamWeights.c_str());
    if (!logDensityWeight.empty()) resources.Put("Vastel", "LogDensityWeight", logDensityWeight.c_str());
    if (!bailOut.empty()) resources.Put("Vastel", "HMMBailOut", bailOut.c_str());
    if (!lda.empty()) resources.Put("Vastel", "LDA_MatrixFileName", lda.c_str());
  }
};

// read_file of the bytes; the database's output goes to *output.
inline int Load(C_rHMMDataBase& db, C_rMemory& memory, const w::File& file, const Settings& settings = {},
                int threads = 1, std::string* output = nullptr) {
  const std::string path = TempPath("hmm_model_");
  EXPECT_TRUE(file.Save(path));
  vok::Resources resources;
  settings.Fill(resources);
  db.set_Memory(&memory);
  testing::internal::CaptureStdout();
  const int status = db.read_file(path.c_str(), threads, resources);
  const std::string printed = testing::internal::GetCapturedStdout();
  if (output != nullptr) *output = printed;
  std::remove(path.c_str());
  return status;
}

// A model of two streams (39 and 11) with two code books per stream.
inline w::Model SmallModel(int gaussiansPerCodeBook, int numStates) {
  w::SyntheticShape shape;
  shape.gaussiansPerCodeBook = gaussiansPerCodeBook;
  shape.numStates = numStates;
  return w::Synthetic(shape);
}

// Observation of one frame with the given stream dimensions.
struct Frame {
  std::vector<std::vector<float>> vectors;
  std::vector<int> dims;
  std::vector<const float*> pointers;

  C_rStreamVectors view() {
    pointers.clear();
    for (auto& v : vectors) pointers.push_back(v.data());
    return {static_cast<int>(vectors.size()), dims.data(), pointers.data()};
  }
};

inline Frame RandomFrame(const std::vector<std::int32_t>& dims, std::uint32_t seed) {
  Frame frame;
  for (std::int32_t dim : dims) {
    std::vector<float> v;
    for (int d = 0; d < dim; ++d) {
      seed = seed * 1664525u + 1013904223u;
      v.push_back(static_cast<float>(static_cast<int>(seed >> 20) % 400 - 200) / 100.0f);
    }
    frame.vectors.push_back(v);
    frame.dims.push_back(dim);
  }
  return frame;
}

// sum over streams of weight x log sum over Gaussians of exp(log weight + score).
inline double BruteForceStateScore(const w::Model& model, int state, const Frame& frame,
                                   const std::vector<double>& streamWeights, double densityWeight) {
  double total = 0.0;
  for (std::size_t k = 0; k < model.dims.size(); ++k) {
    const int dim = model.dims[k];
    std::vector<double> x(dim);
    double norm = 0.0;
    for (int d = 0; d < dim; ++d) {
      x[d] = (static_cast<double>(frame.vectors[k][d]) - model.means[k][d]) / model.scales[k][d];
      norm += x[d] * x[d];
    }
    const w::Mixture& mixture = model.mixtures[model.states[state].mixtures[k]];
    const w::CodeBook& book = model.codeBooks[mixture.codeBook];
    double sum = 0.0;
    for (std::size_t g = 0; g < book.pairs.size(); ++g) {
      const w::Pair& pair = model.pairs[book.pairs[g]];
      if (pair.limit >= 1e9f) continue;
      double dot = 0.0;
      for (int d = 0; d < dim; ++d)
        dot += model.decoders[model.centreDecoder.index].values[pair.centre[d]] * x[d];
      const double score = (2.0 * dot - norm - pair.constant) * densityWeight / dim;
      const double logWeight = model.decoders[model.weightDecoder.index].values[mixture.weights[g]];
      sum += std::exp(logWeight + score);
    }
    total += streamWeights[k] * std::log(sum);
  }
  return total;
}

}  // namespace hmm_test_support
