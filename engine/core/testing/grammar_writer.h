// Writes binary grammar files for tests, fuzz seeds and benchmarks, byte by
// byte from a plain description (independent of the engine's reader), and
// records where the fields lie so that tests can corrupt them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vok {
class CGrammar;
}

namespace vok_testing {

struct BinaryGrammarArc {
  int32_t label = 0;
  int16_t weight = 0;
  int32_t source = 0;
  int32_t target = 0;
};

struct BinaryGrammarUnit {
  std::string name;
  int32_t node_count = 2;
  std::vector<BinaryGrammarArc> arcs;  // written under their source node
};

struct BinaryGrammar {
  std::vector<std::string> words;
  std::vector<std::string> unit_names;
  std::vector<BinaryGrammarUnit> units;
};

// Byte offsets of fields in the written file.
struct BinaryGrammarOffsets {
  std::size_t word_count = 0;
  std::size_t unit_name_count = 0;
  std::size_t unit_count = 0;
  std::vector<std::size_t> unit_name;         // per unit: its name field
  std::vector<std::size_t> node_count;        // per unit
  std::vector<std::size_t> first_node_id;     // per unit
  std::vector<std::size_t> first_arc_label;   // per unit; 0 when it has no arc
  std::vector<std::size_t> first_arc_target;  // per unit; 0 when it has no arc
};

// The file's bytes: magic, both tables in the plain symbol-table form, the
// unit count and the unit records, all integers big-endian.
std::string WriteBinaryGrammar(const BinaryGrammar& grammar, BinaryGrammarOffsets* offsets = nullptr);
// The description of a grammar's tables and units (live arcs only).
BinaryGrammar DescribeGrammar(const vok::CGrammar& grammar);
// Overwrites four bytes at the offset with the big-endian value.
void PatchInt32(std::string* bytes, std::size_t offset, int32_t value);

}  // namespace vok_testing
