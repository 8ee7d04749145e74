#include "app/core/training_codes.h"

#include "app/core/char_codes.h"
#include "platform/text_compare.h"

namespace wrendle::app {

std::string_view TrimmedTrainingText(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<int> OwnCode(std::string_view trimmed, const LeadBytePredicate& is_lead_byte) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(trimmed[i]); };
  if (trimmed.size() == 1 && !is_lead_byte(byte(0))) return byte(0);
  if (trimmed.size() == 2 && is_lead_byte(byte(0))) return byte(0) | (byte(1) << 8);
  return std::nullopt;
}

std::optional<int> ExpectedCodeToCompare(std::string_view text, const CUserMap& map,
                                         const LeadBytePredicate& is_lead_byte) {
  const std::string_view trimmed = TrimmedTrainingText(text);
  if (const auto own = OwnCode(trimmed, is_lead_byte)) return own;
  if (trimmed.empty()) return std::nullopt;
  for (const auto& [code, entry] : map.entries()) {
    if (platform::SameTextIgnoringCase(entry, trimmed)) return SwapBytes(static_cast<std::uint16_t>(code));
  }
  return std::nullopt;
}

std::optional<int> ExpectedCodeToTrain(std::string_view text, CUserMap& map,
                                       const LeadBytePredicate& is_lead_byte) {
  const std::string_view trimmed = TrimmedTrainingText(text);
  if (const auto own = OwnCode(trimmed, is_lead_byte)) return own;
  if (trimmed.empty()) return std::nullopt;
  const int code = map.AllocateCode(std::string(trimmed));
  if (code < 0) return std::nullopt;
  return SwapBytes(static_cast<std::uint16_t>(code));
}

RecognitionVerdict JudgeRecognition(int result, std::span<const std::uint16_t> codes,
                                    std::optional<int> expected) {
  if (result < 1 || result > 10 || codes.empty()) return RecognitionVerdict::kNoCandidate;
  return expected && codes[0] == *expected ? RecognitionVerdict::kRight : RecognitionVerdict::kWrong;
}

std::string ResultMessage(const std::string& format, std::uint16_t candidate, const CUserMap& map) {
  std::string shown;
  const std::uint16_t user_code = SwapBytes(candidate);
  if (!IsUserCode(user_code) || map.GetText(user_code, &shown) == 0) {
    shown.assign(1, static_cast<char>(candidate & 0xFF));
    if ((candidate >> 8) != 0) shown.push_back(static_cast<char>(candidate >> 8));
  }
  std::string message = format;
  const std::size_t at = message.find("%c%c");
  if (at != std::string::npos) message.replace(at, 4, shown);
  return message;
}

std::string OpeningTrainingText(const std::string& text, const CUserMap& map) {
  if (text.size() != 2) return text;
  const auto candidate = static_cast<std::uint16_t>(static_cast<unsigned char>(text[0]) |
                                                    (static_cast<unsigned char>(text[1]) << 8));
  const std::uint16_t user_code = SwapBytes(candidate);
  std::string shown;
  if (!IsUserCode(user_code) || map.GetText(user_code, &shown) == 0) return text;
  return shown;
}

}  // namespace wrendle::app
