// Reads one unit body of a text grammar (the lines after its "%BEGIN" line, up
// to "%END") into a grammar unit: words, "<NAME>" references to other units,
// "<*>" filler, "[ ]" optional groups and "( | )" alternatives.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vok {

class GrammarUnit;
class SymbolTable;

// The tokens of a grammar line, cut at blanks, tabs, CR and LF.
std::vector<std::string> SplitGrammarLine(const std::string& line);

// Words enter `words`; a reference must name an entry of `unit_names` below
// 500. Returns false when the body ended at an unknown reference ("Bad
// nonterminal %s!\n"); the rest of that body up to its "%END" is skipped, and
// what was read before stays. Groups are the body's own: one left open at
// "%END" is closed there.
bool ReadUnitBody(std::FILE* stream, GrammarUnit* unit, SymbolTable* words, const SymbolTable& unit_names);

}  // namespace vok
