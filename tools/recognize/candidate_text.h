// Readable text of candidate codes for the terminal.
#pragma once

#include <cstdint>
#include <string>

namespace wrendle {

// The code's character in UTF-8 when the code page of `language` can be
// converted on this system, else its bytes in hex ("B0A1").
std::string CandidateText(std::uint16_t code, int language);

}  // namespace wrendle
