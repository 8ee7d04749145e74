#include "app/core/setup_form.h"

#include <algorithm>

namespace wrendle::app {

bool RangeBoxShown(int control, int recognizer_language, int cursive) {
  switch (control) {
    case 1051:
      return cursive != 0 && recognizer_language == kLanguageTraditionalChinese;
    case 1052:
      return cursive != 0 && recognizer_language == kLanguageJapanese;
    case 1087:
      return cursive != 0 && recognizer_language == kLanguageKorean;
    case 1131:
      return cursive != 0;
    default:
      return true;
  }
}

int ShownRangeBits(int recognizer_language, int cursive) {
  int bits = 0;
  for (const RangeBox& box : kRangeBoxes) {
    if (RangeBoxShown(box.control, recognizer_language, cursive)) bits |= box.bit;
  }
  return bits;
}

OptionBoxes OptionBoxesShown(int system_language, int recognizer_language) {
  OptionBoxes shown;
  shown.use_ime = system_language != kNoSystemLanguage;
  shown.unicode = system_language == kNoSystemLanguage;
  shown.append_space =
      recognizer_language == kLanguageTraditionalChinese || recognizer_language == kLanguageSimplifiedChinese;
  return shown;
}

bool OkAllowed(int ticked_bits, int shown_bits) { return (ticked_bits & shown_bits) != 0; }

int RangeAfterOk(int old_range, int ticked_bits, int shown_bits) {
  int all_boxes = 0;
  for (const RangeBox& box : kRangeBoxes) all_boxes |= box.bit;
  const int hidden = all_boxes & ~shown_bits;
  return kRangeMarker | (old_range & hidden) | (ticked_bits & shown_bits);
}

int WidthSelection(int width) { return std::clamp(width, 1, kWidthItems) - 1; }

int ScrollSetting::PositionOf(int value) const {
  return std::clamp(sign * (value - offset), minimum, maximum);
}

int Scroll(const ScrollSetting& bar, int position, ScrollRequest request, int thumb) {
  int next = position;
  switch (request) {
    case ScrollRequest::kLineLeft:
      next = position - kScrollLine;
      break;
    case ScrollRequest::kLineRight:
      next = position + kScrollLine;
      break;
    case ScrollRequest::kPageLeft:
      next = position - kScrollPage;
      break;
    case ScrollRequest::kPageRight:
      next = position + kScrollPage;
      break;
    case ScrollRequest::kThumbPosition:
    case ScrollRequest::kThumbTrack:
      next = thumb;
      break;
    case ScrollRequest::kLeft:
      next = bar.minimum;
      break;
    case ScrollRequest::kRight:
      next = bar.maximum;
      break;
    case ScrollRequest::kEnd:
      break;
  }
  return std::clamp(next, bar.minimum, bar.maximum);
}

}  // namespace wrendle::app
