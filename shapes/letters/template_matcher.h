// Matching of a letter's features against the templates of one group.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "shapes/letters/letter_features.h"
#include "shapes/letters/template_table.h"

namespace letters {

inline constexpr int kBestCount = 10;

struct TemplateMatch {
  std::int32_t index = 0;  // into the group's templates
  std::int32_t distance = 0;
  std::uint8_t code = 0;
};

// The group's feature bytes: min(255, trunc(value / scale x 1000)); values
// that are not numbers or are negative give 0.
std::vector<std::uint8_t> GroupBytes(const LetterFeatures& features, const TemplateGroup& group);

// The ten (or fewer) templates nearest by squared distance, nearest first;
// of equal distances the earlier template comes first.
std::vector<TemplateMatch> BestMatches(std::span<const std::uint8_t> bytes, const TemplateGroup& group);

}  // namespace letters
