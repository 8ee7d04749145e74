// Reader of the template file "HELVANE.TPL" (little-endian):
//   header     int16 T0, T1, T2 (template counts of groups 0..2),
//              int16 D0, D1, D2 (their dimensions; D0 = 154, D1 + D2 = 154)
//   scales     D0 int16 scales of group 0, then D1 + D2 of groups 1 and 2
//   templates  T0 + T1 + T2 records, group by group:
//              code byte, D feature bytes, kind byte, int16 A, int16 B
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "shapes/letters/template_table.h"

namespace letters {

inline constexpr char kTemplateFileName[] = "HELVANE.TPL";

enum class TemplateFileError {
  kNone,
  kDimensions,  // a dimension is negative, D0 is not 154 or D1 + D2 is not 154
  kCount,       // a negative count or more than kMaxTemplates in all
  kDamaged,     // the file ends early or a scale is not positive
};

struct TemplateFileResult {
  std::unique_ptr<TemplateTable> table;  // null on error
  TemplateFileError error = TemplateFileError::kNone;
  int total_count = 0;  // T0 + T1 + T2 as read, for the count message
};

TemplateFileResult ReadTemplateFile(std::span<const std::uint8_t> bytes);

}  // namespace letters
