#include "tools/train_acoustic_model/units.h"

#include <sstream>

#include "tools/build_language_data/pinyin.h"

namespace train_acoustic_model {

std::vector<std::string> ReadSyllableInventory(const std::string& text) {
  std::vector<std::string> syllables;
  std::istringstream lines(text);
  bool inside = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string first, second;
    fields >> first >> second;
    if (!inside) {
      inside = first == "%BEGIN" && second == "<SYLLABLE>";
    } else if (line == "%END") {
      break;
    } else if (!first.empty()) {
      syllables.push_back(first);
    }
  }
  return syllables;
}

UnitLabels LabelSyllables(const std::vector<std::string>& syllables) {
  UnitLabels labels;
  labels.phones.push_back(kSilence);
  labels.contexts.push_back(kSilence);
  for (const std::string& syllable : syllables) {
    for (const std::string& phone : build_language_data::SyllablePhones(syllable))
      labels.phones.push_back(phone);
    for (const std::string& name : build_language_data::ContextNames(syllable))
      labels.contexts.push_back(name);
  }
  labels.phones.push_back(kSilence);
  labels.contexts.push_back(kSilence);
  return labels;
}

std::string CenterPhone(const std::string& name) { return name.substr(0, name.find('(')); }

}  // namespace train_acoustic_model
