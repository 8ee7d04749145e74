// The stack decoder: searches a back-trace table of word (or syllable)
// entries from the end of the utterance to its start, one stack of sentence
// theories per frame, with a language model, a beam and an extension limit,
// and reads N-best sentences and per-word alternatives from the result.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/SyllableLatticeEngine/continuation_scorer.h"
#include "engine/SyllableLatticeEngine/recombination_table.h"
#include "engine/SyllableLatticeEngine/theory.h"
#include "engine/SyllableLatticeEngine/theory_stack.h"
#include "engine/SyllableLatticeEngine/tree_child_cache.h"
#include "engine/SyllableLatticeEngine/tree_word_cache.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/timing_stats.h"

namespace vok {

class CAlternativeList;
class CLexTree;
class CLexicon;
class NBestList;
class PageLM;
class Resources;

class StackDecoder {
 public:
  // Stacks for frames 0 to 2000, and one more for the frame after the last.
  static constexpr int kStacks = BackTraceTable::kFrames + 1;
  static constexpr int kTheoryBlock = 2000;
  static constexpr int kStackBlock = 200;
  static constexpr int kTheoryBytes = 28;
  static constexpr int kStackBytes = 16;
  static constexpr int kAlternativePenalty = 300;
  static constexpr int kRightWindowGap = 6;
  static constexpr int32_t kNoReference = INT32_MIN;
  static constexpr int kMaxPathWords = 200;

  // Reads the options, builds the pools and prints the header.
  StackDecoder(const Resources* resources, const CoreLM* core);
  StackDecoder(const StackDecoder&) = delete;
  StackDecoder& operator=(const StackDecoder&) = delete;

  // Section "LMBackend": "WordInsertionPenalty" (required) and
  // "WordStartOffsetPen". -1 when a required option is missing.
  int ReadOptions(const Resources& resources, bool reload);

  void set_lexicon(const CLexicon* lexicon) { lexicon_ = lexicon; }
  void set_core(const CoreLM* core) { core_ = core; }
  // The class trigram model scores the decode while it is set (null: the
  // core model does).
  void set_page(PageLM* page) { page_ = page; }
  PageLM* page() const { return page_; }
  void set_word_insertion_penalty(int penalty);
  void set_word_start_windows(int left, int right) {
    left_window_ = left;
    right_window_ = right;
  }
  void set_word_start_offset_pen(int penalty) { word_start_offset_pen_ = penalty; }
  // Theories also enter the stacks of frames beside a word's start.
  bool has_start_windows() const { return left_window_ > 0 || right_window_ > 0; }

  // Decodes frames T (the table's last frame, or the frame of its final
  // record when that is earlier) down to 0. -1 with an error
  // recorded when the language model or the lexicon is missing, the table
  // holds no frames or more than 2000, or the constraint is a forward tree.
  // Beam and limit are clamped to 0..32767.
  int Decode(BackTraceTable* table, const CLexTree* constraint, int beam, int max_extend);
  // Clears the stacks of frames 0 to `last`.
  void ClearStacks(int last);
  // Sentences from the final stack into the list (relative scores, the best
  // 0, the list's best score the absolute best); -1 when no sentence reached
  // the start of the utterance.
  int GetNBest(NBestList* list, int floor);
  // For each word of the count-first sequence, the words that could stand in
  // its place, into records[0 .. count] (the last record cleared). -1 when
  // the sequence is not a path of the last decode.
  int GetAlternatives(const uint16_t* word_ids, CAlternativeList* records);
  // The best absolute score of a path that spells exactly the count-first
  // sequence, or kNoReference.
  int32_t GetReferenceScore(const uint16_t* word_ids);
  // A forward pass with the page model over the theories of the last decode
  // (each word with its score less its parent's), trigram scores within the
  // sentence and a bigram after its start, pruned with the beam: the best
  // path that reaches the last frame into record 0 of the list (count 1).
  // -1 without a page model or when no path reached the end.
  int DecodeWithPageLM(NBestList* list, int beam);

  void PrintHeader() const;
  void PrintSummary() const;
  void PrintReport() const;
  int64_t GetMemoryUsage() const;

  const TimingStats& timing() const { return timing_; }
  int32_t theories_extended() const { return theories_; }
  int32_t entries_offered() const { return entries_; }
  // The last decode ran out of theory records and dropped the theories that
  // found none (reported once a decode, as errTheoryPoolFull).
  bool theory_pool_full() const { return theory_pool_full_; }
  int32_t total_theories() const { return total_theories_; }
  int32_t total_entries() const { return total_entries_; }
  int16_t word_insertion_penalty() const { return word_insertion_penalty_; }
  int32_t word_start_offset_pen() const { return word_start_offset_pen_; }
  int last_frame() const { return last_frame_; }
  int16_t beam() const { return beam_; }
  int16_t max_extend() const { return max_extend_; }
  // The stack of a frame (-1: the final stack), or null.
  TheoryStack* StackAt(int frame) const;

 private:
  // An item with what extending the theories of a stack by it needs, looked
  // up once for all of them; 20 bytes, so that the extensions of a stack
  // stay in the first-level cache beside its scores.
  struct Extension {
    WordEntryItem item;
    int32_t state;  // the word's language-model state
    // The older core form's terms; its best: no theory gets a higher
    // language score.
    ContinuationScorer::Row row;
  };
  static_assert(sizeof(Extension) == 20);
  // Above every language score, which are 16-bit.
  static constexpr int16_t kAnyLanguageScore = INT16_MAX;

