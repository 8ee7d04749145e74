#include "shapes/letters/template_file_writer.h"

namespace letters {
namespace {

void PutInt16(std::vector<std::uint8_t>& out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

}  // namespace

std::vector<std::uint8_t> WriteTemplateFile(const TemplateFileContent& content) {
  std::vector<std::uint8_t> out;
  for (const auto& group : content.groups) PutInt16(out, static_cast<std::int16_t>(group.size()));
  for (const std::int16_t dimension : content.dimensions) PutInt16(out, dimension);
  for (const std::int16_t scale : content.group0_scales) PutInt16(out, scale);
  for (const std::int16_t scale : content.group12_scales) PutInt16(out, scale);
  for (const auto& group : content.groups) {
    for (const TemplateRecord& record : group) {
      out.push_back(record.code);
      out.insert(out.end(), record.features.begin(), record.features.end());
      out.push_back(record.kind);
      PutInt16(out, record.threshold_a);
      PutInt16(out, record.threshold_b);
    }
  }
  return out;
}

}  // namespace letters
