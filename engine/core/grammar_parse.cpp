// Parsing a double-byte text with a grammar: the text's segmentations into
// grammar words, fewest words first, are matched against the top unit until
// one is accepted; its parse tree goes into the parse node pool.
#include <algorithm>
#include <cstring>
#include <deque>
#include <set>
#include <unordered_map>
#include <vector>

#include "engine/core/grammar.h"
#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr int kNoWord = -1;
constexpr int kUnreachable = 1 << 20;
// Limits of one match: ways and tree items held, and nested steps.
constexpr std::size_t kMaxMatchRecords = 50000;
constexpr int kMaxMatchDepth = 1000;

// The segmentations of the text into words of the table, in depth-first
// order (shorter first words first), kept as an N-best list would keep them
// with every score equal: branches whose sequences can no longer stay in the
// list are not walked.
class CandidateSegmentations {
 public:
  CandidateSegmentations(const char* text, const SymbolTable& words)
      : n_(static_cast<int>(std::strlen(text) / 2)) {
    for (auto& row : lattice_) std::fill(std::begin(row), std::end(row), kNoWord);
    for (int i = 0; i < n_; ++i) {
      for (int j = i + 1; j <= n_; ++j) {
        const std::string piece(text + 2 * i, static_cast<std::size_t>(2 * (j - i)));
        lattice_[i][j] = words.Find(piece.c_str());
      }
    }
    fewest_[n_] = 0;
    for (int i = n_ - 1; i >= 0; --i) {
      fewest_[i] = kUnreachable;
      for (int j = i + 1; j <= n_; ++j) {
        if (lattice_[i][j] != kNoWord) fewest_[i] = std::min(fewest_[i], fewest_[j] + 1);
      }
    }
    // The last sequence of the walk takes the longest first word at every step.
    for (int pos = 0; pos < n_ && fewest_[pos] < kUnreachable;) {
      int next = n_;
      while (lattice_[pos][next] == kNoWord || fewest_[next] >= kUnreachable) --next;
      last_next_[pos] = next;
      pos = next;
    }
  }

  void Fill(NBestList* list) {
    list->Reset(kEmptyScore, 1);
    if (fewest_[0] < kUnreachable) Walk(list, 0, true);
  }

 private:
  void Walk(NBestList* list, int pos, bool on_last) {
    if (pos == n_) {
      Emit(list);
      return;
    }
    const int depth = static_cast<int>(path_.size());
    for (int j = pos + 1; j <= n_; ++j) {
      if (lattice_[pos][j] == kNoWord || fewest_[j] >= kUnreachable) continue;
      const bool next_on_last = on_last && last_next_[pos] == j;
      if (!next_on_last && Held(*list) && depth + 1 + fewest_[j] >= *kept_.rbegin()) continue;
      path_.push_back(static_cast<uint16_t>(lattice_[pos][j]));
      Walk(list, j, next_on_last);
      path_.pop_back();
    }
  }

  // Once the list is full, each new sequence takes the place of the last
  // record, so what stays is the list's limit less one of the fewest-word
  // sequences (earlier ones first among equals) and the newest.
  bool Held(const NBestList& list) const { return static_cast<int>(kept_.size()) == list.limit() - 1; }

  void Emit(NBestList* list) {
    const int count = static_cast<int>(path_.size());
    list->Insert(0, path_.data(), count);
    if (!Held(*list)) {
      kept_.insert(count);
    } else if (count < *kept_.rbegin()) {
      kept_.erase(std::prev(kept_.end()));
      kept_.insert(count);
    }
  }

  int n_;
  int lattice_[CGrammar::kParseLattice][CGrammar::kParseLattice];
  int fewest_[CGrammar::kParseLattice] = {};
  int last_next_[CGrammar::kParseLattice] = {};
  std::vector<uint16_t> path_;
  std::multiset<int> kept_;
};

