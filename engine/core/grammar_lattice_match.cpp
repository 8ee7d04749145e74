// Lattice matching: the start frames of the text spans ending at a frame
// that a network accepts, over the word entries of a back-trace table. The
// walk backwards from the end node is done as a table over (node, frame),
// frame by frame from the last one down, so that shared sub-walks are
// counted once and cycles of the network cannot loop (every word step goes
// to an earlier frame).
#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "engine/core/back_trace_table.h"
#include "engine/core/grammar_unit.h"

namespace vok {

namespace {

constexpr int kLatticeFrames = 2000;
constexpr int64_t kMaxHits = INT32_MAX;

struct WalkState {
  int64_t walks = 0;         // walks arriving here, saturating
  int32_t best = INT32_MIN;  // best walked score among them
};

int64_t AddSaturating(int64_t a, int64_t b) { return std::min(kMaxHits, a + b); }

// True when the start node can be reached backwards from the node through
// empty and filler arcs.
bool StartReachable(const GrammarUnit& unit, const UnitNode* node) {
  std::vector<const UnitNode*> stack{node};
  std::set<const UnitNode*> seen{node};
  while (!stack.empty()) {
    const UnitNode* at = stack.back();
    stack.pop_back();
    if (at == unit.start_node()) return true;
    for (const UnitTransition* t = at->first_in; t; t = t->next_in) {
      if ((t->label == kLabelEmpty || t->label == kLabelFiller) &&
          seen.insert(static_cast<const UnitNode*>(t->source)).second) {
        stack.push_back(static_cast<const UnitNode*>(t->source));
      }
    }
  }
  return false;
}

// The incoming arcs of the node with the label or the filler label, also
// those of earlier nodes reached through incoming empty arcs.
std::vector<const UnitTransition*> Incoming(const UnitNode* node, int32_t label) {
  std::vector<const UnitTransition*> found;
  std::vector<const UnitNode*> stack{node};
  std::set<const UnitNode*> seen{node};
  while (!stack.empty()) {
    const UnitNode* at = stack.back();
    stack.pop_back();
    for (const UnitTransition* t = at->first_in; t; t = t->next_in) {
      if (t->label == label || t->label == kLabelFiller) {
        found.push_back(t);
      } else if (t->label == kLabelEmpty && seen.insert(static_cast<const UnitNode*>(t->source)).second) {
        stack.push_back(static_cast<const UnitNode*>(t->source));
      }
    }
  }
  return found;
}

int16_t ClampScore(int32_t score) {
  return static_cast<int16_t>(std::clamp<int32_t>(score, INT16_MIN, INT16_MAX));
}

}  // namespace

int GrammarUnit::MatchLattice(int frame, const BackTraceTable& table, uint16_t* frames, int16_t* scores,
                              int capacity) const {
  if (frame < 0 || frame >= kLatticeFrames || !start() || !end()) return 0;
  std::vector<int64_t> hits(static_cast<std::size_t>(frame) + 1, 0);
  std::vector<int32_t> best(static_cast<std::size_t>(frame) + 1, kEmptyScore);
  std::vector<std::map<const UnitNode*, WalkState>> states(static_cast<std::size_t>(frame) + 1);
  states[static_cast<std::size_t>(frame)][end_node()] = WalkState{1, 0};
  std::map<const UnitNode*, bool> reaches_start;
  for (int f = frame; f >= 0; --f) {
    const auto& here = states[static_cast<std::size_t>(f)];
    if (here.empty()) continue;
    const std::vector<SortedRecord> entries = table.FrameList(f);
    for (const auto& [node, state] : here) {
      int64_t& count = hits[static_cast<std::size_t>(f)];
      if (node == start_node()) {
        count = AddSaturating(count, state.walks);
        best[static_cast<std::size_t>(f)] = std::max(best[static_cast<std::size_t>(f)], state.best);
        continue;
      }
      auto known = reaches_start.find(node);
      if (known == reaches_start.end())
        known = reaches_start.emplace(node, StartReachable(*this, node)).first;
      if (known->second) count = AddSaturating(count, state.walks);
      for (const SortedRecord& entry : entries) {
        const int from = entry.back;
        if (entry.label == BackTraceTable::kNoWord || from >= f) continue;
        for (const UnitTransition* t : Incoming(node, entry.label)) {
          WalkState& next = states[static_cast<std::size_t>(from)][static_cast<const UnitNode*>(t->source)];
          next.walks = AddSaturating(next.walks, state.walks);
          next.best = std::max(next.best, state.best + entry.score);
        }
      }
    }
    states[static_cast<std::size_t>(f)].clear();
  }
  int64_t total = 0;
  for (int64_t count : hits) total = AddSaturating(total, count);
  if (frames && scores && capacity > 0) {
    int listed = 0;
    for (int f = 0; f <= frame && listed < total; ++f) {
      if (hits[static_cast<std::size_t>(f)] == 0) continue;
      const int at = frames[0] + 1;
      if (at >= capacity) break;
      frames[at] = static_cast<uint16_t>(f);
      scores[at] = ClampScore(best[static_cast<std::size_t>(f)]);
      frames[0] = static_cast<uint16_t>(at);
      scores[0] = static_cast<int16_t>(at);
      ++listed;
    }
  }
  return static_cast<int>(total);
}

}  // namespace vok
