// The letter templates in memory, as read from "HELVANE.TPL".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace letters {

// Features of group 0; groups 1 and 2 split the same vector in two.
inline constexpr int kFeatureCount = 154;
inline constexpr int kFirstBlockSize = 90;
inline constexpr int kSecondBlockSize = kFeatureCount - kFirstBlockSize;
inline constexpr int kGroupCount = 3;
// Templates of all groups together; the table is 3200 records of 160 bytes.
inline constexpr int kMaxTemplates = 3200;
// Templates of kind 1 are compared with threshold A, the others with B.
inline constexpr std::uint8_t kSeparatedKind = 1;

struct LetterTemplate {
  std::uint8_t code = 0;
  std::uint8_t kind = 0;
  std::int16_t threshold_a = 0;
  std::int16_t threshold_b = 0;
  std::array<std::uint8_t, kFeatureCount> features{};
};

// One group: its templates and the scales of its feature positions. Group 0
// covers features 0..153, group 1 features 0..89, group 2 features 90..153.
struct TemplateGroup {
  int first_feature = 0;
  int dimension = 0;
  std::vector<std::int16_t> scales;  // one per feature of the group, all >= 1
  std::vector<LetterTemplate> templates;
};

struct TemplateTable {
  std::array<TemplateGroup, kGroupCount> groups;
};

}  // namespace letters
