// Turns the gesture module's shapes into candidates: '1', '8', '9' and 'i'
// into that character, 'X' into the character for the numeral one of the
// language's code page; editing gestures pass unchanged.
#pragma once

#include <cstdint>

namespace wrendle {

// Writes candidates[0] for a shape and returns 1; returns an editing gesture
// unchanged without writing; 0 for 'X' under a language without the character.
int MapGesture(int gesture, int language, std::uint16_t* candidates);

}  // namespace wrendle
