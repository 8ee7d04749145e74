// The 16-bit codes that cells, candidate arrays and WM_SENDRESULT carry:
// a double-byte character as it lies in a byte string (first byte in the low
// byte), a single-byte character, a user code with its bytes swapped the same
// way, or a key code 0x7F00 | virtual key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wrendle::app {

inline constexpr std::uint16_t kKeyCodeBase = 0x7F00;
inline constexpr std::uint16_t kKeyBackspace = 0x7F08;
inline constexpr std::uint16_t kKeyTab = 0x7F09;
inline constexpr std::uint16_t kKeyEnter = 0x7F0D;
inline constexpr std::uint16_t kKeyEscape = 0x7F1B;
inline constexpr std::uint16_t kKeySpace = 0x7F20;
inline constexpr std::uint16_t kKeyDelete = 0x7F2E;

constexpr bool IsKeyCode(std::uint16_t code) { return (code >> 8) == 0x7F; }
constexpr std::uint8_t VirtualKeyOf(std::uint16_t key_code) { return static_cast<std::uint8_t>(key_code & 0xFF); }

constexpr std::uint16_t SwapBytes(std::uint16_t code) {
  return static_cast<std::uint16_t>((code >> 8) | (code << 8));
}

// A user code of the user code map: 0x100 to 0x3FFF, low byte neither 0 nor
// 0x20, high byte not 0x20.
constexpr bool IsUserCode(int code) {
  return code >= 0x100 && code <= 0x3FFF && (code & 0xFF) != 0 && (code & 0xFF) != 0x20 &&
         ((code >> 8) & 0xFF) != 0x20;
}

// The byte string of a character code: its first byte, then its second when
// that is not 0. Key codes have no text.
std::string CodeBytes(std::uint16_t code);

// The key code of a GestureCode: 11 Enter, 12 Space, 13 Delete, 14 Backspace,
// 16-19 arrows left, right, up, down, 20 Page Up, 21 Page Down, 22 Home,
// 23 End, 24 Insert, 25 Tab, 26 Escape; nullopt for 15 and anything else.
std::optional<std::uint16_t> GestureKey(int gesture);

// The full-width form of a printable ASCII code (32 to 126) in the code page
// of `language` (2000 Big5, 4000 GB2312, 1000 Shift_JIS, 3000 Korean); every
// other code, and every code of another language, unchanged.
std::uint16_t ToFullWidth(std::uint16_t code, int language);

}  // namespace wrendle::app
