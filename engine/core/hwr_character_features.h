// Whole-character features of the recognizers' first pass: eight trajectory
// vectors (a trace smoothed by 5, resampled to 32 points, normalised to 1000,
// four points each) and 25 image vectors (blocks of a direction histogram),
// and their 33 codes: trajectory codes first.
#pragma once

#include <cstdint>

#include "engine/core/hwr_ink_features.h"
#include "engine/core/hwr_model.h"

namespace vok {

struct HwrCharacterFeatures {
  int16_t trajectory[kHwrFtLocations][kHwrFtDimension];
  int32_t image[kHwrImageBlocks][kHwrImageDimension];
};

void TrajectoryFeatures(const InkPoint* trace, int points, HwrCharacterFeatures* features);
void ImageFeatures(const int32_t* histogram, HwrCharacterFeatures* features);
// Code books: trajectory [8][32][8], image [25][32][16].
void QuantiseCharacterFeatures(const HwrCharacterFeatures& features, const int32_t* trajectory_book,
                               const int32_t* image_book, uint8_t* codes);

// Features of the Chinese recognizers: the image from the whole smoothed
// trace. The Latin recognizer takes the histogram of the raw strokes.
void ChineseCharacterFeatures(const InkPoint* trace, int points, HwrCharacterFeatures* features);
void LatinCharacterFeatures(const InkPoint* trace, int points, const InkPoint* strokes,
                            const int* point_counts, int stroke_count, HwrCharacterFeatures* features);

}  // namespace vok
