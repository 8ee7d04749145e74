#include "app/core/reading_code.h"

#include <array>

namespace wrendle::app {

namespace {

constexpr std::array<const char*, 22> kInitials = {"",  "b", "p", "m", "f",  "d",  "t",  "n", "l", "g", "k",
                                                   "h", "j", "q", "x", "zh", "ch", "sh", "r", "z", "c", "s"};
constexpr std::array<const char*, 4> kMedials = {"", "i", "u", ":u"};
constexpr std::array<const char*, 14> kFinals = {"",   "a",  "o",  "e",  "e",   "ai",  "ei",
                                                 "ao", "ou", "an", "en", "ang", "eng", "er"};
constexpr std::array<const char*, 5> kToneMarks = {"(1)", "(2)", "(3)", "(4)", ""};

constexpr int kMedialI = 1, kMedialU = 2, kMedialV = 3;
constexpr int kFinalEi = 6, kFinalOu = 8, kFinalEn = 10, kFinalEng = 12;
constexpr int kInitialJ = 12, kInitialX = 14;

}  // namespace

std::string PinyinLabel(std::uint16_t code) {
  if (!IsValidReading(code)) return {};
  const ReadingFields fields = FieldsOf(code);
  std::string initial = kInitials[static_cast<std::size_t>(fields.initial)];
  std::string medial = kMedials[static_cast<std::size_t>(fields.medial)];
  std::string final = kFinals[static_cast<std::size_t>(fields.final)];
  const bool has_initial = fields.initial != 0;
  // 1. zhi, chi, shi, ri, zi, ci, si.
  if (fields.medial == 0 && fields.final == 0) medial = "i";
  // 2. in, un, ün; but wen.
  if (fields.medial != 0 && fields.final == kFinalEn && !(fields.medial == kMedialU && !has_initial))
    final = "n";
  if (has_initial) {
    // 3.
    if (fields.final == kFinalEng && fields.medial == kMedialI) {
      medial.clear();
      final = "ing";
    } else if (fields.final == kFinalEng && fields.medial == kMedialU) {
      medial.clear();
      final = "ong";
    } else if (fields.final == kFinalEng && fields.medial == kMedialV) {
      medial = "i";
      final = "ong";
    } else if (fields.medial == kMedialI && fields.final == kFinalOu) {
      final = "u";
    } else if (fields.medial == kMedialU && fields.final == kFinalEi) {
      final = "i";
    } else if (fields.medial == kMedialV && fields.initial >= kInitialJ && fields.initial <= kInitialX) {
      medial = "u";
    }
  } else if (fields.medial == kMedialI) {
    // 4.
    initial = "y";
    if (fields.final != 0 && final != "n") medial.clear();
    if (fields.final == kFinalEng) final = "ing";
  } else if (fields.medial == kMedialU) {
    initial = "w";
    if (fields.final != 0) medial.clear();
  } else if (fields.medial == kMedialV) {
    initial = "y";
    medial = "u";
    if (fields.final == kFinalEng) {
      medial.clear();
      final = "ong";
    }
  }
  return initial + medial + final + kToneMarks[static_cast<std::size_t>(fields.tone)];
}

std::string BopomofoLabel(std::uint16_t code) {
  if (!IsValidReading(code)) return {};
  const ReadingFields fields = FieldsOf(code);
  std::string label;
  auto append = [&label](int symbol) {
    label.push_back(static_cast<char>(symbol >> 8));
    label.push_back(static_cast<char>(symbol & 0xFF));
  };
  if (fields.initial != 0)
    append(fields.initial <= 11 ? 0xA373 + fields.initial : 0xA3A1 + fields.initial - 12);
  if (fields.medial != 0) append(0xA3B7 + fields.medial);
  if (fields.final != 0) append(0xA3AA + fields.final);
  constexpr std::array<int, 5> kTones = {0, 0xA3BD, 0xA3BE, 0xA3BF, 0xA3BB};
  if (fields.tone != 0) append(kTones[static_cast<std::size_t>(fields.tone)]);
  return label;
}

}  // namespace wrendle::app
