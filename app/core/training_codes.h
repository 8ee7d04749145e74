// What the training dialog compares and says: the code the user means by
// the text in its edit box, and the message about a recognition result.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/core/user_map.h"

namespace wrendle::app {

using LeadBytePredicate = std::function<bool(unsigned char)>;

// The text without spaces and tabs at either end.
std::string_view TrimmedTrainingText(std::string_view text);

// The code that is the text itself: one single-byte character, or one
// double-byte character (its bytes as they lie in the string, lead byte in
// the low byte). Two single-byte characters such as "ab" are a text, not a
// code. Nullopt for a text that needs a user code, or an empty one.
std::optional<int> OwnCode(std::string_view trimmed, const LeadBytePredicate& is_lead_byte);

// Codes below are in the form of candidate arrays: a double-byte character as
// it lies in the string, a user code with its bytes swapped the same way.

// The code to compare a recognition result with: the own code, or the user
// code the map already has for the text; nullopt when the text has none yet
// (only training gives a text a user code).
std::optional<int> ExpectedCodeToCompare(std::string_view text, const CUserMap& map,
                                         const LeadBytePredicate& is_lead_byte);

// The code to train with: the own code, or the text's user code, which the
// map adds when the text is new; nullopt when no code can be had. The
// recognizer is given it with its two bytes swapped.
std::optional<int> ExpectedCodeToTrain(std::string_view text, CUserMap& map,
                                       const LeadBytePredicate& is_lead_byte);

enum class RecognitionVerdict { kNoCandidate, kRight, kWrong };

// A recognition call's result: 1 to 10 candidates in `codes`; 0 or less is
// none, and 11 and above is a gesture, whose array is not filled.
RecognitionVerdict JudgeRecognition(int result, std::span<const std::uint16_t> codes,
                                    std::optional<int> expected);

// The result message: `format` (string 80 or 81) with "%c%c" replaced by the
// candidate's two bytes, or by its text when it is a user code.
std::string ResultMessage(const std::string& format, std::uint16_t candidate, const CUserMap& map);

// The text the training dialog opens with: a two-byte text that is a user
// code in candidate form becomes that code's text; any other stays.
std::string OpeningTrainingText(const std::string& text, const CUserMap& map);

}  // namespace wrendle::app
