#include "engine/core/hwr_character_features.h"

namespace vok {
namespace {

constexpr int kTrajectoryPoints = 32;

}  // namespace

void TrajectoryFeatures(const InkPoint* trace, int points, HwrCharacterFeatures* features) {
  InkPoint smoothed[kMaxInkPoints];
  SmoothBy5(trace, points, smoothed);
  InkPoint resampled[kTrajectoryPoints];
  const int written = Resample(smoothed, points, resampled, kTrajectoryPoints);
  for (int i = written; i < kTrajectoryPoints; ++i) resampled[i] = resampled[written - 1];
  Normalise(resampled, kTrajectoryPoints, 1000);
  for (int g = 0; g < kHwrFtLocations; ++g) {
    for (int p = 0; p < 4; ++p) {
      features->trajectory[g][2 * p] = resampled[4 * g + p].y;
      features->trajectory[g][2 * p + 1] = resampled[4 * g + p].x;
    }
  }
}

void ImageFeatures(const int32_t* histogram, HwrCharacterFeatures* features) {
  for (int b = 0; b < kHwrImageBlocks; ++b) {
    HistogramBlock(histogram, b / kHwrImageSub, b % kHwrImageSub, features->image[b]);
  }
}

void QuantiseCharacterFeatures(const HwrCharacterFeatures& features, const int32_t* trajectory_book,
                               const int32_t* image_book, uint8_t* codes) {
  for (int g = 0; g < kHwrFtLocations; ++g) {
    QuantiseInt16(features.trajectory[g], 1, kHwrFtDimension,
                  trajectory_book + g * kHwrCodes * kHwrFtDimension, kHwrCodes, codes + g);
  }
  for (int b = 0; b < kHwrImageBlocks; ++b) {
    QuantiseInt32(features.image[b], 1, kHwrImageDimension, image_book + b * kHwrCodes * kHwrImageDimension,
                  kHwrCodes, codes + kHwrFtLocations + b);
  }
}

void ChineseCharacterFeatures(const InkPoint* trace, int points, HwrCharacterFeatures* features) {
  TrajectoryFeatures(trace, points, features);
  InkPoint smoothed[kMaxInkPoints];
  SmoothBy5(trace, points, smoothed);
  int32_t histogram[kHistogramCounters];
  TraceDirectionHistogram(smoothed, points, histogram);
  ImageFeatures(histogram, features);
}

void LatinCharacterFeatures(const InkPoint* trace, int points, const InkPoint* strokes,
                            const int* point_counts, int stroke_count, HwrCharacterFeatures* features) {
  TrajectoryFeatures(trace, points, features);
  int32_t histogram[kHistogramCounters];
  StrokeDirectionHistogram(strokes, point_counts, stroke_count, histogram);
  ImageFeatures(histogram, features);
}

}  // namespace vok
