// Writer of the template file "HELVANE.TPL", kept apart from the reader so
// that tests compare two independent views of the format.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace letters {

struct TemplateRecord {
  std::uint8_t code = 0;
  std::vector<std::uint8_t> features;  // exactly the group's dimension
  std::uint8_t kind = 0;
  std::int16_t threshold_a = 0;
  std::int16_t threshold_b = 0;
};

struct TemplateFileContent {
  // Dimensions of groups 0, 1 and 2 as the header states them.
  std::array<std::int16_t, 3> dimensions{154, 90, 64};
  std::vector<std::int16_t> group0_scales;   // dimensions[0] values
  std::vector<std::int16_t> group12_scales;  // dimensions[1] + dimensions[2] values
  std::array<std::vector<TemplateRecord>, 3> groups;
};

// The file's bytes. Counts come from the group sizes; the function writes
// what it is given, so tests can also make files that the reader refuses.
std::vector<std::uint8_t> WriteTemplateFile(const TemplateFileContent& content);

}  // namespace letters
