#include "app/core/frame_text.h"

#include <algorithm>

namespace wrendle::app {

std::array<CharButtonText, kCharButtonCount> CharButtonTexts(std::string_view characters) {
  std::array<CharButtonText, kCharButtonCount> buttons;
  for (std::size_t k = 0; k < buttons.size(); ++k) {
    if (characters.size() < 2 * k + 1) continue;
    buttons[k] = {std::string(characters.substr(2 * k, 2)), true};
  }
  return buttons;
}

std::vector<std::uint16_t> InsertTextCodes(std::string_view text, int length) {
  std::vector<std::uint16_t> codes;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(std::max(length, 0)));
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  if (length > 2) {
    for (std::size_t i = 0; i < n; ++i) {
      if (byte(i) < 0x80) {
        if (byte(i) != 0) codes.push_back(byte(i));
        continue;
      }
      if (i + 1 >= n) break;  // a lead byte without its trail byte
      codes.push_back(static_cast<std::uint16_t>(byte(i) | byte(i + 1) << 8));
      ++i;
    }
    return codes;
  }
  if (n == 0 || byte(0) == 0) return codes;
  if (byte(0) >= 0x80 && n < 2) return codes;
  codes.push_back(static_cast<std::uint16_t>(byte(0) | (n > 1 ? byte(1) << 8 : 0)));
  return codes;
}

std::string CellCaption(std::string_view title, int capacity, std::string_view first_cell_text) {
  std::string caption(title);
  if (capacity > 0) {
    caption += "-[ ";
    caption += first_cell_text;
    caption += " ]";
  }
  return caption;
}

PhrasePage PagePhrases(int offset, int entries, int page_size) {
  if (page_size <= 0 || entries <= 0) return {};
  const int last = std::max(0, entries - page_size);
  const int clamped = std::clamp(offset, 0, last);
  return {clamped, std::min(page_size, entries - clamped)};
}

}  // namespace wrendle::app
