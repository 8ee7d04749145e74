#include "dispatcher/gesture_mapping.h"

#include "common/recognition_types.h"

namespace wrendle {
namespace {

// The character for "one" as it lies in a byte string, lead byte low.
constexpr std::uint16_t kBig5One = 0x40A4;    // A4 40
constexpr std::uint16_t kGb2312One = 0xBBD2;  // D2 BB

}  // namespace

int MapGesture(int gesture, int language, std::uint16_t* candidates) {
  switch (gesture) {
    case '1':
    case '8':
    case '9':
    case 'i':
      candidates[0] = static_cast<std::uint16_t>(gesture);
      return 1;
    case 'X':
      if (language == kLanguageTraditionalChinese) {
        candidates[0] = kBig5One;
        return 1;
      }
      if (language == kLanguageSimplifiedChinese) {
        candidates[0] = kGb2312One;
        return 1;
      }
      return 0;
    default:
      return gesture;
  }
}

}  // namespace wrendle
