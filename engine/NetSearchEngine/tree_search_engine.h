// The speech decoder of the dictation system: a frame-synchronous Viterbi
// beam search over a lexical tree of three-state HMMs. Each tree node is one
// model of the acoustic database; words end at nodes that carry a word id, and
// at every frame the best word end re-enters the tree root. Word ends that
// survive the beams go into the system's back-trace table, from which the
// language-model back end builds sentences. Scores are renormalised every
// frame by the previous frame's best; the accumulated offset is taken out
// again on output.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/command_items.h"
#include "engine/NetSearchEngine/search_parameters.h"
#include "engine/NetSearchEngine/tree_node.h"
#include "engine/SyllableLatticeEngine/lattice_engine.h"
#include "engine/core/label_tree.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/ptr_array.h"
#include "engine/core/timing_stats.h"

namespace vok {

class BackTraceTable;
class CLexTree;
class CoreLM;
class NBestList;
class Resources;
class UtteranceSource;

class TreeSearchEngine : public NodePoolT<TreeNode>, public LatticeEngine {
 public:
  static constexpr int kMaxFrames = 2000;
  static constexpr int kBlock = 2000;
  static constexpr int kActiveRoom = 2000;
  static constexpr int kClasses = 512;
  static constexpr int kReentryWindow = 200;
  static constexpr int16_t kObservationFloor = -500;
  static constexpr int16_t kNoExit = -32767;
  static constexpr int kBaseMemory = 24368;
  // Size of a state record in the 32-bit product: six scores, four
  // back-pointers and the table of its operations.
  static constexpr int kStateBytes = 32;
  // Samples read from a stored utterance at a time: one capture block.
  static constexpr int kStoredBlockSamples = 4290;
  // Model ids of one pronunciation, and syllables of one word.
  static constexpr int kMaxPath = 400;

  // A syllable tree: every syllable of the acoustic side's table is a word
  // whose id is the syllable's index.
  TreeSearchEngine(const Resources& resources, const AcousticModels& acoustic, BackTraceTable* table);
  // A word tree of the pronunciations of the lexicon words that the language
  // model knows (one-syllable words only when their count is above the
  // threshold).
  TreeSearchEngine(const Resources& resources, const AcousticModels& acoustic, BackTraceTable* table,
                   const CLexTree& pronunciations, const CoreLM& language_model,
                   int character_count_threshold);
  ~TreeSearchEngine() override;

  // The LatticeEngine slots.
  int StartUtterance() override;
  int FinishUtterance() override;
  void PrintSummary() const override;
  void PrintReport() const override;
  // Section "Search": "LogProbMultiple" and "HMMSkipState" (required; -1
  // when either is missing), the beams and penalties (kept when absent) and
  // "LatticeBeam" (999 when absent). Values are held in 16 bits.
  int ReadOptions(const Resources& resources) override;
  // Slot 8: the search parameters (a SearchParameters record, or null to keep
  // the engine's own); with no file, the frames already in the front end's
  // input 0; with a file, its samples (PCM, mono, 16-bit at the front end's
  // rate; -1 before any frame otherwise). An utterance that reaches 2000
  // frames is cut there and finished (utterance_cut()).
  int RunWaveFile(const void* search_parameters, const char* wave_file) override;
  // Slot 9: stored utterance n of the audio session (an UtteranceSource).
  int RunStoredUtterance(const void* search_parameters, int utterance, void* audio_session) override;
  int Initialize() override;
  // Slot 11: one frame of front-end input 0; -1 when 2000 frames were
  // processed, the frame is not ready or the engine cannot run.
  int ProcessFrame();
  int ProcessInput() override { return ProcessFrame(); }
  int GetNBest(NBestList* list) override;
  int64_t GetMemoryUsage() const override;
  void PrintHeader() const override;

  // Words of the tree. The syllables are a count-first list of syllable ids;
  // the text form is a pronunciation ("ZHONG1-GUO2"). The word id, or -1
  // when a syllable has no models or the pools are exhausted.
  int AddWordPron(const uint16_t* syllables, uint16_t word);
  int AddWordPron(const char* pronunciation, uint16_t word);
  // Every node that carries the word stops ending it; 0, or -1 when none did.
  int RemoveWord(uint16_t word);
  // A command item: the pronunciation's path (with a trailing "SIL" when
  // asked) ending in the item id. 0, or -1.
  int AddCommandItem(const char* pronunciation, int32_t item, bool with_silence);
  int RemoveCommandItem(int32_t item) { return command_items_.Remove(item); }
  int EnableCommandItem(int32_t item) { return command_items_.Enable(item); }
  int DisableCommandItem(int32_t item) { return command_items_.Disable(item); }
  // The live word ends of the last frame as one-word sentences (with a table
  // only command items); -1 when there was none.
  int CollectWordEnds(NBestList* list) const;

