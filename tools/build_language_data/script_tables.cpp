#include "tools/build_language_data/script_tables.h"

#include <algorithm>
#include <map>
#include <queue>
#include <set>
#include <unordered_map>

#include "tools/text_codec/text_codec.h"

namespace build_language_data {

namespace {

using Table = std::map<std::string, std::vector<std::string>, std::less<>>;

// "source<TAB>target target..." lines.
Table ReadTable(std::string_view text) {
  Table table;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0) continue;
    std::vector<std::string>& targets = table[std::string(line.substr(0, tab))];
    std::string_view rest = line.substr(tab + 1);
    while (!rest.empty()) {
      const std::size_t blank = std::min(rest.find(' '), rest.size());
      if (blank > 0) targets.emplace_back(rest.substr(0, blank));
      rest.remove_prefix(std::min(blank + 1, rest.size()));
    }
  }
  return table;
}

// Whole double-byte characters of a code page.
bool IsDoubleByte(const std::string& bytes) {
  if (bytes.empty() || bytes.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    if (static_cast<unsigned char>(bytes[i]) < 0x81) return false;
  }
  return true;
}

std::string DoubleByte(const tools::TextCodec& codec, const std::string& utf8) {
  const auto bytes = codec.Convert(utf8);
  return bytes && IsDoubleByte(*bytes) ? *bytes : std::string();
}

struct CharacterLine {
  std::string gb;
  std::string utf8;
  std::vector<std::string> big5;
  std::vector<std::string> big5_utf8;
};

// Lines in an order where each Traditional character's preferred Simplified
// line comes before the other lines that list it (code order otherwise).
std::vector<std::size_t> LineOrder(const std::vector<CharacterLine>& lines, const Table& reverse) {
  std::map<std::string, std::vector<std::size_t>> listing;  // Big5 character -> lines
  for (std::size_t i = 0; i < lines.size(); ++i)
    for (const std::string& t : lines[i].big5) listing[t].push_back(i);
  std::unordered_map<std::string, std::size_t> line_of;  // UTF-8 Simplified character -> line
  for (std::size_t i = 0; i < lines.size(); ++i) line_of.emplace(lines[i].utf8, i);
  std::vector<std::set<std::size_t>> after(lines.size());
  std::vector<int> before(lines.size(), 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t k = 0; k < lines[i].big5.size(); ++k) {
      const std::vector<std::size_t>& others = listing[lines[i].big5[k]];
      if (others.size() < 2) continue;
      // The preferred line of this Traditional character: the reverse
      // table's first Simplified form, or the character itself.
      const auto r = reverse.find(lines[i].big5_utf8[k]);
      const std::string& preferred =
          r != reverse.end() && !r->second.empty() ? r->second[0] : lines[i].big5_utf8[k];
      const auto p = line_of.find(preferred);
      if (p == line_of.end() || p->second != i) continue;
      for (std::size_t other : others) {
        if (other != i && after[i].insert(other).second) ++before[other];
      }
    }
  }
  std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (before[i] == 0) ready.push(i);
  std::vector<std::size_t> order;
  std::vector<bool> placed(lines.size(), false);
  while (order.size() < lines.size()) {
    if (ready.empty()) {
      // A cycle of preferences: the first unplaced line breaks it.
      for (std::size_t i = 0; i < lines.size(); ++i)
        if (!placed[i]) {
          before[i] = 0;
          ready.push(i);
          break;
        }
    }
    const std::size_t i = ready.top();
    ready.pop();
    if (placed[i]) continue;
    placed[i] = true;
    order.push_back(i);
    for (std::size_t next : after[i])
      if (--before[next] == 0 && !placed[next]) ready.push(next);
  }
  return order;
}

}  // namespace

ScriptTables BuildScriptTables(const ScriptTableSources& sources, const tools::TextCodec& gb_to_utf8,
                               const tools::TextCodec& utf8_to_gb, const tools::TextCodec& utf8_to_big5,
                               int max_keys, const std::function<int64_t(const std::string&)>& term_count) {
  const Table characters = ReadTable(sources.characters);
  const Table reverse = ReadTable(sources.reverse);
  std::vector<CharacterLine> lines;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      CharacterLine line;
      line.gb = {static_cast<char>(lead), static_cast<char>(trail)};
      const auto utf8 = gb_to_utf8.Convert(line.gb);
      if (!utf8 || utf8->empty()) continue;
      line.utf8 = *utf8;
      const auto listed = characters.find(line.utf8);
      const std::vector<std::string> alternatives =
          listed != characters.end() ? listed->second : std::vector<std::string>{line.utf8};
      for (const std::string& alternative : alternatives) {
        const std::string big5 = DoubleByte(utf8_to_big5, alternative);
        if (big5.size() != 2 || std::find(line.big5.begin(), line.big5.end(), big5) != line.big5.end())
          continue;
        line.big5.push_back(big5);
        line.big5_utf8.push_back(alternative);
      }
      lines.push_back(std::move(line));
    }
  }
  ScriptTables tables;
  std::unordered_map<std::string, std::string> first_alternative;
  int max_terms = max_keys;
  for (std::size_t i : LineOrder(lines, reverse)) {
    if (!lines[i].big5.empty()) --max_terms;
    if (!lines[i].big5.empty()) first_alternative.emplace(lines[i].gb, lines[i].big5[0]);
    tables.characters.emplace_back(lines[i].gb, lines[i].big5);
  }

  std::set<std::string> seen;
  for (const auto& [simplified, traditional] : ReadTable(sources.phrases)) {
    if (traditional.empty()) continue;
    const std::string gb = DoubleByte(utf8_to_gb, simplified);
    const std::string big5 = DoubleByte(utf8_to_big5, traditional[0]);
    if (gb.empty() || big5.size() != gb.size() || !seen.insert(gb).second) continue;
    // A term the characters' first alternatives already give adds nothing.
    std::string by_characters;
    for (std::size_t k = 0; k < gb.size(); k += 2) {
      const auto first = first_alternative.find(gb.substr(k, 2));
      if (first == first_alternative.end()) break;
      by_characters += first->second;
    }
    if (by_characters != big5) tables.terms.emplace_back(gb, big5);
  }
  if (static_cast<int>(tables.terms.size()) > max_terms) {
    std::stable_sort(tables.terms.begin(), tables.terms.end(), [&](const auto& a, const auto& b) {
      return term_count(a.second) > term_count(b.second);
    });
    tables.terms.resize(static_cast<std::size_t>(std::max(max_terms, 0)));
  }
  std::sort(tables.terms.begin(), tables.terms.end());
  return tables;
}

std::string CharacterMapText(const ScriptTables& tables) {
  std::string text;
  for (const auto& [gb, alternatives] : tables.characters) {
    text += gb;
    for (const std::string& alternative : alternatives) text += alternative;
    text += '\n';
  }
  return text;
}

std::string TermMapText(const ScriptTables& tables) {
  std::string text;
  for (const auto& [gb, big5] : tables.terms) text += gb + " " + big5 + "\n";
  return text;
}

}  // namespace build_language_data
