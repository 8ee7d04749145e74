// The keys of the on-screen keyboard and symbols panes: their labels and
// the symbol pages of the symbol groups.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace wrendle::app {

// Keyboard: 47 character keys, labelled from string 50 (unshifted) or 51
// (shifted), one byte per key.
inline constexpr int kKeyboardKeys = 47;

// Keys 14-43 except 24, 25, 35 and 36: the letters.
constexpr bool IsLetterKey(int key) {
  return key >= 14 && key <= 43 && key != 24 && key != 25 && key != 35 && key != 36;
}

// Each key's label: from `shifted` when Shift is down, else `unshifted`; in
// upper case when exactly one of Shift and Caps is down, else lower case. A
// key past the end of a short string has an empty label.
std::array<std::string, kKeyboardKeys> KeyboardLabels(const std::string& unshifted,
                                                      const std::string& shifted, bool shift, bool caps);

// Symbols: group g (the setting SymGrp) is category g / 10, page g mod 10;
// six categories of at most ten pages; a page is 12 bytes, six double-byte
// symbols, of the category's string 59 + c.
inline constexpr int kSymbolCategories = 6;
inline constexpr int kSymbolPagesPerCategory = 10;
inline constexpr int kSymbolGroups = kSymbolCategories * kSymbolPagesPerCategory;
inline constexpr int kSymbolKeys = 6;
inline constexpr int kSymbolPageBytes = 12;
inline constexpr int kFirstSymbolString = 59;
inline constexpr int kFirstSymbolCategoryName = 53;
inline constexpr int kFirstSymbolGroupCommand = 10008;

// A stored group outside 0-59 is taken as 0.
int ClampSymbolGroup(int group);

struct SymbolKey {
  std::string text;  // up to two bytes; empty for a disabled key
  bool enabled = false;
};

// The six keys of a page of `symbols`.
std::array<SymbolKey, kSymbolKeys> SymbolKeys(const std::string& symbols, int page);

// Pages of a category: (length + 11) / 12, at most ten.
int SymbolPageCount(const std::string& symbols);

// A menu item's text: the page's 12 bytes, '&' doubled so it shows.
std::string SymbolPageMenuText(const std::string& symbols, int page);

constexpr int SymbolGroupCommand(int category, int page) {
  return kFirstSymbolGroupCommand + kSymbolPagesPerCategory * category + page;
}
// The group a menu command chooses; nullopt outside 10008-10067.
std::optional<int> SymbolGroupOfCommand(int command);

}  // namespace wrendle::app
