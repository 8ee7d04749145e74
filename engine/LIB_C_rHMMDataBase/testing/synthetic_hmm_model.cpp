#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"

#include <string>

namespace hmm_model_writer {

Model Synthetic(const SyntheticShape& shape) {
  std::uint32_t seed = shape.seed;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto code = [&] { return static_cast<std::uint8_t>(next() & 0xFF); };

  Model model;
  model.dims = shape.dims;
  model.centreDecoder = {true, "centre", 0};
  model.varianceDecoder = {true, "variance", 1};
  model.weightDecoder = {true, "weight", 2};
  const int streams = static_cast<int>(shape.dims.size());
  for (int s = 0; s < streams; ++s) {
    model.streamNames.push_back("stream" + std::to_string(s));
    std::vector<float> mean, scale;
    for (int d = 0; d < shape.dims[s]; ++d) {
      mean.push_back(static_cast<float>(static_cast<int>(next() % 200) - 100) / 50.0f);
      scale.push_back(0.5f + static_cast<float>(next() % 100) / 50.0f);
    }
    model.means.push_back(mean);
    model.scales.push_back(scale);
  }
  Decoder centre{"centre", {}}, variance{"variance", {}}, weight{"weight", {}};
  for (int c = 0; c < 256; ++c) {
    centre.values.push_back((c - 127.5f) / 64.0f);
    variance.values.push_back(0.1f + c / 128.0f);
    weight.values.push_back(-0.05f * c);
  }
  model.decoders = {centre, variance, weight};

  std::vector<std::vector<int>> streamCodeBooks(streams);
  for (int s = 0; s < streams; ++s) {
    for (int b = 0; b < shape.codeBooksPerStream; ++b) {
      CodeBook book;
      for (int g = 0; g < shape.gaussiansPerCodeBook; ++g) {
        Pair pair;
        for (int d = 0; d < shape.dims[s]; ++d) {
          pair.centre.push_back(static_cast<std::uint8_t>(96 + next() % 64));
          pair.variance.push_back(code());
        }
        pair.constant = static_cast<float>(next() % 1000) / 100.0f;
        pair.limit = 100.0f;
        book.pairs.push_back(static_cast<std::int32_t>(model.pairs.size()));
        model.pairs.push_back(pair);
      }
      streamCodeBooks[s].push_back(static_cast<int>(model.codeBooks.size()));
      model.codeBooks.push_back(book);
    }
  }
  for (int i = 0; i < shape.numStates; ++i) {
    State state;
    for (int s = 0; s < streams; ++s) {
      Mixture mixture;
      mixture.codeBook = streamCodeBooks[s][next() % streamCodeBooks[s].size()];
      for (int g = 0; g < shape.gaussiansPerCodeBook; ++g)
        mixture.weights.push_back(static_cast<std::uint8_t>(next() % 120));
      state.mixtures.push_back(static_cast<std::int32_t>(model.mixtures.size()));
      state.streamWeights.push_back(1.0f);
      model.mixtures.push_back(mixture);
    }
    model.states.push_back(state);
  }
  TransProb trans{"trans3", 3, {}};
  for (int r = 0; r < 3; ++r)
    for (int c = r; c <= 3; ++c) trans.upper.push_back(c - r <= 1 ? -0.693f : 99.99f);
  model.transProbs.push_back(trans);
  for (int h = 0; h * 3 + 2 < shape.numStates; ++h) {
    Hmm hmm;
    hmm.name = h == 0 ? "SIL" : "hmm" + std::to_string(h);
    hmm.states = {3 * h, 3 * h + 1, 3 * h + 2};
    model.hmms.push_back(hmm);
  }
  return model;
}

}  // namespace hmm_model_writer
