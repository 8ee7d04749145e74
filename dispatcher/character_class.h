// Character classes of candidate codes, in the bits of the range flags.
#pragma once

#include <cstdint>

namespace wrendle {

// `code` holds a character as it lies in a byte string (first byte low).
// Control codes give 0x100, digits 0x4, Latin letters 0x2; double-byte
// characters are classed by the code page of `language`.
int CharacterClass(std::uint16_t code, int language);

}  // namespace wrendle