  // The record of a theory whose record is not made yet, or null when the
  // pool is used up.
  Theory* NewTheory(const TheoryRef& ref);
  [[gnu::cold, gnu::noinline]] void NoteTheoryPoolFull(int frame);
  void ReleaseTheory(const TheoryRef& ref) {
    if (const Theory* record = ref.record()) theory_pool_.Delete(record->id);
  }
  TheoryStack* MakeStack(int frame);
  int32_t StateOf(uint16_t word) const;
  void ExpandFrame(int t, const TheoryStack& stack);
  int ExpandThroughTree(int t, const TheoryStack& stack);
  // A tree node to follow from the frame it reached.
  struct Arc {
    int node;
    int frame;
    int32_t score;
  };
  // The words of children_ that may pass the beam into child_words_; the
  // others are left empty.
  void CollectWords(const Arc& arc, const SortedRecord* list, int64_t stack_best);
  // The tree's child, remembered for the rest of the decode.
  int FindChild(int node, uint16_t syllable);
  void ExtendStack(TheoryStack* stack, int t);
  // Extensions without a page model or start windows are extended by
  // ExtendWithinBeam.
  bool extends_within_beam() const { return !page_ && !has_start_windows(); }
  // The extensions of items_, and for ExtendWithinBeam their groups.
  void PrepareExtensions();
  void PrepareExtension(const WordEntryItem& item, Extension* extension);
  int ExtendTheory(Theory* theory, const Extension& extension, int t);
  // ExtendTheory with every extension, without a page model or start
  // windows; the number of theories pushed. `kOlderForm`: older_form_.
  template <bool kOlderForm>
  int ExtendWithinBeam(Theory* theory);
  // The page model's or the semi-class core form's score of the word before
  // the theory.
  int OtherLanguageScore(const Theory* theory, uint16_t word) const;
  // The pushes of a word start window around the extension's start.
  int PushIntoWindows(const Extension& extension, Theory* theory, int32_t score, int t);
  int PushTheory(const Extension& extension, Theory* parent, int start, int32_t score);
  // PushTheory into the stack of `start` (`beam`: beam_, `keep`: max_extend_ +
  // 1), without counting the theory.
  int PushInto(TheoryStack* stack, const Extension& extension, Theory* parent, int start, int32_t score,
               int beam, int keep);
  bool ReadPath(Theory* head, int32_t relative, int floor, uint16_t* path, int depth, NBestList* list);
  bool MatchPath(Theory* head, const uint16_t* ids, int n, int i, std::vector<Theory*>* chosen);
  std::vector<Theory*> FinalTheories();

  TimingStats timing_;
  int32_t theories_ = 0;
  int32_t entries_ = 0;
  bool theory_pool_full_ = false;
  int32_t total_theories_ = 0;
  int32_t total_entries_ = 0;
  int last_frame_ = -1;
  int cleared_through_ = BackTraceTable::kMaxFrame;
  int16_t beam_ = 0;
  int16_t max_extend_ = 5000;
  int16_t word_insertion_penalty_ = 0;
  int32_t hypothesis_mode_ = 1;
  int32_t left_window_ = 0;
  int32_t right_window_ = 0;
  int32_t word_start_offset_pen_ = 0;
  std::vector<WordEntryItem> items_;
  // ExpandThroughTree's: the tree nodes still to follow from the frame they
  // reached, the items found, the children of one node by the entries of a
  // frame, and the words of those children.
  std::vector<Arc> arcs_;
  std::vector<WordEntryItem> found_;
  std::vector<int> children_;
  std::vector<TreeWordCache::Span> child_words_;
  std::vector<Extension> extensions_;
  // The extensions that push into one stack (start frame -1: the final
  // stack), and how many of them theories of the stack being extended can
  // still push: those are live_[begin .. begin + live).
  struct ExtensionGroup {
    int start;
    std::size_t begin;
    std::size_t live;
    // Where the candidates of the theory being extended into this stack end.
    std::size_t candidates_end;
  };
  std::vector<ExtensionGroup> groups_;
  // By start frame + 1; -1 outside PrepareExtensions.
  std::vector<int16_t> group_of_start_ = std::vector<int16_t>(kStacks + 1, -1);
  // Into extensions_.
  std::vector<uint32_t> live_;
  // An extension whose score passed the beam, and the score.
  struct Candidate {
    uint32_t extension;  // into extensions_
    int32_t score;
  };
  std::vector<Candidate> candidates_;
  // Scores the continuations when the older core form does (no page model).
  bool older_form_ = false;
  ContinuationScorer scorer_;
  std::vector<TheoryRef> kept_;  // the theories a stack extended
  const CLexicon* lexicon_ = nullptr;
  const CoreLM* core_ = nullptr;
  PageLM* page_ = nullptr;
  const CLexTree* constraint_ = nullptr;
  // Children of the constraint's nodes looked up so far, kept while the
  // tree keeps its shape.
  TreeChildCache child_cache_;
  // The words of the constraint's nodes listed so far, kept while the tree
  // keeps its entries.
  TreeWordCache word_cache_;
  const CLexTree* cached_tree_ = nullptr;
  uint64_t cached_shape_ = 0;
  uint64_t cached_entries_ = 0;
  BackTraceTable* table_ = nullptr;
  Theory* seed_ = nullptr;
  TheoryStack* stacks_[kStacks] = {};
  int32_t frame_best_[kStacks] = {};
  TheoryStack final_stack_;
  // Empty; holds the arrays of the stack extended last until the next stack
  // is made.
  TheoryStack spare_storage_;
  RecombinationTable recombination_;
  ObjectMemMgr<TheoryStack> stack_pool_;
  ObjectMemMgr<Theory> theory_pool_;
};

}  // namespace vok
