#include "shapes/letters/template_matcher.h"

#include <algorithm>
#include <cmath>

namespace letters {

std::vector<std::uint8_t> GroupBytes(const LetterFeatures& features, const TemplateGroup& group) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(group.dimension));
  for (int j = 0; j < group.dimension; ++j) {
    const double value = features[static_cast<std::size_t>(group.first_feature + j)];
    const double scaled = value / group.scales[static_cast<std::size_t>(j)] * 1000.0;
    // The comparison is false for NaN, which therefore stays 0.
    if (!(scaled > 0)) continue;
    bytes[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(std::min(255.0, std::trunc(scaled)));
  }
  return bytes;
}

std::vector<TemplateMatch> BestMatches(std::span<const std::uint8_t> bytes, const TemplateGroup& group) {
  std::vector<TemplateMatch> best;
  best.reserve(kBestCount + 1);
  for (std::size_t t = 0; t < group.templates.size(); ++t) {
    const LetterTemplate& candidate = group.templates[t];
    std::int32_t distance = 0;
    for (std::size_t j = 0; j < bytes.size(); ++j) {
      const int difference = static_cast<int>(bytes[j]) - static_cast<int>(candidate.features[j]);
      distance += difference * difference;
    }
    if (best.size() == kBestCount && distance >= best.back().distance) continue;
    const auto position =
        std::upper_bound(best.begin(), best.end(), distance,
                         [](std::int32_t d, const TemplateMatch& m) { return d < m.distance; });
    best.insert(position, {static_cast<std::int32_t>(t), distance, candidate.code});
    if (best.size() > kBestCount) best.pop_back();
  }
  return best;
}

}  // namespace letters
