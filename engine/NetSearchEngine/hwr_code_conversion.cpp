#include "engine/NetSearchEngine/hwr_code_conversion.h"

#include <algorithm>

#include "platform/file_access.h"

namespace vok {
namespace {

constexpr std::size_t kCodes = 65536;
constexpr uint8_t kNoPosition = 255;

uint16_t CodeAt(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

}  // namespace

HwrCodeConversion::HwrCodeConversion()
    : to_big5_(kCodes, 0), to_gb_(kCodes, 0), to_gb_position_(kCodes, kNoPosition) {}

int HwrCodeConversion::Parse(const uint8_t* data, std::size_t size) {
  int lines = 0;
  std::size_t start = 0;
  while (start < size) {
    const uint8_t* line = data + start;
    const auto* newline = static_cast<const uint8_t*>(std::find(line, data + size, uint8_t{'\n'}));
    std::size_t length = static_cast<std::size_t>(newline - line);
    start += length + 1;
    if (length > 0 && line[length - 1] == '\r') --length;
    if (length <= 2 || length % 2 != 0) continue;
    const uint16_t gb = CodeAt(line);
    if (gb == 0) continue;
    ++lines;
    for (std::size_t i = 2; i + 1 < length; i += 2) {
      const uint16_t big5 = CodeAt(line + i);
      if (big5 == 0) continue;
      if (to_big5_[gb] == 0) to_big5_[gb] = big5;
      const auto position = static_cast<uint8_t>(std::min<std::size_t>(i / 2 - 1, kNoPosition - 1));
      if (position < to_gb_position_[big5]) {
        to_gb_[big5] = gb;
        to_gb_position_[big5] = position;
      }
    }
  }
  return lines;
}

int HwrCodeConversion::Load(const char* path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return -1;
  return Parse(bytes->data(), bytes->size());
}

int HwrCodeConversion::GbToBig5(uint16_t gb) const { return to_big5_[gb] ? to_big5_[gb] : -1; }

int HwrCodeConversion::Big5ToGb(uint16_t big5) const { return to_gb_[big5] ? to_gb_[big5] : -1; }

}  // namespace vok
