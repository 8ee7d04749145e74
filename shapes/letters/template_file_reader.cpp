#include "shapes/letters/template_file_reader.h"

#include <cstddef>
#include <optional>

namespace letters {
namespace {

class LittleEndianInput {
 public:
  explicit LittleEndianInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::int16_t> Int16() {
    if (bytes_.size() - position_ < 2) return std::nullopt;
    const auto value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return static_cast<std::int16_t>(value);
  }
  std::optional<std::uint8_t> Byte() {
    if (position_ == bytes_.size()) return std::nullopt;
    return bytes_[position_++];
  }
  bool Bytes(std::span<std::uint8_t> out) {
    if (bytes_.size() - position_ < out.size()) return false;
    for (std::uint8_t& b : out) b = bytes_[position_++];
    return true;
  }
  std::size_t remaining() const { return bytes_.size() - position_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

TemplateFileResult Failure(TemplateFileError error, int total = 0) {
  TemplateFileResult result;
  result.error = error;
  result.total_count = total;
  return result;
}

bool ReadScales(LittleEndianInput& in, TemplateGroup& group) {
  group.scales.resize(static_cast<std::size_t>(group.dimension));
  for (std::int16_t& scale : group.scales) {
    const std::optional<std::int16_t> value = in.Int16();
    // A scale divides every feature value: zero or a negative scale would
    // divide by zero or turn the bytes upside down.
    if (!value || *value <= 0) return false;
    scale = *value;
  }
  return true;
}

bool ReadTemplates(LittleEndianInput& in, int count, TemplateGroup& group) {
  group.templates.resize(static_cast<std::size_t>(count));
  for (LetterTemplate& record : group.templates) {
    const std::optional<std::uint8_t> code = in.Byte();
    if (!code) return false;
    record.code = *code;
    if (!in.Bytes(
            std::span<std::uint8_t>(record.features.data(), static_cast<std::size_t>(group.dimension)))) {
      return false;
    }
    const std::optional<std::uint8_t> kind = in.Byte();
    const std::optional<std::int16_t> a = in.Int16();
    const std::optional<std::int16_t> b = in.Int16();
    if (!kind || !a || !b) return false;
    record.kind = *kind;
    record.threshold_a = *a;
    record.threshold_b = *b;
  }
  return true;
}

}  // namespace

TemplateFileResult ReadTemplateFile(std::span<const std::uint8_t> bytes) {
  LittleEndianInput in(bytes);
  std::int16_t header[6];
  for (std::int16_t& field : header) {
    const std::optional<std::int16_t> value = in.Int16();
    if (!value) return Failure(TemplateFileError::kDamaged);
    field = *value;
  }
  const int counts[kGroupCount] = {header[0], header[1], header[2]};
  const int dimensions[kGroupCount] = {header[3], header[4], header[5]};
  // D1 = 200 with D2 = -46 also sums to 154: each dimension must be in range.
  if (dimensions[0] != kFeatureCount || dimensions[1] < 0 || dimensions[2] < 0 ||
      dimensions[1] + dimensions[2] != kFeatureCount) {
    return Failure(TemplateFileError::kDimensions);
  }
  const int total = counts[0] + counts[1] + counts[2];
  if (counts[0] < 0 || counts[1] < 0 || counts[2] < 0 || total > kMaxTemplates) {
    return Failure(TemplateFileError::kCount, total);
  }

  auto table = std::make_unique<TemplateTable>();
  const int first_features[kGroupCount] = {0, 0, dimensions[1]};
  for (int g = 0; g < kGroupCount; ++g) {
    table->groups[g].first_feature = first_features[g];
    table->groups[g].dimension = dimensions[g];
  }
  // The size the counts promise is checked before anything is allocated.
  std::size_t needed = 2u * (kFeatureCount * 2);
  for (int g = 0; g < kGroupCount; ++g) {
    needed += static_cast<std::size_t>(counts[g]) * (static_cast<std::size_t>(dimensions[g]) + 6);
  }
  if (in.remaining() < needed) return Failure(TemplateFileError::kDamaged);

  for (TemplateGroup& group : table->groups) {
    if (!ReadScales(in, group)) return Failure(TemplateFileError::kDamaged);
  }
  for (int g = 0; g < kGroupCount; ++g) {
    if (!ReadTemplates(in, counts[g], table->groups[g])) return Failure(TemplateFileError::kDamaged);
  }
  TemplateFileResult result;
  result.table = std::move(table);
  result.total_count = total;
  return result;
}

}  // namespace letters
