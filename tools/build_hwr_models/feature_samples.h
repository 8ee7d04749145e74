// Analysed samples of the handwriting model generators and the code books
// trained on them: one k-means code book per feature block (the quantiser's
// squared distance) and one over the pen steps.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/hwr_character_features.h"
#include "engine/core/hwr_model.h"

namespace build_hwr_models {

struct Sample {
  int class_index = -1;
  bool cursive = false;
  vok::HwrCharacterFeatures features{};
  std::vector<int32_t> steps;  // (dy, dx) per observation step
  std::vector<int> stroke_starts;
  uint8_t codes[vok::kHwrBlocks]{};
};

// Code books of the 8 trajectory blocks ([8][32][8]) and the 25 image
// blocks ([25][32][16]); every sample's codes are set from them.
void TrainBlockCodeBooks(std::vector<Sample>& samples, std::vector<int32_t>* trajectory_book,
                         std::vector<int32_t>* image_book, unsigned jobs);

// 32 two-dimensional codes of the pen steps of the print (or cursive)
// samples.
std::vector<int32_t> StepCodeBook(const std::vector<Sample>& samples, bool cursive, unsigned jobs);

}  // namespace build_hwr_models
