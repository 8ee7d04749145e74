// Comparison of names in the system's ANSI code page as the profile and user
// files need it: ASCII letters compare without case, and the second byte of a
// double-byte character (lead byte 0x81 to 0xFE) is never folded, since trail
// bytes 0x41-0x5A and 0x61-0x7A are different characters in Big5 and GBK.
#pragma once

#include <string_view>

namespace platform {

bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
