// Pinyin syllables as reading codes of the homophone tables (see
// app/core/reading_code.h): the spelling rules undone, so that the initial,
// medial, final and tone fields hold what the bopomofo would.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace build_phone_tables {

// A syllable in the engine's numbered form ("ZHONG1", "LV4", "JUAN2",
// "DE5"; V for u-umlaut, 5 the neutral tone). Nullopt for syllables that
// have no fields (M, N, NG, HM) and for anything that is not a syllable.
std::optional<std::uint16_t> ReadingOfSyllable(std::string_view numbered);

}  // namespace build_phone_tables
