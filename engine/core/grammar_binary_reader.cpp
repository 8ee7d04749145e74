// The binary form of a grammar file (big-endian): the magic, the word table
// and the unit-name table in the plain symbol-table form, the unit count,
// then one record per unit in slot order: name, node count, transition count
// (unused), and per node its id and outgoing transitions {label, weight,
// source, target}. Every field is checked before use; a file that fails any
// check is refused whole.
#include <cstring>
#include <memory>

#include "engine/core/file_io.h"
#include "engine/core/grammar.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

// Bytes of a node record without transitions, and of a transition record.
constexpr long long kNodeRecordBytes = 8;
constexpr long long kTransitionRecordBytes = 14;

class BinaryGrammarReader {
 public:
  BinaryGrammarReader(std::FILE* stream, int block_limit) : stream_(stream), block_limit_(block_limit) {}

  bool Fail(const char* what) {
    ErrorMessage("Bad binary grammar: %s", what);
    return false;
  }

  bool Left(long long bytes) const {
    const long long left = FileRemainingBytes(stream_);
    return left < 0 || left >= bytes;
  }

  bool ReadTables(SymbolTable* words, SymbolTable* unit_names) {
    SymbolTable read_words;
    SymbolTable read_units;
    if (read_words.Read(stream_) != 0) return Fail("word table");
    if (read_units.Read(stream_) != 0) return Fail("unit-name table");
    if (read_words.GetCount() > words->GetCapacity()) return Fail("too many words");
    if (read_units.GetCount() > CGrammar::kUnitSlots) return Fail("too many units");
    for (int id = 0; id < read_words.GetCount(); ++id) {
      const char* name = read_words.GetName(id);
      if (!name || words->Find(name) >= 0 || words->AddNew(name) != id) return Fail("word table entry");
    }
    for (int id = 0; id < read_units.GetCount(); ++id) {
      const char* name = read_units.GetName(id);
      const char* kept = name ? name : "";
      if (std::strlen(kept) > static_cast<std::size_t>(CGrammar::kMaxUnitNameLength) ||
          (name && unit_names->Find(name) >= 0) || unit_names->AddNew(kept) != id) {
        return Fail("unit-name table entry");
      }
    }
    return true;
  }

  // One unit record into a new unit of the slot's name.
  std::unique_ptr<GrammarUnit> ReadUnit(CGrammar* grammar, const char* slot_name, int word_count,
                                        int unit_count) {
    char name[CGrammar::kMaxUnitNameLength + 1];
    if (FileReadString(stream_, name, sizeof name) == kBadStringField) return Refuse("unit name");
    if (std::strcmp(name, slot_name) != 0) return Refuse("unit name differs from its slot");
    int32_t node_count = 0;
    int32_t transition_count = 0;
    if (FileReadInt32(stream_, &node_count) != 0 || FileReadInt32(stream_, &transition_count) != 0) {
      return Refuse("unit counts");
    }
    const long long node_limit = static_cast<long long>(kUnitNodeBlock) * block_limit_;
    if (node_count < 2 || node_count > node_limit || transition_count < 0) return Refuse("unit counts");
    if (!Left(node_count * kNodeRecordBytes)) return Refuse("node count exceeds the file");
    auto unit = std::make_unique<GrammarUnit>(name, grammar, block_limit_);
    for (int i = 2; i < node_count; ++i) {
      if (!unit->NewNode()) return Refuse("node pool exhausted");
    }
    for (int i = 0; i < node_count; ++i) {
      int32_t id = 0;
      int32_t outgoing = 0;
      if (FileReadInt32(stream_, &id) != 0 || FileReadInt32(stream_, &outgoing) != 0)
        return Refuse("node record");
      if (id != i || outgoing < 0) return Refuse("node record");
      if (!Left(outgoing * kTransitionRecordBytes)) return Refuse("transition count exceeds the file");
      for (int k = 0; k < outgoing; ++k) {
        int32_t label = 0;
        int16_t weight = 0;
        int32_t source = 0;
        int32_t target = 0;
        if (FileReadInt32(stream_, &label) != 0 || FileReadInt16(stream_, &weight) != 0 ||
            FileReadInt32(stream_, &source) != 0 || FileReadInt32(stream_, &target) != 0) {
          return Refuse("transition record");
        }
        if (source != i || target < 0 || target >= node_count) return Refuse("transition ends");
        if (!GoodLabel(label, word_count, unit_count)) return Refuse("transition label");
        if (!unit->AddTransition(unit->Node(source), unit->Node(target), label, weight)) {
          return Refuse("transition pool exhausted");
        }
      }
    }
    return unit;
  }

 private:
  static bool GoodLabel(int32_t label, int word_count, int unit_count) {
    if (label == kLabelEmpty || label == kLabelFiller) return true;
    if (IsNonterminal(label)) return NonterminalIndex(label) < unit_count;
    return label >= 0 && label < word_count;
  }

  std::unique_ptr<GrammarUnit> Refuse(const char* what) {
    Fail(what);
    return nullptr;
  }

  std::FILE* stream_;
  int block_limit_;
};

}  // namespace

bool CGrammar::ReadBinary(const char* path) {
  std::FILE* stream = FileOpen(path, "rb");
  if (!stream) return false;
  BinaryGrammarReader reader(stream, block_limit_);
  char magic[kBinaryMagicLength];
  bool good = FileRead(stream, magic, sizeof magic, RM_EOFBAD) == sizeof magic &&
              reader.ReadTables(words_.get(), unit_names_.get());
  int32_t count = 0;
  if (good && (FileReadInt32(stream, &count) != 0 || count < 1 || count > unit_names_->GetCount())) {
    good = reader.Fail("unit count");
  }
  for (int u = 0; good && u < count; ++u) {
    auto unit = reader.ReadUnit(this, GetUnitName(u), words_->GetCount(), count);
    good = unit && StoreUnit(u, std::move(unit));
  }
  FileClose(stream);
  return good;
}

}  // namespace vok
