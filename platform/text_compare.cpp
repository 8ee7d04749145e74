#include "platform/text_compare.h"

namespace platform {

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (!trail) {
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    }
    if (x != y) return false;
    trail = !trail && x >= 0x81 && x <= 0xFE;
  }
  return true;
}

}  // namespace platform
