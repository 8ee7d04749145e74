#include "engine/SyllableLatticeEngine/stack_decoder.h"

#include <algorithm>
#include <climits>
#include <span>

#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/resources.h"

namespace vok {

namespace {

constexpr const char* kSection = "LMBackend";

int16_t Clamp16(int value) { return static_cast<int16_t>(std::clamp(value, 0, 32767)); }

}  // namespace

StackDecoder::StackDecoder(const Resources* resources, const CoreLM* core)
    : core_(core), stack_pool_(kStackBlock, kStackBytes), theory_pool_(kTheoryBlock, kTheoryBytes, true) {
  if (resources) ReadOptions(*resources, false);
  PrintHeader();
}

int StackDecoder::ReadOptions(const Resources& resources, bool reload) {
  int result = 0;
  int value = word_insertion_penalty_;
  if (ReadRequiredInt(resources, kSection, "WordInsertionPenalty", &value) == 0) {
    set_word_insertion_penalty(value);
  } else {
    result = -1;
  }
  value = 0;
  resources.GetInt(kSection, "WordStartOffsetPen", &value);
  word_start_offset_pen_ = value;
  FlushOptionErrors(reload);
  return result;
}

void StackDecoder::set_word_insertion_penalty(int penalty) { word_insertion_penalty_ = Saturate16(penalty); }

TheoryStack* StackDecoder::StackAt(int frame) const {
  if (frame == -1) return const_cast<TheoryStack*>(&final_stack_);
  if (frame < 0 || frame >= kStacks) return nullptr;
  return stacks_[frame];
}

TheoryStack* StackDecoder::MakeStack(int frame) {
  if (frame == -1) return &final_stack_;
  if (frame < 0 || frame >= kStacks) return nullptr;
  if (!stacks_[frame]) {
    TheoryStack* stack = nullptr;
    if (stack_pool_.New(&stack) < 0) return nullptr;
    stack->Reset();
    stack->TradeStorage(&spare_storage_);
    stacks_[frame] = stack;
  }
  return stacks_[frame];
}

// Most theories taken from a stack only join a chain: the record is written
// whole, once, where it is needed.
[[gnu::always_inline]] inline Theory* StackDecoder::NewTheory(const TheoryRef& ref) {
  Theory* theory = nullptr;
  const int id = theory_pool_.New(&theory);
  if (id < 0) {
    NoteTheoryPoolFull(ref.frame);
    return nullptr;
  }
  *theory = Theory{ref.word, ref.frame, ref.score, ref.state, Theory{}.word_graph, ref.link, nullptr, id};
  return theory;
}

void StackDecoder::NoteTheoryPoolFull(int frame) {
  if (theory_pool_full_) return;
  theory_pool_full_ = true;
  ErrorSet("StackDecoder::Decode", -1, "errTheoryPoolFull");
  WarningMessage("Theory pool full at frame %d: the stack decoder drops the theories it has no room for",
                 frame);
}

int32_t StackDecoder::StateOf(uint16_t word) const {
  if (page_) return page_->WordClass(word);
  return core_ ? core_->ScoringClass(word) : 0;
}

void StackDecoder::ClearStacks(int last) {
  // Stacks of a longer earlier utterance go too: their records return to the pools.
  const int through = std::min(std::max(last, cleared_through_) + 1, kStacks - 1);
  cleared_through_ = last;
  for (int f = 0; f <= through; ++f) {
    stacks_[f] = nullptr;
    // Sentence scores are 32-bit: a 16-bit empty score would prune every
    // word of a long utterance once its sums passed -27768.
    frame_best_[f] = TheoryStack::kEmptyBest;
  }
  final_stack_.Reset();
  stack_pool_.Clear();
  theory_pool_.Clear();
  seed_ = nullptr;
}

int StackDecoder::Decode(BackTraceTable* table, const CLexTree* constraint, int beam, int max_extend) {
  if (!core_ || !lexicon_) {
    ErrorSet("StackDecoder::Decode", -1, "errNoLanguageModel");
    ClearStacks(-1);
    return -1;
  }
  if (constraint && !constraint->backward()) {
    ErrorSet("StackDecoder::Decode", -1, "errForwardLexicalTree");
    ClearStacks(-1);
    return -1;
  }
  int last = table ? table->frames_completed() - 1 : -1;
  // A search that ends in silence names the word end before it as the final
  // record: the sentence ends there.
  if (table && table->final_record() >= 0)
    last = std::min<int>(last, table->GetRecord(table->final_record())->frame);
  if (last < 0 || last > BackTraceTable::kMaxFrame) {
    ErrorSet("StackDecoder::Decode", -1, "errBadFrameCount");
    ClearStacks(std::clamp(last, -1, BackTraceTable::kMaxFrame));
    last_frame_ = -1;
    return -1;
  }
  beam_ = Clamp16(beam);
  max_extend_ = Clamp16(max_extend);
  table_ = table;
  constraint_ = constraint;
  const uint64_t shape = constraint ? constraint->shape_revision() : 0;
  const uint64_t entries = constraint ? constraint->entries_revision() : 0;
  if (constraint != cached_tree_ || shape != cached_shape_) child_cache_.Clear();
  if (constraint != cached_tree_ || entries != cached_entries_) word_cache_.Clear();
  cached_tree_ = constraint;
  cached_shape_ = shape;
  cached_entries_ = entries;
  hypothesis_mode_ = table->hypothesis_mode();
  if (page_) {
    recombination_.UseHash();
  } else {
    recombination_.UseSlots(core_->class_count(), core_->token_class(CoreLM::kUnknown));
  }
  last_frame_ = last;

  timing_.Start();
  if (page_) page_->StartUtterance();
  theories_ = 0;
  entries_ = 0;
  theory_pool_full_ = false;
  ClearStacks(last);
  const uint16_t end_word = page_ ? page_->token_id(PageLM::kEnd) : core_->token_id(CoreLM::kEnd);
  const uint16_t start_word = page_ ? page_->token_id(PageLM::kStart) : core_->token_id(CoreLM::kStart);
  older_form_ = !page_ && !core_->semi_class_bigram();
  if (older_form_) scorer_.Update(*core_);
  seed_ = NewTheory(TheoryRef{0, StateOf(end_word), end_word, static_cast<int16_t>(last), false, nullptr});
  TheoryStack* seed_stack = MakeStack(last);
  if (seed_ && seed_stack) seed_stack->Push(RefOf(seed_));

  for (int t = last; t >= 1; --t) {
    TheoryStack* stack = stacks_[t];
    if (!stack || stack->count() == 0) continue;
    ExpandFrame(t, *stack);
    entries_ += static_cast<int32_t>(items_.size());
    ExtendStack(stack, t);
  }
  items_.assign(1, WordEntryItem{-1, start_word, 0});
  if (stacks_[0]) ExtendStack(stacks_[0], 0);

  total_theories_ += theories_;
  total_entries_ += entries_;
  timing_.set_last_frames(last + 1);
  timing_.Stop();
  if (page_) page_->EndUtterance();
  return 0;
}

void StackDecoder::ExpandFrame(int t, const TheoryStack& stack) {
  items_.clear();
  if (constraint_) {
    ExpandThroughTree(t, stack);
    return;
  }
  int count = 0;
  const SortedRecord* list = table_->SortedList(t, &count);
  for (int i = 0; i < count; ++i) {
    const SortedRecord& entry = list[i];
    if (entry.back >= t) continue;  // a word must start before it ends
    const int32_t score = entry.score + core_->GetUnigramScore(entry.label) + word_insertion_penalty_;
    items_.push_back(WordEntryItem{static_cast<int16_t>(entry.back), entry.label, score});
  }
}

int StackDecoder::ExpandThroughTree(int t, const TheoryStack& stack) {
  const int64_t stack_best = stack.best();
  arcs_.assign(1, Arc{0, t, 0});
  found_.clear();
  while (!arcs_.empty()) {
    const Arc arc = arcs_.back();
    arcs_.pop_back();
    int count = 0;
    const SortedRecord* list = table_->SortedList(arc.frame, &count);
    const auto entries = static_cast<std::size_t>(count);
    // The children first: the lookups do not depend on one another, so
    // their cache misses overlap.
    children_.resize(entries);
    if (arc.node != 0) {
      for (std::size_t i = 0; i < entries; ++i) child_cache_.Prefetch(arc.node, list[i].label);
    }
    for (std::size_t i = 0; i < entries; ++i) {
      const SortedRecord& entry = list[i];
      children_[i] = entry.back < arc.frame ? FindChild(arc.node, entry.label) : -1;
    }
    CollectWords(arc, list, stack_best);
    const uint16_t* const words = word_cache_.words();
    for (std::size_t i = 0; i < entries; ++i) {
      const int child = children_[i];
      if (child < 0) continue;
      const SortedRecord& entry = list[i];
      const int32_t score = arc.score + entry.score;
      const int start = entry.back;
      if (!(score + stack_best + beam_ > frame_best_[start])) continue;
      const TreeWordCache::Span span = child_words_[i];
      for (const uint16_t word : std::span(words + span.begin, span.count)) {
        const int32_t item_score = score + core_->GetUnigramScore(word) + word_insertion_penalty_;
        found_.push_back(WordEntryItem{static_cast<int16_t>(start), word, item_score});
        const int64_t reached = item_score + stack_best;
        if (reached > frame_best_[start]) frame_best_[start] = static_cast<int32_t>(reached);
      }
      if (constraint_->GetNode(child)->child >= 0 && start > 0) arcs_.push_back(Arc{child, start, score});
    }
  }
  for (const WordEntryItem& item : found_) {
    if (item.score + stack_best + beam_ > frame_best_[item.start]) items_.push_back(item);
  }
  return static_cast<int>(items_.size());
}

void StackDecoder::CollectWords(const Arc& arc, const SortedRecord* list, int64_t stack_best) {
  const std::size_t entries = children_.size();
  child_words_.resize(entries);
  for (std::size_t i = 0; i < entries; ++i) {
    child_words_[i] = TreeWordCache::Span{0, 0};
    if (children_[i] < 0) continue;
    // Frame bests only rise: a child that fails the beam now fails it later.
    const SortedRecord& entry = list[i];
    if (!(arc.score + entry.score + stack_best + beam_ > frame_best_[entry.back])) continue;
    child_words_[i] = word_cache_.Find(*constraint_, children_[i]);
  }
}

int StackDecoder::FindChild(int node, uint16_t syllable) {
  // The root's children are a table of the tree's own.
  if (node == 0) return constraint_->FindChild(node, syllable);
  return child_cache_.Find(*constraint_, node, syllable);
}

// With a page model or start windows, called for every theory and item of a
// frame: kept small so that it compiles into ExtendStack's loop, with the
// rarer work out of line.
inline int StackDecoder::ExtendTheory(Theory* theory, const Extension& extension, int t) {
  const WordEntryItem& item = extension.item;
  const int start = item.start;
  const bool windows = has_start_windows();
  const TheoryStack* target = start == -1 ? &final_stack_ : stacks_[start];
  const int lm = older_form_ ? scorer_.Score(extension.row, scorer_.NextOf(theory->state))
                             : OtherLanguageScore(theory, item.word);
  if (lm < -27767) return 0;
  const int32_t score = theory->score + item.score + lm;
  // Most scores fall out of the beam here, without a call.
  if (target && !windows && !(int64_t{score} > int64_t{target->best()} - beam_)) return 0;
  const int pushed = PushTheory(extension, theory, start, score);
  if (start < 0 || !windows) return pushed;
  return pushed + PushIntoWindows(extension, theory, score, t);
}

int StackDecoder::OtherLanguageScore(const Theory* theory, uint16_t word) const {
  if (page_) {
    return theory->parent ? page_->GetClassTrigramScore(theory->parent->state, theory->state, word)
                          : page_->GetClassBigramScore(theory->state, word);
  }
  return core_->GetContinuationScore(word, theory->state, theory->word);
}

int StackDecoder::PushIntoWindows(const Extension& extension, Theory* theory, int32_t score, int t) {
  const int start = extension.item.start;
  int pushed = 0;
  for (int k = 1; left_window_ > 0 && k <= left_window_ && start - k >= 0; ++k) {
    pushed += PushTheory(extension, theory, start - k, score + k * word_start_offset_pen_);
  }
  for (int k = 1; right_window_ > 0 && k <= right_window_ && start + k <= t - kRightWindowGap; ++k) {
    pushed += PushTheory(extension, theory, start + k, score + k * word_start_offset_pen_);
  }
  return pushed;
}

[[gnu::always_inline]] inline int StackDecoder::PushTheory(const Extension& extension, Theory* parent,
                                                           int start, int32_t score) {
  TheoryStack* stack = start >= 0 && start < kStacks && stacks_[start] ? stacks_[start] : MakeStack(start);
  if (!stack) return 0;
  const int pushed = PushInto(stack, extension, parent, start, score, beam_, max_extend_ + 1);
  theories_ += pushed;
  return pushed;
}

[[gnu::always_inline]] inline int StackDecoder::PushInto(TheoryStack* stack, const Extension& extension,
                                                         Theory* parent, int start, int32_t score, int beam,
                                                         int keep) {
  // An empty stack's best less the beam stays above INT32_MIN.
  if (!(score > stack->best() - beam)) return 0;
  const auto frame = static_cast<int16_t>(start);
  // The final stack's theories get their records at once.
  const bool made = start < 0;
  Theory* link = parent;
  if (made &&
      !(link = NewTheory(TheoryRef{score, extension.state, extension.item.word, frame, false, parent})))
    return 0;
  if (stack->Push(score, extension.state, extension.item.word, frame, made, link) < 0) {
    if (made) theory_pool_.Delete(link->id);
    return 0;
  }
  // Nothing beyond the first max_extend + 1 theories of a stack is ever
  // extended, so the rest are dropped before they fill the pool.
  if (start >= 0 && stack->count() >= 2 * keep) {
    stack->KeepBest(keep, [this](const TheoryRef& dropped) { ReleaseTheory(dropped); });
  }
  return 1;
}

template <bool kOlderForm>
int StackDecoder::ExtendWithinBeam(Theory* theory) {
  // The scores of all live extensions first, without a branch on the beam,
  // which is as likely to pass as not; a stack's best only rises, so the
  // pushes after, checked against the best as it stands then, are those the
  // extensions one by one would make. An extension that falls out of the
  // beam even with its best language score is dead for the rest of the
  // stack: its theories come best first, and the floor only rises. The
  // extensions come by the stack they push into, so that each floor is read
  // once; the pushes into one stack keep the order of the items.
  // Grown, never shrunk: a resize would clear the grown part for every theory.
  if (candidates_.size() < live_.size()) candidates_.resize(live_.size());
  Candidate* const candidates = candidates_.data();
  const Extension* const extensions = extensions_.data();
  uint32_t* const live = live_.data();
  const int64_t theory_score = theory->score;
  const ContinuationScorer::Next next = scorer_.NextOf(theory->state);
  std::size_t count = 0;
  for (ExtensionGroup& group : groups_) {
    const TheoryStack* target = group.start == -1 ? &final_stack_ : stacks_[group.start];
    const int64_t floor = target ? int64_t{target->best()} - beam_ : INT64_MIN;
    const std::size_t end = group.begin + group.live;
    std::size_t kept = group.begin;
    for (std::size_t k = group.begin; k < end; ++k) {
      const uint32_t index = live[k];
      const Extension& extension = extensions[index];
      const int64_t reach = theory_score + extension.item.score;
      if (reach + extension.row.best <= floor) continue;
      live[kept++] = index;
      const int lm =
          kOlderForm ? scorer_.Score(extension.row, next) : OtherLanguageScore(theory, extension.item.word);
      const int64_t score = reach + lm;
      candidates[count] = Candidate{index, static_cast<int32_t>(score)};
      count += static_cast<std::size_t>((lm >= -27767) & (score > floor));
    }
    group.live = kept - group.begin;
    group.candidates_end = count;
  }
  // The pushes, a target stack at a time.
  const int beam = beam_;
  const int keep = max_extend_ + 1;
  int made = 0;
  std::size_t k = 0;
  for (const ExtensionGroup& group : groups_) {
    const std::size_t end = group.candidates_end;
    if (k == end) continue;
    const int start = group.start;
    TheoryStack* stack = MakeStack(start);
    if (!stack) {
      k = end;
      continue;
    }
    for (; k < end; ++k)
      made += PushInto(stack, extensions_[candidates[k].extension], theory, start, candidates[k].score, beam,
                       keep);
  }
  theories_ += made;
  return made;
}

void StackDecoder::PrepareExtension(const WordEntryItem& item, Extension* extension) {
  extension->item = item;
  extension->state = StateOf(item.word);
  if (older_form_) {
    extension->row = scorer_.RowOf(*core_, item.word);
  } else {
    extension->row = ContinuationScorer::Row{};
    extension->row.best = kAnyLanguageScore;
  }
}

void StackDecoder::PrepareExtensions() {
  // Written in place: a record put together on the stack and copied whole
  // waited for its parts to be stored.
  // Grown, never shrunk: the items of each stack fill their front.
  if (extensions_.size() < items_.size()) {
    extensions_.resize(items_.size());
    live_.resize(items_.size());
  }
  groups_.clear();
  if (!extends_within_beam()) {
    // Every theory goes through every extension, in the order of the items.
    for (std::size_t i = 0; i < items_.size(); ++i) PrepareExtension(items_[i], &extensions_[i]);
    return;
  }
  // By start frame, each start's items in their order: the starts are few.
  for (const WordEntryItem& item : items_) {
    int16_t& group = group_of_start_[static_cast<std::size_t>(item.start + 1)];
    if (group < 0) {
      group = static_cast<int16_t>(groups_.size());
      groups_.push_back(ExtensionGroup{item.start, 0, 0, 0});
    }
    ++groups_[static_cast<std::size_t>(group)].live;
  }
  std::size_t begin = 0;
  for (ExtensionGroup& group : groups_) {
    group.begin = begin;
    begin += group.live;
    group.live = 0;
  }
  for (const WordEntryItem& item : items_) {
    ExtensionGroup& group =
        groups_[static_cast<std::size_t>(group_of_start_[static_cast<std::size_t>(item.start + 1)])];
    const std::size_t i = group.begin + group.live++;
    PrepareExtension(item, &extensions_[i]);
    live_[i] = static_cast<uint32_t>(i);
  }
  for (const ExtensionGroup& group : groups_) group_of_start_[static_cast<std::size_t>(group.start + 1)] = -1;
}

void StackDecoder::ExtendStack(TheoryStack* stack, int t) {
  const int64_t threshold = int64_t{stack->best()} - beam_;
  recombination_.Clear();
  kept_.clear();
  PrepareExtensions();
  const int limit = max_extend_;
  int taken = 0;
  stack->Order(static_cast<int32_t>(threshold));
  // What is kept is read from its record.
  for (TheoryRef ref; stack->Pop(&ref);) {
    if (++taken > limit) {
      ReleaseTheory(ref);
      break;
    }
    if (!ref.made) {
      Theory* record = NewTheory(ref);
      if (!record) continue;  // the pool is used up
      ref.made = true;
      ref.link = record;
    }
    if (recombination_.Add(ref)) continue;  // joined the chain of a better theory
    int made = 0;
    if (extends_within_beam()) {
      made = older_form_ ? ExtendWithinBeam<true>(ref.link) : ExtendWithinBeam<false>(ref.link);
    } else {
      for (std::size_t i = 0; i < items_.size(); ++i) made += ExtendTheory(ref.link, extensions_[i], t);
    }
    if (made > 0) {
      stack->CountExtended();
      kept_.push_back(RefOf(ref.link));
    }
  }
  // Nothing else of the stack is extended; the order they go back in does not matter.
  stack->ReleaseAll([this](const TheoryRef& rest) { ReleaseTheory(rest); });
  stack->TradeStorage(&spare_storage_);
  for (const TheoryRef& extended : kept_) stack->Push(extended);
}

std::vector<Theory*> StackDecoder::FinalTheories() { return final_stack_.Snapshot(); }

bool StackDecoder::ReadPath(Theory* head, int32_t relative, int floor, uint16_t* path, int depth,
                            NBestList* list) {
  bool produced_any = false;
  for (Theory* alt = head; alt; alt = alt->next) {
    const int32_t score = relative + (alt->score - head->score);
    if (score < floor || score <= list->AdmissionScore()) break;
    bool produced;
    if (!alt->parent) {
      produced = list->Insert(score, path, depth) == 1;
    } else if (depth >= kMaxPathWords) {
      produced = false;  // longer than a hypothesis holds
    } else {
      path[depth] = alt->word;
      produced = ReadPath(alt->parent, score, floor, path, depth + 1, list);
    }
    if (!produced) break;
    produced_any = true;
  }
  return produced_any;
}

int StackDecoder::GetNBest(NBestList* list, int floor) {
  const std::vector<Theory*> finals = FinalTheories();
  if (finals.empty() || !list) return -1;
  const int32_t best = finals.front()->score;
  list->set_best_score(best);
  uint16_t path[kMaxPathWords];
  for (Theory* final : finals) {
    const int64_t relative = int64_t{final->score} - best;
    if (relative < floor) break;
    if (final->parent) ReadPath(final->parent, static_cast<int32_t>(relative), floor, path, 0, list);
  }
  return list->count() > 0 ? 0 : -1;
}

bool StackDecoder::MatchPath(Theory* head, const uint16_t* ids, int n, int i, std::vector<Theory*>* chosen) {
  for (Theory* alt = head; alt; alt = alt->next) {
    if (i == n) {
      if (!alt->parent) return true;
      continue;
    }
    if (!alt->parent || alt->word != ids[i]) continue;
    (*chosen)[static_cast<std::size_t>(i)] = alt;
    if (MatchPath(alt->parent, ids, n, i + 1, chosen)) return true;
  }
  return false;
}

int StackDecoder::GetAlternatives(const uint16_t* word_ids, CAlternativeList* records) {
  if (!word_ids || !records || word_ids[0] == 0 || word_ids[0] > kMaxPathWords) return -1;
  const int n = word_ids[0];
  const uint16_t* ids = word_ids + 1;
  std::vector<Theory*> chosen(static_cast<std::size_t>(n), nullptr);
  bool found = false;
  for (Theory* final : FinalTheories()) {
    if (final->parent && MatchPath(final->parent, ids, n, 0, &chosen)) {
      found = true;
      break;
    }
  }
  if (!found) return -1;
  for (int i = 0; i < n; ++i) {
    const Theory* spoken = chosen[static_cast<std::size_t>(i)];
    CAlternativeList& record = records[i];
    record = CAlternativeList();
    record.Add(ids[i], 0);
    TheoryStack* stack = StackAt(spoken->frame);
    if (!stack) continue;
    const int next_start = spoken->parent->frame;
    bool full = false;
    for (Theory* head : stack->Snapshot()) {
      for (Theory* theory = head; theory && !full; theory = theory->next) {
        int32_t score = theory->score - stack->best();
        if (!theory->parent || theory->parent->frame != next_start) score -= kAlternativePenalty;
        full = record.Add(theory->word, Saturate16(score)) < 0;
      }
      if (full) break;
    }
  }
  records[n] = CAlternativeList();
  return 0;
}

int32_t StackDecoder::GetReferenceScore(const uint16_t* word_ids) {
  if (!word_ids || word_ids[0] > kMaxPathWords) return kNoReference;
  const int n = word_ids[0];
  const uint16_t* ids = word_ids + 1;
  // Best relative score from a head at word i to the end, by depth-first
  // search; each chain switch costs the difference to its head.
  struct Search {
    const uint16_t* ids;
    int n;
    int64_t Best(const Theory* head, int i) const {
      int64_t best = INT64_MIN;
      for (const Theory* alt = head; alt; alt = alt->next) {
        const int64_t switch_cost = int64_t{alt->score} - head->score;
        if (i == n) {
          if (!alt->parent) best = std::max(best, switch_cost);
          continue;
        }
        if (!alt->parent || alt->word != ids[i]) continue;
        const int64_t rest = Best(alt->parent, i + 1);
        if (rest != INT64_MIN) best = std::max(best, switch_cost + rest);
      }
      return best;
    }
  } search{ids, n};
  int64_t best = INT64_MIN;
  for (Theory* final : FinalTheories()) {
    if (!final->parent) continue;
    const int64_t rest = search.Best(final->parent, 0);
    if (rest != INT64_MIN) best = std::max(best, final->score + rest);
  }
  return best == INT64_MIN ? kNoReference
                           : static_cast<int32_t>(std::clamp<int64_t>(best, INT32_MIN + 1, INT32_MAX));
}

int StackDecoder::DecodeWithPageLM(NBestList* list, int beam) {
  if (!page_ || !list || last_frame_ < 0) return -1;
  // The words of the stacks as forward items by start frame.
  struct Item {
    int end;
    uint16_t word;
    int32_t score;
  };
  std::vector<std::vector<Item>> starting(static_cast<std::size_t>(last_frame_) + 1);
  for (int f = 0; f <= last_frame_; ++f) {
    TheoryStack* stack = stacks_[f];
    if (!stack) continue;
    for (Theory* head : stack->Snapshot()) {
      for (Theory* t = head; t; t = t->next) {
        if (!t->parent || t->parent->frame <= f) continue;
        starting[static_cast<std::size_t>(f)].push_back(
            Item{t->parent->frame, t->word, t->score - t->parent->score});
      }
    }
  }
  // Partial paths per frame, keyed by their last two words.
  struct Path {
    uint16_t previous;
    uint16_t last;
    int64_t score;
    int back;  // index of the path it grew from, in its frame; -1 at the start
    int back_frame;
  };
  const uint16_t start_word = page_->token_id(PageLM::kStart);
  std::vector<std::vector<Path>> paths(static_cast<std::size_t>(last_frame_) + 1);
  paths[0].push_back(Path{start_word, start_word, 0, -1, -1});
  const int64_t width = std::clamp(beam, 0, 32767);
  page_->StartUtterance();
  for (int f = 0; f < last_frame_; ++f) {
    std::vector<Path>& here = paths[static_cast<std::size_t>(f)];
    if (here.empty()) continue;
    int64_t best = INT64_MIN;
    for (const Path& p : here) best = std::max(best, p.score);
    for (int i = 0; i < static_cast<int>(here.size()); ++i) {
      const Path p = here[static_cast<std::size_t>(i)];
      if (width > 0 && p.score < best - width) continue;
      for (const Item& item : starting[static_cast<std::size_t>(f)]) {
        const int lm = p.back < 0 ? page_->GetBigramScore(start_word, item.word)
                                  : page_->GetTrigramScore(p.previous, p.last, item.word);
        const int64_t score = p.score + item.score + lm;
        std::vector<Path>& there = paths[static_cast<std::size_t>(item.end)];
        auto same = std::find_if(there.begin(), there.end(),
                                 [&](const Path& q) { return q.previous == p.last && q.last == item.word; });
        if (same == there.end()) {
          there.push_back(Path{p.last, item.word, score, i, f});
        } else if (score > same->score) {
          *same = Path{p.last, item.word, score, i, f};
        }
      }
    }
  }
  page_->EndUtterance();
  const std::vector<Path>& finals = paths[static_cast<std::size_t>(last_frame_)];
  if (finals.empty()) return -1;
  const Path* best = &finals.front();
  for (const Path& p : finals) {
    if (p.score > best->score) best = &p;
  }
  std::vector<uint16_t> words;
  for (const Path* p = best; p && p->back >= 0;) {
    words.push_back(p->last);
    p = &paths[static_cast<std::size_t>(p->back_frame)][static_cast<std::size_t>(p->back)];
  }
  if (static_cast<int>(words.size()) > kMaxPathWords) return -1;
  std::reverse(words.begin(), words.end());
  list->Reset(0, 1);
  list->Append(static_cast<int32_t>(std::clamp<int64_t>(best->score, INT16_MIN + 1, INT16_MAX)), words.data(),
               static_cast<int>(words.size()));
  return 0;
}

int64_t StackDecoder::GetMemoryUsage() const {
  return int64_t{kStacks} * 6 + theory_pool_.PoolMemoryUse() + stack_pool_.PoolMemoryUse();
}

void StackDecoder::PrintHeader() const {
  LogPrint("\nCLMBackendEngine Header\n");
  LogPrint("---------------------------\n");
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("--------------------------\n");
}

void StackDecoder::PrintSummary() const {
  const int frames = timing_.last_frames();
  if (frames <= 0) return;
  LogPrint("Stack decode summary:\n");
  timing_.PrintUtterance();
  LogPrint("Theories evaluated = %d (%d per frame)\n", theories_, theories_ / frames);
  LogPrint("Word entries = %d (%d per frame)\n", entries_, entries_ / frames);
}

void StackDecoder::PrintReport() const {
  const int utterances = timing_.utterances();
  if (utterances <= 0) return;
  LogPrint("\nStack Search Engine Report\n");
  LogPrint("--------------------------------------------------------\n");
  timing_.PrintTotals();
  const int frames = timing_.total_frames();
  LogPrint("Total theories evaluated = %d (%d per utt, %4.1f per frame)\n", total_theories_,
           total_theories_ / utterances, frames > 0 ? static_cast<double>(total_theories_) / frames : 0.0);
  LogPrint("Total word entries = %d (%d per utt, %4.1f per frame)\n", total_entries_,
           total_entries_ / utterances, frames > 0 ? static_cast<double>(total_entries_) / frames : 0.0);
}

}  // namespace vok
