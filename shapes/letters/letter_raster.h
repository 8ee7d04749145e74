// The raster of one letter: the strokes drawn into 200 x 200 pixels at a
// scale that fits the larger side of their box into 128 pixels, thickened by
// one pixel on every side and cut to the ink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/stroke_list.h"

namespace letters {

// Most points a letter may have.
inline constexpr std::size_t kMaxLetterPoints = 512;
inline constexpr int kRasterSide = 200;
inline constexpr int kDrawingSide = 128;
// A trimmed box this small in both directions is a dot, not a letter.
inline constexpr int kSmallestLetterSide = 10;

class LetterRaster {
 public:
  LetterRaster(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool Ink(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)] != 0; }
  void SetInk(int x, int y) { pixels_[static_cast<std::size_t>(y * width_ + x)] = 1; }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// Nullopt for an empty list, more than kMaxLetterPoints points or a trimmed
// box narrower and lower than kSmallestLetterSide.
std::optional<LetterRaster> RasterizeLetter(const wrendle::StrokeListView& strokes);

}  // namespace letters
