// Random models of a given shape for the database's tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/model_writer/hmm_model_writer.h"

namespace hmm_model_writer {

struct SyntheticShape {
  std::vector<std::int32_t> dims = {39, 11};
  int codeBooksPerStream = 2;
  int gaussiansPerCodeBook = 8;
  int numStates = 12;
  std::uint32_t seed = 1;
};

// A model of random Gaussians with every state of 3-state HMMs drawing, per
// stream, a mixture over one of the stream's code books.
Model Synthetic(const SyntheticShape& shape);

}  // namespace hmm_model_writer
