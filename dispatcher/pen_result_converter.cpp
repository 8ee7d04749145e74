#include "dispatcher/pen_result_converter.h"

#include "common/recognition_types.h"
#include "dispatcher/character_class.h"

namespace wrendle {
namespace {

constexpr std::size_t kWordBufferSize = 256;

// Two bytes as they lie in a string, first byte low.
constexpr std::uint16_t Bytes(std::uint8_t first, std::uint8_t second) {
  return static_cast<std::uint16_t>(first | second << 8);
}

}  // namespace

void PenResultConverter::Convert(const abi::VokResult& result, EngineCandidates& out) {
  out.fill(0);
  std::size_t taken = 0;
  for (std::uint32_t i = 0; i < result.count && taken < kMaxCandidates; ++i) {
    const std::uint16_t code = ConvertCandidate(result, i);
    if (code != 0) out[taken++] = code;
  }
}

std::uint16_t PenResultConverter::ConvertCandidate(const abi::VokResult& result, std::uint32_t i) {
  const bool word_ids = (result.kind & (abi::kResultWordIdAlternatives | abi::kResultWordIdHypotheses)) != 0;
  if (word_ids) {
    const auto* lengths = static_cast<const std::uint16_t*>(result.entries);
    if (lengths == nullptr || result.word_ids == nullptr) return 0;
    if (lengths[i] == 0 || result.word_ids[i] == nullptr) return 0;
    return ConvertWord(result.word_ids[i][0]);
  }
  const auto* texts = static_cast<char* const*>(result.entries);
  if (texts == nullptr || (result.kind & abi::kResultPenGestureText) != 0) return 0;
  const char* text = texts[i];
  if (text == nullptr || text[0] == '\0') return 0;
  return Bytes(static_cast<std::uint8_t>(text[0]), static_cast<std::uint8_t>(text[1]));
}

std::uint16_t PenResultConverter::ConvertWord(std::uint16_t word_id) {
  char text[kWordBufferSize] = {};
  word_to_string_(word_id, text);
  text[kWordBufferSize - 1] = '\0';
  const auto first = static_cast<std::uint8_t>(text[0]);
  if (first == 0) return 0;
  if (first < 0x80) return static_cast<std::uint16_t>(0x2000 + first);
  const std::uint16_t code = Bytes(first, static_cast<std::uint8_t>(text[1]));
  if ((CharacterClass(code, language_) & state_.range_flags) == 0) return 0;
  return language_ == kLanguageSimplifiedChinese ? ApplyGbSymbolPairs(code) : code;
}

// Pairs of GB symbols that the engine gives for one written symbol: after BB F9
// the next other candidate becomes B3 9E; B0 F7 and B8 F5 become E6 67. The
// state lives across candidates and calls.
std::uint16_t PenResultConverter::ApplyGbSymbolPairs(std::uint16_t code) {
  constexpr std::uint16_t kOpening = Bytes(0xBB, 0xF9);
  std::uint16_t result = code;
  if (code == kOpening) {
    state_.gb_pair_state = 1;
  } else if (state_.gb_pair_state == 1) {
    result = Bytes(0xB3, 0x9E);
    state_.gb_pair_state = 0;
  }
  if (code == Bytes(0xB0, 0xF7) || code == Bytes(0xB8, 0xF5)) state_.gb_pair_state = 2;
  if (state_.gb_pair_state == 2) {
    result = Bytes(0xE6, 0x67);
    state_.gb_pair_state = 0;
  }
  return result;
}

}  // namespace wrendle
