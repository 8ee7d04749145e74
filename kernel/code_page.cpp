#include "kernel/code_page.h"

namespace kernel {
namespace {

bool InRange(std::uint16_t value, std::uint16_t low, std::uint16_t high) {
  return value >= low && value <= high;
}

}  // namespace

std::array<char, 4> DictionaryTag(CodePage code_page) {
  return code_page == CodePage::kBig5 ? std::array<char, 4>{'c', 'h', 't', '\0'}
                                      : std::array<char, 4>{'c', 'h', 's', '\0'};
}

int GetCharCategory(CodePage code_page, std::uint16_t code) {
  if (InRange(code, '0', '9')) return 5;
  if (InRange(code, 'A', 'Z')) return 3;
  if (InRange(code, 'a', 'z')) return 4;
  const std::uint16_t swapped = SwapBytes(code);
  if (InRange(swapped, 0x0100, 0x3FFF)) return 100;
  if (code_page == CodePage::kBig5) {
    if (InRange(swapped, 0xC6E7, 0xC7F2)) return 7;
    if (InRange(swapped, 0xFA40, 0xFCFE)) return 8;
    if (InRange(swapped, 0xA140, 0xC5FE)) return 1;
    if (InRange(swapped, 0xC940, 0xF9FE)) return 2;
  } else {
    if (InRange(swapped, 0xA1A1, 0xA9FE)) return 1;
    if (InRange(swapped, 0xB0A1, 0xF7FE)) return 2;
  }
  return 0;
}

bool FilterCode(CodePage code_page, int flags, std::uint16_t code) {
  if ((flags & kRangeDigits) != 0 && InRange(code, '0', '9')) return true;
  if ((flags & kRangeLetters) != 0 && InRange(code, 65, 122)) return true;
  const std::uint16_t swapped = SwapBytes(code);
  if ((flags & kRangeUserCodes) != 0 && InRange(swapped, 0x0100, 0x3FFF)) return true;
  if (code_page == CodePage::kBig5) {
    if ((flags & kRangeBig5Symbols) != 0 && InRange(swapped, 0xC6E7, 0xC7F2)) return true;
    if ((flags & kRangeBig5Extension) != 0 && InRange(swapped, 0xFA40, 0xFCFE)) return true;
    if ((flags & kRangeChinese) != 0 &&
        (InRange(swapped, 0xA140, 0xC67E) || InRange(swapped, 0xC940, 0xF9FE))) {
      return true;
    }
  } else if ((flags & kRangeChinese) != 0 &&
             (InRange(swapped, 0xA1A1, 0xA9FE) || InRange(swapped, 0xB0A1, 0xF7FE))) {
    return true;
  }
  return false;
}

}  // namespace kernel
