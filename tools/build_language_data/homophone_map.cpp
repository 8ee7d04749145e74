#include "tools/build_language_data/homophone_map.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/file_access.h"

namespace build_language_data {

std::string HomophoneMapText(const std::vector<LexiconWord>& lexicon) {
  // Syllables in the order their first character comes, characters in
  // lexicon (frequency) order.
  std::vector<std::string> order;
  std::map<std::string, std::string> characters;
  for (const LexiconWord& word : lexicon) {
    if (word.text.size() != 2 || static_cast<unsigned char>(word.text[0]) < 0x80) continue;
    for (const Pronunciation& pron : word.prons) {
      if (pron.size() != 1) continue;
      std::string syllable = pron[0];
      std::transform(syllable.begin(), syllable.end(), syllable.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      auto [at, added] = characters.try_emplace(syllable);
      if (added) order.push_back(syllable);
      std::string& text = at->second;
      if (text.find(word.text) == std::string::npos &&
          syllable.size() + 1 + text.size() + 2 <= kHomophoneLineBytes)
        text += word.text;
    }
  }
  std::string out = std::to_string(order.size()) + "\n";
  for (const std::string& syllable : order) out += syllable + " " + characters[syllable] + "\n";
  return out;
}

std::string WriteHomophoneMap(const std::vector<LexiconWord>& lexicon, const std::string& folder) {
  const std::string text = HomophoneMapText(lexicon);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!platform::WriteWholeFile(folder + "/HMap", std::span<const std::uint8_t>(bytes, text.size())))
    return "cannot write " + folder + "/HMap";
  return {};
}

}  // namespace build_language_data