// Matching of a word sequence against the units. The ways of reaching a
// unit's end from (unit, node, position) are computed once; among ways that
// reach one position only the first matters, as everything after it depends
// on the position alone. A state met again while it is being matched (a
// cycle of empty arcs, left recursion) is cut there.
class UnitMatcher {
 public:
  struct Item {
    int32_t label;  // word id, or unit index of a nonterminal
    bool word;
    const Item* children;  // of a nonterminal
    const Item* next;
  };
  struct Way {
    int position;
    const Item* children;
  };
  using Ways = std::vector<Way>;

  UnitMatcher(const std::unique_ptr<GrammarUnit>* units, int unit_count, const std::vector<int32_t>& sequence)
      : units_(units), unit_count_(unit_count), sequence_(sequence) {}

  // The first way through the top unit that consumes the whole sequence, or
  // null.
  const Way* Run() {
    const int length = static_cast<int>(sequence_.size());
    int cut = kNoCut;
    const Ways* ways = Match(0, units_[0]->start_node(), 0, &cut);
    if (failed_ || !ways) return nullptr;
    for (const Way& way : *ways) {
      if (way.position == length) return &way;
    }
    return nullptr;
  }

 private:
  static constexpr int kNoCut = 1 << 30;

  static uint64_t Key(int unit, int node, int position) {
    return (static_cast<uint64_t>(unit) << 40) | (static_cast<uint64_t>(node) << 8) |
           static_cast<uint64_t>(position);
  }

  bool EndReachable(const GrammarUnit& unit, const NetworkNode* node) {
    std::vector<const NetworkNode*> stack{node};
    std::set<const NetworkNode*> seen{node};
    while (!stack.empty()) {
      const NetworkNode* at = stack.back();
      stack.pop_back();
      if (at == unit.end()) return true;
      for (const NetworkTransition* t = at->first_out; t; t = t->next_out) {
        if (t->label == kLabelEmpty && seen.insert(t->target).second) stack.push_back(t->target);
      }
    }
    return false;
  }

  const Item* NewItem(int32_t label, bool word, const Item* children, const Item* next) {
    if (++records_ > kMaxMatchRecords) {
      Fail("Parse: too many ways\n");
      return nullptr;
    }
    items_.push_back(Item{label, word, children, next});
    return &items_.back();
  }

  void Fail(const char* message) {
    if (!failed_) LogPrint("%s", message);
    failed_ = true;
  }

  static void Add(Ways* ways, int position, const Item* children) {
    for (const Way& way : *ways) {
      if (way.position == position) return;
    }
    ways->push_back(Way{position, children});
  }

  // The ways from the node of the unit at the position; `cut` receives the
  // lowest depth of a state met again below this one. A state met again
  // while it is matched answers with the ways found so far; when that
  // happened, the state is matched again until its ways stop growing, so
  // that left recursion reads as far as the sequence allows.
  const Ways* Match(int unit_index, const UnitNode* node, int position, int* cut) {
    static const Ways kNone;
    if (failed_) return &kNone;
    const uint64_t key = Key(unit_index, node->id, position);
    if (auto done = memo_.find(key); done != memo_.end()) return done->second;
    if (auto open = active_.find(key); open != active_.end()) {
      *cut = std::min(*cut, open->second.depth);
      open->second.met_again = true;
      return open->second.seed;
    }
    const int depth = static_cast<int>(active_.size());
    if (depth >= kMaxMatchDepth) {
      Fail("Parse: grammar nested too deeply\n");
      return &kNone;
    }
    Ways* ways = &results_.emplace_back();
    Active& self = active_.emplace(key, Active{depth, &kNone, false}).first->second;
    int lowest = kNoCut;
    for (;;) {
      self.met_again = false;
      lowest = kNoCut;
      Expand(unit_index, node, position, ways, &lowest);
      if (!self.met_again || failed_ || ways->size() == self.seed->size()) break;
      self.seed = ways;
      ways = &results_.emplace_back();
    }
    active_.erase(key);
    if (lowest >= depth) {
      memo_.emplace(key, ways);
    } else {
      *cut = std::min(*cut, lowest);
    }
    return ways;
  }

