// The item expressions of `VOKAddGrammarItemExP` and
// `VOKRemoveGrammarItemExP`: tokens, "|" alternatives and groups, read whole
// before the grammar is touched, so that a bad expression changes nothing.
//
// A token is a word of double-byte characters (at most 16 bytes; a longer
// run starts a new token), a word of letters and digits whose parts "-" may
// join, or a unit reference "<name>". Blanks, tabs and line feeds separate
// tokens; "(", ")", "[", "]" and "|" end them. A token that ends with "-" is
// optional. After a token or a closing bracket, a run of "*" (0x1),
// "?" (0x10), "-" (0x100) and "+" (0x1000) sets that element's flags. A group
// becomes a temporary unit "<_TMP_%05d>" holding its alternatives, referred
// to from the enclosing item (optional for "[...]"); groups nest 31 deep.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/api/vok_status.h"

namespace vok::api {

inline constexpr std::int32_t kElementRepeat = 0x1;        // "*"
inline constexpr std::int32_t kElementOptionalOne = 0x10;  // "?"
inline constexpr std::int32_t kElementOptional = 0x100;    // "-", "[...]"
inline constexpr std::int32_t kElementOneOrMore = 0x1000;  // "+"
inline constexpr int kMaxNestedGroups = 31;
inline constexpr std::size_t kDoubleByteTokenBytes = 16;

struct ExpressionElement {
  std::string text;
  std::int32_t flags = 0;
  bool operator==(const ExpressionElement&) const = default;
};

using ExpressionItem = std::vector<ExpressionElement>;

struct ExpressionUnit {
  std::string name;
  std::vector<ExpressionItem> items;
};

// The target unit first, then one temporary unit per group (names taken from
// the process-wide counter). kVokOk, or kVokBadGrammarId for an expression
// that does not read: a token that begins with "*", "+", "?" or "-", an empty
// alternative, an unclosed or unmatched bracket or unit reference, a 32nd
// nested group, a character that no token takes, or (without groups
// allowed) any bracket.
VokStatus ReadItemExpression(const std::string& unit, const char* expression, bool groups,
                             std::vector<ExpressionUnit>* units);

// The name the next group would get, for tests: "<_TMP_%05d>".
std::string TemporaryUnitName(std::uint32_t number);

}  // namespace vok::api
