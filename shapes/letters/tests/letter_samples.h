// Hand-drawn letters for the tests and tables made from them with the
// template writer.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "shapes/letters/letter_features.h"
#include "shapes/letters/letter_raster.h"
#include "shapes/letters/template_file_writer.h"
#include "tests/support/stroke_drawing.h"

namespace letters_testing {

using testing_support::ListOf;
using testing_support::Polyline;
using wrendle::StrokeEntry;

// Corners in a 100 x 100 box, y downwards, moved and scaled as given.
inline std::vector<StrokeEntry> DrawLetter(char letter, int x0 = 0, int y0 = 0, int size = 100) {
  const auto at = [&](int x, int y) { return StrokeEntry{x0 + x * size / 100, y0 + y * size / 100}; };
  switch (letter) {
    case 'L':
      return ListOf({Polyline({at(10, 0), at(10, 100), at(70, 100)})});
    case 'O':
      return ListOf({Polyline({at(30, 0), at(70, 0), at(100, 30), at(100, 70), at(70, 100), at(30, 100),
                               at(0, 70), at(0, 30), at(30, 0)})});
    case 'T':
      return ListOf({Polyline({at(0, 0), at(100, 0)}), Polyline({at(50, 0), at(50, 100)})});
    case 'U':
      return ListOf({Polyline({at(0, 0), at(0, 100), at(80, 100), at(80, 0)})});
    case 'C':
      return ListOf({Polyline({at(90, 0), at(0, 0), at(0, 100), at(90, 100)})});
    default:
      return {};
  }
}

inline letters::LetterFeatures FeaturesOf(const std::vector<StrokeEntry>& list) {
  const auto view = wrendle::StrokeListView::Parse(list);
  const auto raster = letters::RasterizeLetter(*view);
  return *letters::ComputeLetterFeatures(*raster);
}

// Every feature value in percent (up to 100) maps to bytes up to 250.
inline constexpr std::int16_t kTestScale = 400;

inline std::vector<std::uint8_t> BytesOf(const letters::LetterFeatures& features, int first, int count) {
  std::vector<std::uint8_t> bytes;
  for (int j = first; j < first + count; ++j) {
    const double scaled = features[static_cast<std::size_t>(j)] / kTestScale * 1000;
    bytes.push_back(static_cast<std::uint8_t>(scaled > 255 ? 255 : scaled));
  }
  return bytes;
}

// One template per letter and group, made from the clean drawing; the
// letters of group 2 may be relabelled to make the groups disagree.
inline letters::TemplateFileContent TableOf(const std::vector<char>& letters, std::int16_t threshold,
                                            const std::map<char, char>& group2_labels = {}) {
  letters::TemplateFileContent content;
  content.group0_scales.assign(154, kTestScale);
  content.group12_scales.assign(154, kTestScale);
  for (const char letter : letters) {
    const letters::LetterFeatures features = FeaturesOf(DrawLetter(letter));
    const auto label2 = group2_labels.count(letter) ? group2_labels.at(letter) : letter;
    const auto code = static_cast<std::uint8_t>(letter);
    content.groups[0].push_back({code, BytesOf(features, 0, 154), 1, threshold, threshold});
    content.groups[1].push_back({code, BytesOf(features, 0, 90), 1, threshold, threshold});
    content.groups[2].push_back(
        {static_cast<std::uint8_t>(label2), BytesOf(features, 90, 64), 1, threshold, threshold});
  }
  return content;
}

}  // namespace letters_testing