  // A speaker change: models over the same HMM names. 0, or -1 (nothing
  // changes) when the names differ.
  int SetAcousticModels(const AcousticModels& acoustic);

  // The state pool of the active nodes.
  bool AcquireState(TreeNode* node);
  void ReleaseState(TreeNode* node);
  // The class numbers of a model: null without class tables.
  const std::array<uint16_t, 3>* ModelClasses(int model) const;

  void set_parameters(const SearchParameters& parameters) { beams_ = parameters; }
  const SearchParameters& parameters() const { return beams_; }
  int32_t threshold(SearchParameters::Index i) const { return thresholds_[i]; }
  float log_prob_multiple() const { return log_prob_multiple_; }
  int32_t skip_state() const { return skip_state_; }
  int frame() const { return frame_; }
  int16_t frame_best() const { return frame_best_; }
  int32_t accumulated_offset() const { return accumulated_offset_; }
  int tree_words() const { return tree_words_; }
  int highest_word() const { return highest_word_; }
  int silence_model() const { return silence_model_; }
  bool has_class_tables() const { return !model_classes_.empty(); }
  bool utterance_cut() const { return utterance_cut_; }
  // The back-trace table had no room for a word end of this utterance: the
  // words after that frame were lost.
  bool table_full() const { return table_full_; }
  int active_count() const { return active_->count(); }
  int32_t active_in_frame(int f) const { return f >= 0 && f < kMaxFrames ? active_per_frame_[f] : 0; }
  int32_t total_active() const { return total_active_; }
  int32_t max_active() const { return max_active_; }
  TreeNode* root() { return GetNode(0); }
  const TreeNode& start_node() const { return start_node_; }
  const TreeNode& silence_node() const { return silence_node_; }
  const CommandItemList& command_items() const { return command_items_; }
  const AcousticModels& acoustic() const { return acoustic_; }

 private:
  struct WordEnd {
    int16_t score = kEmptyScore;
    int32_t back = 0;
  };

  void Construct(const Resources& resources, const AcousticModels& acoustic);
  void BuildSyllableTree();
  void BuildWordTree(const CLexTree& pronunciations, const CoreLM& language_model, int threshold);
  void AddSilenceWord();
  void CopyClassNumbers();
  bool Usable() const { return initialized_ && silence_model_ >= 0 && acoustic_.complete(); }
  void CopyParameters(const void* search_parameters);
  // Runs the ready frames of front-end input 0 until `ready`; false once
  // the frame limit cut the utterance.
  bool RunReadyFrames(int ready);

  void ComputeThresholds(int32_t best);
  void ScoreNode(TreeNode* node, int16_t offset);
  void Propagate();
  void PropagateStartNode();
  void PropagateActiveNode(TreeNode* node);
  void PropagateSilenceNode();
  // Reports, once an utterance, a word end the table had no room for.
  void NoteTableFull();
  // The frame's best word end; `from_word` for a word of the table.
  void OfferWordEnd(int16_t score, int32_t back, bool from_word);
  void EnterTree(int16_t score, int32_t back, int word_class);
  void ReenterTree();
  void Prune(TreeNode* node, bool keep);
  void ReleaseAll();

  // The acoustic side, not owned.
  AcousticModels acoustic_;
  bool initialized_ = false;
  bool utterance_cut_ = false;
  bool table_full_ = false;

  int frame_ = 0;
  float log_prob_multiple_ = 0.0f;
  int32_t skip_state_ = 0;
  SearchParameters beams_;
  int32_t thresholds_[SearchParameters::kCount] = {};

  int16_t frame_best_ = kEmptyScore;
  int16_t frame_offset_ = 0;
  int32_t accumulated_offset_ = 0;

  std::vector<int32_t> active_per_frame_;
  std::vector<int32_t> offset_per_frame_;
  int32_t utterance_active_ = 0;
  int32_t total_active_ = 0;
  int32_t max_active_ = 0;
  TimingStats search_timing_;

  TreeNode start_node_;
  TreeNode silence_node_;
  int silence_model_ = -1;

  ObjectMemMgr<HMMStateBP> states_;
  PtrArray lists_[2] = {PtrArray(kActiveRoom), PtrArray(kActiveRoom)};
  PtrArray* active_ = &lists_[0];
  PtrArray* next_active_ = &lists_[1];
  CommandItemList command_items_;

  int tree_words_ = 0;
  int highest_word_ = -1;

  // Class tables, made only when the syllable table carries class numbers.
  std::vector<std::array<uint16_t, 3>> model_classes_;
  WordEnd class_best_[kClasses];
  // The best exit of every word id up to the highest, per frame.
  std::vector<int16_t> word_best_;

  WordEnd best_end_;
  bool has_best_end_ = false;
  bool best_end_from_word_ = false;
};

}  // namespace vok
