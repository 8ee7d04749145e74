// Texts of the main frame: its twelve character buttons, the text that a
// button or a pane enters, and the caption after a cell changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/frame_layout.h"

namespace wrendle::app {

// Character button k shows the two bytes at 2k of the string (string 59 in
// the recognizer language) and is enabled, or is empty and disabled when
// the string is shorter than 2k + 1 bytes.
struct CharButtonText {
  std::string text;
  bool enabled = false;
  bool operator==(const CharButtonText&) const = default;
};
std::array<CharButtonText, kCharButtonCount> CharButtonTexts(std::string_view characters);

// The codes that `length` bytes of `text` enter: longer than 2, character by
// character (a byte below 0x80 alone, else with the next byte); else the
// first two bytes as one code, first byte low. The walk stops at the text's
// end and drops a lead byte without its trail byte; an empty text and code
// 0 enter nothing.
std::vector<std::uint16_t> InsertTextCodes(std::string_view text, int length);

// The caption after event 101: the title, and with a strip of capacity above
// 0, "-[ " + the first cell's text + " ]".
std::string CellCaption(std::string_view title, int capacity, std::string_view first_cell_text);

// The page of associated phrases from `offset`: P = page size, N = entries;
// the offset clamped to 0 .. N - P (0 when N < P) and the entries shown.
struct PhrasePage {
  int offset = 0;
  int count = 0;
  bool operator==(const PhrasePage&) const = default;
};
PhrasePage PagePhrases(int offset, int entries, int page_size);

}  // namespace wrendle::app
