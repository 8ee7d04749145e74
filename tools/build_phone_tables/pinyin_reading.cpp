#include "tools/build_phone_tables/pinyin_reading.h"

#include <array>
#include <cctype>
#include <string>

#include "app/core/reading_code.h"

namespace build_phone_tables {

namespace {

constexpr std::array<std::string_view, 22> kInitials = {"",   "b",  "p", "m", "f", "d", "t", "n",
                                                        "l",  "g",  "k", "h", "j", "q", "x", "zh",
                                                        "ch", "sh", "r", "z", "c", "s"};
// Finals by field value; 4 is ê, which the numbered form writes as "e" only
// after a medial.
constexpr std::array<std::string_view, 14> kFinals = {"",   "a",  "o",  "e",  "",    "ai",  "ei",
                                                      "ao", "ou", "an", "en", "ang", "eng", "er"};
constexpr int kMedialI = 1, kMedialU = 2, kMedialV = 3;
constexpr int kFinalE = 3, kFinalEh = 4, kFinalEi = 6, kFinalOu = 8, kFinalEn = 10, kFinalEng = 12;

std::optional<int> FinalOf(std::string_view text) {
  for (std::size_t i = 1; i < kFinals.size(); ++i)
    if (!kFinals[i].empty() && kFinals[i] == text) return static_cast<int>(i);
  return std::nullopt;
}

struct Rest {
  int medial;
  int final;
};

// What follows a medial: "" none, "e" ê, "n" en, "ng" eng, else a final.
std::optional<int> FinalAfterMedial(std::string_view text) {
  if (text.empty()) return 0;
  if (text == "e") return kFinalEh;
  if (text == "n") return kFinalEn;
  if (text == "ng") return kFinalEng;
  if (text == "er") return std::nullopt;
  return FinalOf(text);
}

std::optional<Rest> AfterInitial(std::string_view rest, std::string_view initial) {
  const bool palatal = initial == "j" || initial == "q" || initial == "x";
  const bool retroflex_or_dental = initial == "zh" || initial == "ch" || initial == "sh" || initial == "r" ||
                                   initial == "z" || initial == "c" || initial == "s";
  if (rest == "i" && retroflex_or_dental) return Rest{0, 0};
  if (rest == "ong") return Rest{palatal ? kMedialV : kMedialU, kFinalEng};
  if (rest == "iong") return Rest{kMedialV, kFinalEng};
  if (rest == "iu") return Rest{kMedialI, kFinalOu};
  if (rest == "ui") return Rest{kMedialU, kFinalEi};
  if (rest == "ing") return Rest{kMedialI, kFinalEng};
  if (rest.starts_with("i")) {
    const auto final = FinalAfterMedial(rest.substr(1));
    if (final) return Rest{kMedialI, *final};
    return std::nullopt;
  }
  if (rest.starts_with("v")) {
    const auto final = FinalAfterMedial(rest.substr(1));
    if (final) return Rest{kMedialV, *final};
    return std::nullopt;
  }
  if (rest.starts_with("u")) {
    const auto final = FinalAfterMedial(rest.substr(1));
    if (final) return Rest{palatal ? kMedialV : kMedialU, *final};
    return std::nullopt;
  }
  const auto final = FinalOf(rest);
  if (final) return Rest{0, *final};
  return std::nullopt;
}

std::optional<Rest> WithoutInitial(std::string_view letters) {
  if (letters == "yi") return Rest{kMedialI, 0};
  if (letters == "yin") return Rest{kMedialI, kFinalEn};
  if (letters == "ying") return Rest{kMedialI, kFinalEng};
  if (letters == "yong") return Rest{kMedialV, kFinalEng};
  if (letters == "yu" || letters == "yv") return Rest{kMedialV, 0};
  if (letters == "yue" || letters == "yve") return Rest{kMedialV, kFinalEh};
  if (letters == "yuan") return Rest{kMedialV, 9};
  if (letters == "yun") return Rest{kMedialV, kFinalEn};
  if (letters == "wu") return Rest{kMedialU, 0};
  if (letters.starts_with("y")) {
    const auto final = FinalAfterMedial(letters.substr(1));
    if (final && *final != 0) return Rest{kMedialI, *final};
    return std::nullopt;
  }
  if (letters.starts_with("w")) {
    const auto final = FinalAfterMedial(letters.substr(1));
    if (final && *final != 0 && *final != kFinalEh) return Rest{kMedialU, *final};
    return std::nullopt;
  }
  if (letters == "e") return Rest{0, kFinalE};
  const auto final = FinalOf(letters);
  if (final) return Rest{0, *final};
  return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> ReadingOfSyllable(std::string_view numbered) {
  if (numbered.size() < 2) return std::nullopt;
  const char tone_digit = numbered.back();
  if (tone_digit < '1' || tone_digit > '5') return std::nullopt;
  std::string letters;
  for (const char c : numbered.substr(0, numbered.size() - 1)) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
    letters.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  int initial = 0;
  std::string_view rest = letters;
  for (std::size_t i = kInitials.size() - 1; i >= 1; --i) {
    // Two-letter initials are listed after their first letters' own.
    if (rest.starts_with(kInitials[i]) && rest.size() > kInitials[i].size()) {
      if (initial == 0 || kInitials[i].size() > kInitials[static_cast<std::size_t>(initial)].size())
        initial = static_cast<int>(i);
    }
  }
  std::optional<Rest> parts;
  if (initial != 0) {
    parts = AfterInitial(rest.substr(kInitials[static_cast<std::size_t>(initial)].size()),
                         kInitials[static_cast<std::size_t>(initial)]);
  } else {
    parts = WithoutInitial(rest);
  }
  if (!parts) return std::nullopt;
  wrendle::app::ReadingFields fields;
  fields.initial = initial;
  fields.medial = parts->medial;
  fields.final = parts->final;
  fields.tone = tone_digit == '5' ? 4 : tone_digit - '1';
  return wrendle::app::CodeOf(fields);
}

}  // namespace build_phone_tables