  void Expand(int unit_index, const UnitNode* node, int position, Ways* ways, int* lowest) {
    const GrammarUnit& unit = *units_[unit_index];
    const int length = static_cast<int>(sequence_.size());
    if (EndReachable(unit, node)) ways->push_back(Way{position, nullptr});
    for (const NetworkTransition* t = node->first_out; t && !failed_; t = t->next_out) {
      const auto* target = static_cast<const UnitNode*>(t->target);
      if (IsNonterminal(t->label)) {
        const int sub = NonterminalIndex(t->label);
        if (sub >= unit_count_ || !units_[sub]) {
          LogPrint("Found bad label %d!\n", static_cast<int>(t->label));
          failed_ = true;
          break;
        }
        const Ways inner = *Match(sub, units_[sub]->start_node(), position, lowest);
        for (const Way& first : inner) {
          const Ways rest_ways = *Match(unit_index, target, first.position, lowest);
          for (const Way& rest : rest_ways) {
            const Item* item = NewItem(sub, false, first.children, rest.children);
            if (!item) break;
            Add(ways, rest.position, item);
          }
        }
      } else if (t->label == kLabelEmpty) {
        const Ways rest_ways = *Match(unit_index, target, position, lowest);
        for (const Way& rest : rest_ways) Add(ways, rest.position, rest.children);
      } else if (position < length && t->label == sequence_[static_cast<std::size_t>(position)]) {
        const Ways rest_ways = *Match(unit_index, target, position + 1, lowest);
        for (const Way& rest : rest_ways) {
          const Item* item = NewItem(t->label, true, nullptr, rest.children);
          if (!item) break;
          Add(ways, rest.position, item);
        }
      }
    }
  }

  struct Active {
    int depth;
    const Ways* seed;
    bool met_again;
  };

  const std::unique_ptr<GrammarUnit>* units_;
  int unit_count_;
  const std::vector<int32_t>& sequence_;
  std::unordered_map<uint64_t, const Ways*> memo_;
  std::unordered_map<uint64_t, Active> active_;
  std::deque<Ways> results_;
  std::deque<Item> items_;
  std::size_t records_ = 0;
  bool failed_ = false;
};

// The tree of a way into the pool: a node per unit (its index) and per word
// (its id, value 1), children in order. False when the pool is exhausted.
bool BuildTree(ParseNodePool* pool, ParseNode* parent, const UnitMatcher::Item* items) {
  for (const UnitMatcher::Item* item = items; item; item = item->next) {
    ParseNode* node = pool->NewNode();
    if (!node) return false;
    node->label = static_cast<int16_t>(item->label);
    if (item->word) node->value = 1;
    parent->AddChildBack(node);
    if (!item->word && !BuildTree(pool, node, item->children)) return false;
  }
  return true;
}

}  // namespace

int CGrammar::Parse(const char* text, CParseToken* tokens) {
  if (!text || !units_[0]) return 0;
  if (std::strlen(text) / 2 >= static_cast<std::size_t>(kParseLattice)) return 0;
  auto candidates = std::make_unique<CandidateSegmentations>(text, *words_);
  NBestList list(kParseCandidates, 1);
  candidates->Fill(&list);
  for (int h = 0; h < list.count(); ++h) {
    const Hypothesis& hypothesis = list.Get(h);
    const std::vector<int32_t> sequence(hypothesis.ids, hypothesis.ids + hypothesis.count);
    parse_nodes_.Reset();
    UnitMatcher matcher(units_, unit_count_, sequence);
    const UnitMatcher::Way* way = matcher.Run();
    if (!way) continue;
    ParseNode* root = parse_nodes_.NewNode();
    if (!root || !BuildTree(&parse_nodes_, root, way->children)) return 0;
    root->label = 0;
    if (tokens && parse_nodes_.FillTokens(tokens, kParseTokens, words_.get(), unit_names_.get()) < 0) {
      tokens[0].Reset();
      return 0;
    }
    return 1;
  }
  return 0;
}

}  // namespace vok
