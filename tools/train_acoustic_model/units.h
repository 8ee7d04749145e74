// The units of the acoustic models: the phones of toned syllables (initials
// and toned finals) as context-free names and as center(left,right) names,
// spelled exactly as the vocabulary stage spells "Syllable", and "SIL".
#pragma once

#include <string>
#include <vector>

namespace train_acoustic_model {

inline constexpr const char* kSilence = "SIL";

// The syllables of a "Syllable" text: the first field of every line of its
// <SYLLABLE> section.
std::vector<std::string> ReadSyllableInventory(const std::string& text);

// A transcript's units, silence at both ends: context-free and in context.
struct UnitLabels {
  std::vector<std::string> phones;
  std::vector<std::string> contexts;
};
UnitLabels LabelSyllables(const std::vector<std::string>& syllables);

// The context-free name of a unit name: "zh(#,ong1)" -> "zh", "SIL" -> "SIL".
std::string CenterPhone(const std::string& name);

}  // namespace train_acoustic_model
