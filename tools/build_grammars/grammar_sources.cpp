#include "tools/build_grammars/grammar_sources.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

namespace build_grammars {

namespace {

constexpr char kSeparator[] = "\xA1\xA4";
constexpr std::size_t kCharacterEntries = 2000;
constexpr std::size_t kPairEntries = 5000;

// Number of characters of a UTF-8 text.
int Utf8Length(const std::string& text) {
  int n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// The double-byte characters of a code-page text; empty when a byte is not
// part of one.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (i + 1 >= text.size() || static_cast<unsigned char>(text[i]) < 0x80) return {};
    characters.push_back(text.substr(i, 2));
  }
  return characters;
}

}  // namespace

std::vector<PersonalName> PersonalNames(const std::string& jieba_text,
                                        std::string (*convert)(const std::string& utf8), int min_names) {
  std::vector<std::pair<int64_t, std::string>> tagged;
  std::istringstream lines(jieba_text);
  std::string line;
  std::set<std::string> seen;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string word, tag;
    int64_t count = 0;
    if (!(fields >> word >> count >> tag) || tag != "nr") continue;
    const int length = Utf8Length(word);
    if (length < 2 || length > 3) continue;
    const std::string converted = convert(word);
    if (converted.size() != static_cast<std::size_t>(2 * length) || Characters(converted).empty()) continue;
    if (seen.insert(converted).second) tagged.push_back({count, converted});
  }
  std::stable_sort(tagged.begin(), tagged.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::map<std::string, int> first_counts;
  for (const auto& [count, name] : tagged) ++first_counts[name.substr(0, 2)];
  std::vector<PersonalName> names;
  for (const auto& [count, name] : tagged) {
    if (first_counts[name.substr(0, 2)] < min_names) continue;
    names.push_back({name.substr(0, 2), name.substr(2)});
  }
  return names;
}

std::string NameGrammar(const std::vector<PersonalName>& names, const std::string& grammar_name) {
  std::string text = "# Personal names: surname, separator, given name\n%BIGRAM " + grammar_name + "\n";
  std::set<std::string> characters{"S_", "_S"};
  std::set<std::string> pairs;
  for (const PersonalName& name : names) {
    std::vector<std::string> sequence{"S_", name.surname, kSeparator};
    for (const std::string& c : Characters(name.given)) sequence.push_back(c);
    sequence.push_back("_S");
    std::set<std::string> fresh_characters;
    std::set<std::string> fresh_pairs;
    for (std::size_t i = 1; i < sequence.size(); ++i) {
      if (!characters.count(sequence[i])) fresh_characters.insert(sequence[i]);
      const std::string pair = sequence[i - 1] + sequence[i];
      if (!pairs.count(pair)) fresh_pairs.insert(pair);
    }
    if (characters.size() + fresh_characters.size() > kCharacterEntries ||
        pairs.size() + fresh_pairs.size() > kPairEntries) {
      continue;
    }
    characters.insert(fresh_characters.begin(), fresh_characters.end());
    pairs.insert(fresh_pairs.begin(), fresh_pairs.end());
    text += name.surname + kSeparator + name.given + "\n";
  }
  return text;
}

std::string SpellGrammar(const std::vector<std::string>& words, int characters, const std::string& of,
                         const std::string& unit_name) {
  std::unordered_map<std::string, std::string> holder;
  for (const std::string& word : words) {
    const std::vector<std::string> parts = Characters(word);
    if (parts.size() < 2 || parts.size() > 4) continue;
    for (const std::string& c : parts) holder.emplace(c, word);
  }
  std::string text = "# Characters named by a common word holding them\n%BEGIN " + unit_name + "\n";
  int written = 0;
  for (const std::string& word : words) {
    if (written == characters) break;
    if (Characters(word).size() != 1 || word == of) continue;
    const auto found = holder.find(word);
    if (found == holder.end()) continue;
    text += (written ? "| " : "") + found->second + " " + of + " " + word + "\n";
    ++written;
  }
  return text + "%END\n";
}

}  // namespace build_grammars
