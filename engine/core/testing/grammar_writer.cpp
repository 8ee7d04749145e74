#include "engine/core/testing/grammar_writer.h"

#include "engine/core/grammar.h"
#include "engine/core/symbol_table.h"

namespace vok_testing {

namespace {

void Put32(std::string* out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Put16(std::string* out, int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  out->push_back(static_cast<char>(v >> 8));
  out->push_back(static_cast<char>(v & 0xFF));
}

void PutString(std::string* out, const std::string& text) {
  Put16(out, static_cast<int16_t>(text.size()));
  out->append(text);
}

void PutTable(std::string* out, const std::vector<std::string>& names) {
  Put32(out, static_cast<int32_t>(names.size()));
  Put32(out, static_cast<int32_t>(names.size()));  // bucket count, not used by readers
  for (const std::string& name : names) PutString(out, name);
}

}  // namespace

std::string WriteBinaryGrammar(const BinaryGrammar& grammar, BinaryGrammarOffsets* offsets) {
  BinaryGrammarOffsets local;
  BinaryGrammarOffsets& at = offsets ? *offsets : local;
  at = BinaryGrammarOffsets();
  std::string out = "Binary Grammar v1.0";
  at.word_count = out.size();
  PutTable(&out, grammar.words);
  at.unit_name_count = out.size();
  PutTable(&out, grammar.unit_names);
  at.unit_count = out.size();
  Put32(&out, static_cast<int32_t>(grammar.units.size()));
  for (const BinaryGrammarUnit& unit : grammar.units) {
    at.unit_name.push_back(out.size());
    PutString(&out, unit.name);
    at.node_count.push_back(out.size());
    Put32(&out, unit.node_count);
    Put32(&out, static_cast<int32_t>(unit.arcs.size()));
    at.first_node_id.push_back(out.size());
    at.first_arc_label.push_back(0);
    at.first_arc_target.push_back(0);
    for (int32_t node = 0; node < unit.node_count; ++node) {
      Put32(&out, node);
      int32_t outgoing = 0;
      for (const BinaryGrammarArc& arc : unit.arcs) outgoing += arc.source == node ? 1 : 0;
      Put32(&out, outgoing);
      for (const BinaryGrammarArc& arc : unit.arcs) {
        if (arc.source != node) continue;
        if (at.first_arc_label.back() == 0) {
          at.first_arc_label.back() = out.size();
          at.first_arc_target.back() = out.size() + 10;
        }
        Put32(&out, arc.label);
        Put16(&out, arc.weight);
        Put32(&out, arc.source);
        Put32(&out, arc.target);
      }
    }
  }
  return out;
}

BinaryGrammar DescribeGrammar(const vok::CGrammar& grammar) {
  BinaryGrammar description;
  for (int id = 0; id < grammar.words().GetCount(); ++id) {
    const char* name = grammar.words().GetName(id);
    description.words.push_back(name ? name : "");
  }
  for (int id = 0; id < grammar.unit_names().GetCount(); ++id) {
    const char* name = grammar.unit_names().GetName(id);
    description.unit_names.push_back(name ? name : "");
  }
  for (int u = 0; u < grammar.unit_count(); ++u) {
    const vok::GrammarUnit* unit = grammar.unit(u);
    BinaryGrammarUnit record;
    record.name = unit ? unit->name() : "";
    record.node_count = unit ? unit->NodeCount() : 2;
    for (int i = 0; unit && i < unit->TransitionCount(); ++i) {
      const vok::UnitTransition* t = unit->Transition(i);
      if (t->label == vok::kDeletedRecord) continue;
      record.arcs.push_back(BinaryGrammarArc{t->label, t->weight, t->source->id, t->target->id});
    }
    description.units.push_back(record);
  }
  return description;
}

void PatchInt32(std::string* bytes, std::size_t offset, int32_t value) {
  std::string field;
  Put32(&field, value);
  if (offset + 4 <= bytes->size()) bytes->replace(offset, 4, field);
}

}  // namespace vok_testing
