// The script converter's tables from the open conversion tables (OpenCC's
// STCharacters, STPhrases and TSCharacters in their text form, UTF-8 lines
// "source<TAB>target target..."): every GB2312 character with its Big5
// alternatives, commonest first, and the terms whose Traditional form the
// characters' first alternatives do not give.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tools {
class TextCodec;
}

namespace build_language_data {

struct ScriptTables {
  // A GB2312 character (two bytes) and its Big5 alternatives (two bytes
  // each), commonest first; none when Big5 has no form of it. In file order:
  // where several lines list one Traditional character, the line of the
  // Simplified character that the reverse table prefers comes first, since
  // the engine maps a Traditional character to the first line that lists it.
  std::vector<std::pair<std::string, std::vector<std::string>>> characters;
  // A GB2312 term and its Big5 term, sorted by the GB2312 bytes.
  std::vector<std::pair<std::string, std::string>> terms;
};

struct ScriptTableSources {
  std::string_view characters;  // STCharacters: Simplified to Traditional
  std::string_view phrases;     // STPhrases
  std::string_view reverse;     // TSCharacters: Traditional to Simplified
};

// Codecs from GB2312 to UTF-8, UTF-8 to GB2312 and UTF-8 to Big5. The
// characters with alternatives and the terms take at most `max_keys` keys:
// the terms that do not fit beside the characters go, those with the lowest
// `term_count` (of the Big5 term) first.
ScriptTables BuildScriptTables(const ScriptTableSources& sources, const tools::TextCodec& gb_to_utf8,
                               const tools::TextCodec& utf8_to_gb, const tools::TextCodec& utf8_to_big5,
                               int max_keys, const std::function<int64_t(const std::string&)>& term_count);

// "G2bchar.tab": one line per character, the GB2312 character followed by
// its alternatives.
std::string CharacterMapText(const ScriptTables& tables);
// The term map: lines of the GB2312 term, a blank and the Big5 term.
std::string TermMapText(const ScriptTables& tables);

}  // namespace build_language_data
