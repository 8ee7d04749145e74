// The text check of the workers that take double-byte text: a null text is
// a bad argument; a text longer than the limit, or with a character that is
// not a lead byte of 0x80 or more followed by a non-zero byte, is bad text.
// The empty text passes.
#pragma once

#include <cstddef>

#include "engine/api/vok_status.h"

namespace vok::api {

inline constexpr std::size_t kNoTextLimit = static_cast<std::size_t>(-1);

VokStatus CheckDoubleByteText(const char* text, std::size_t limit = kNoTextLimit);

}  // namespace vok::api
