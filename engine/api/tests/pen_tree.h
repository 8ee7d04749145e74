// The pen side of a small install tree, from the project's writers: a
// dialect folder whose lexicon holds every GB2312 character (so that every
// candidate of a character model is a word), a character model "HWRSC" of
// seeded random tables, the punctuation templates "HWRPUN" and the
// anti-gesture templates "HWRANTIG"; and a user's gesture templates
// "Gestures". The strokes the templates were made from come with them.
#pragma once

#include <string>
#include <vector>

#include "engine/api/tests/engine_tree.h"
#include "engine/core/hwr_ink_features.h"

namespace vok::api::testing {

using PenStrokes = std::vector<std::vector<vok::InkPoint>>;

// The 6,763 characters of GB2312, two bytes each.
const std::vector<std::string>& GbCharacters();

// "Data/<dialect>" as AddDialect, the lexicon with GbCharacters, and the
// three pen models.
void AddPenDialect(EngineTree& tree, const std::string& dialect);
// "Users/<name>/Gestures" with the template of GestureStrokes.
void AddGestures(EngineTree& tree, const std::string& user);

// The gesture template "Return" (one stroke shaped as a Z).
inline constexpr char kGestureName[] = "Return";
const PenStrokes& GestureStrokes();
// The punctuation template of the full-width comma (GB2312 A3 AC).
inline constexpr char kCommaText[] = "\xA3\xAC";
const PenStrokes& CommaStrokes();
// Four strokes that no template matches, and another such input.
const PenStrokes& CharacterStrokes();
const PenStrokes& OtherCharacterStrokes();

// The strokes as the pen workers take them: y in the low and x in the high
// 16 bits of each point.
std::vector<std::vector<std::uint32_t>> ToWorkerPoints(const PenStrokes& strokes);

}  // namespace vok::api::testing
