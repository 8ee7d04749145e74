// The command search: frame-synchronous Viterbi beam search with three-state
// HMM phone models over a network built from a command grammar, from the
// lexicon or item by item, so that only the grammar's items (and, when asked,
// silence, garbage and an out-of-grammar path) can be recognized.
//
// Node 0 is the start node and node 1 the end node. A transition carries an
// HMM model index (65535: an empty transition that consumes no frame), an
// int16 weight and a label: item id + 0x10000 on the last transition of an
// item's path (and of a grammar word's), a word id below 0x10000 in a network
// of the lexicon, 65530 the exit of the out-of-grammar path, 65533 a filler
// loop, 65534 a silence loop, 65535 none (inner transitions, removed items).
#pragma once

#include <cstdint>
#include <memory>

#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/command_search_settings.h"
#include "engine/NetSearchEngine/hmm_state.h"
#include "engine/SyllableLatticeEngine/lattice_engine.h"
#include "engine/core/grammar_network.h"
#include "engine/core/net_node.h"
#include "engine/core/object_mem_mgr.h"
#include "engine/core/ptr_array.h"

class VastelSystem;

namespace vok {

class BackTraceTable;
class CLexTree;
class GrammarUnit;
class Hypothesis;
class UtteranceSource;

class NetSearchEngine : public GrammarNetwork, public LatticeEngine {
 public:
  static constexpr int kNodeBlock = 100;
  static constexpr int kTransitionBlock = 200;
  static constexpr int kMaxNetworkBlocks = 1000;
  static constexpr int kHmmBlock = 200;
  static constexpr int kReachedRoom = 100;
  static constexpr int kActiveRoom = 200;
  // The back-trace table the engine makes for itself.
  static constexpr int kTableBlock = 200;
  static constexpr int kTableBranching = 50;
  static constexpr int32_t kTableFlag = 1;
  // Per-frame tables; the back-trace table holds frames 0 to 2000.
  static constexpr int kMaxFrames = 2000;
  static constexpr int32_t kItemLabelBase = 0x10000;
  // Item ids are kept in the 16 bits of a back-trace record, where 65530 to
  // 65535 are taken.
  static constexpr int kMaxItemId = 65529;
  static constexpr int32_t kLabelRejection = 65530;
  static constexpr int32_t kLabelSilence = 65534;
  static constexpr const char* kSilenceModel = "SIL";
  static constexpr int kObservationFloor = -500;
  // The engine record and its fixed tables in the product.
  static constexpr int64_t kFixedMemoryBytes = 12372;
  // Record sizes in the product.
  static constexpr int kNodeBytes = 20;
  static constexpr int kTransitionBytes = 28;
  static constexpr int kHmmStateBytes = 32;

  // From a grammar's expanded network: paths of the words' pronunciations
  // from the lexical tree; a back-trace table of its own.
  NetSearchEngine(const Resources& resources, const GrammarUnit& network, const AcousticModels& acoustic,
                  const CLexTree& tree);
  // Start and end node only; items are added one by one. The table, when
  // given, is the caller's; without one there are no results but the
  // confidence of the active exits.
  NetSearchEngine(const Resources& resources, const AcousticModels& acoustic, BackTraceTable* table);
  // One path per word of the lexical tree, and a silence loop at the start;
  // a back-trace table of its own.
  NetSearchEngine(const Resources& resources, const CLexTree& tree, const AcousticModels& acoustic);
  ~NetSearchEngine() override;

  // 0 when construction built what it was asked to, else -1.
  int status() const { return status_; }

  // Takes the acoustic side of the record (the speaker may have changed);
  // makes the pools with a start and end node when they do not exist yet.
  void SetVastelSystem(const VastelSystem& system);
  void SetAcousticModels(const AcousticModels& acoustic);
  const AcousticModels& acoustic() const { return acoustic_; }

  // Network building; each returns 0, or -1 with nothing half-linked left.
  // Empties the network down to a new start and end node.
  int ClearNetwork();
  // Replaces the network by the grammar's: filler arcs become out-of-grammar
  // paths, empty arcs empty transitions, word arcs the models of the word's
  // pronunciation (the last transition labelled word + 0x10000, weighted by
  // the arc's weight x GrammarWeight); then silence loops on the grammar's
  // nodes. -1 when no word path could be made or a pool is exhausted.
  int BuildNetwork(const GrammarUnit& network, const CLexTree& tree);
  // Self-loops (label 65533) of every syllable whose name ends in '1', at the
  // start and the end node.
  int AddFillerLoops();
  // Node R, an empty transition from A to R, an empty transition from R to B
  // labelled 65530 and filler loops on R; null A and B stand for the start
  // and end node.
  int AddRejectionPath(NetNode* from = nullptr, NetNode* to = nullptr, int16_t weight = 0);
  // A self-loop on "SIL" (label 65534) on nodes 0 to n - 1, every node for 0.
  // -1 (with a message, no loop) when the database has no "SIL".
  int AddSilenceLoops(int n);
  // The path of the pronunciation text ("DA3-KAI1"; and "SIL" when
  // `with_silence` is non-zero) from start to end, labelled id + 0x10000.
  // -1 for an id outside 0 to 65529, an unknown syllable or model.
  int AddItemPron(const char* text, int id, int with_silence);
  // The item's transition gets label 65535 and leads nowhere.
  int RemoveItem(int id);
  // The item's transition leads to the end node again, or nowhere.
  int EnableItem(int id);
  int DisableItem(int id);

  // The operations of the engine family.
  int StartUtterance() override;
  int FinishUtterance() override;
  void PrintSummary() const override;
  void PrintReport() const override;
  int ReadOptions(const Resources& resources) override;
  // Reading an audio file is not offered: prints why and returns -1.
  int RunWaveFile(const void* settings_record, const char* wave_file) override;
  // `settings_record` is 13 int16 settings or null, `audio_session` an
  // UtteranceSource.
  int RunStoredUtterance(const void* settings_record, int utterance, void* audio_session) override;
  int Initialize() override;
  // One frame; -1 when the engine cannot decode (no options, no acoustic
  // side), after 2000 frames, when the front end has no such frame, or when
  // nothing survives the frame: the utterance keeps what it has.
  int ProcessInput() override;
  int GetNBest(NBestList* list) override;
  int64_t GetMemoryUsage() const override;
  void PrintHeader() const override;

  // Decodes stored utterance n of the source, live frame by live frame.
  int DecodeStoredUtterance(const int16_t* settings_record, int utterance, UtteranceSource* source);
  // Decodes frames x frame-advance samples through the whole-buffer path.
  int RecognizeSamples(int frames, const int16_t* samples, const int16_t* settings_record);

  // The labels of the best path into the end node (low 16 bits, earliest
  // first) and the end node's score; 1, or -1 without such a path.
  int GetResult(Hypothesis* result);
  // The item id when the best path holds exactly one label; 0, or -1 with
  // id -1.
  int GetBestItem(int* id);
  // 0 to 100, starting at 0; 0, or -1 when there is nothing to compare.
  int GetConfidence(int* value);

  // The network's pool records.
  NetworkNode* NewNode() override;
  NetworkTransition* NewTransition(int32_t model) override;
  int NodeCount() const override { return node_count_; }
  int TransitionCount() const override { return transition_count_; }
  NetworkNode* NodeAt(int index) const override;
  NetworkTransition* TransitionAt(int index) const override;
  void SetNodeCount(int count) override;
  void SetTransitionCount(int count) override;
  bool Clear() override { return ClearNetwork() == 0; }

  NetNode* Node(int index) const { return static_cast<NetNode*>(NodeAt(index)); }
  NetTransition* Transition(int index) const { return static_cast<NetTransition*>(TransitionAt(index)); }
  NetNode* start_node() const { return static_cast<NetNode*>(start()); }
  NetNode* end_node() const { return static_cast<NetNode*>(end()); }

  CommandSearchSettings& settings() { return settings_; }
  const CommandSearchSettings& settings() const { return settings_; }
  bool options_read() const { return options_read_; }
  int16_t frame_best() const { return frame_best_; }
  int32_t offset_sum() const { return offset_sum_; }
  int32_t utterance_theories() const { return utterance_theories_; }
  int32_t total_theories() const { return total_theories_; }
  int32_t max_theories() const { return max_theories_; }
  // Theories (active models) and best score of a frame of this utterance; 0
  // and the empty score outside it.
  int32_t frame_theories(int frame) const;
  int16_t frame_best_score(int frame) const;
  int active_count() const { return active_ ? active_->count() : 0; }

 private:
  void Construct(const Resources& resources, const AcousticModels& acoustic);
  void MakeOwnTable();

  // Network building helpers (net_search_network.cpp).
  NetTransition* AddTransition(NetNode* from, NetNode* to, int32_t model, int32_t label, int16_t weight);
  // A path from `from` to `to` with one transition per model of the
  // count-first list through new nodes, the last carrying label and weight;
  // null (what was linked is removed again) when a pool is exhausted.
  NetTransition* AddModelPath(NetNode* from, NetNode* to, const uint16_t* models, int32_t label,
                              int16_t weight);
  // Count-first model list of count-first syllables of the syllable table;
  // false for an unknown syllable, or a model the database does not have.
  bool SyllablesToModels(const uint16_t* syllables, uint16_t* models, int capacity) const;
  // The same for syllables of the lexical tree, matched by name.
  bool TreeSyllablesToModels(const CLexTree& tree, const uint16_t* syllables, uint16_t* models,
                             int capacity) const;
  int AddFillerLoopsAt(NetNode* node);
  int AddWordPath(NetNode* from, NetNode* to, int32_t word, int16_t weight, const CLexTree& tree);
  int BuildLexiconNetwork(const CLexTree& tree);
  NetTransition* FindItem(int id) const;
  int16_t ScaledWeight(int16_t weight) const;

  // Decoding helpers (net_search_decoding.cpp).
  bool CanDecode() const;
  void ResetReachedNodes();
  void DropInstances();
  HMMStateBP* NewInstance();
  void ReleaseInstance(NetTransition* transition);
  // Offers the node a score and reference for this frame.
  void Reach(NetNode* node, int32_t score, int32_t reference);
  void EvaluateActive();
  void TakeExits();
  void CloseOverEmptyTransitions();
  void EnterTransitions();
  int16_t ObservationScore(int model, int state) const;

  int status_ = 0;
  AcousticModels acoustic_;
  int model_count_ = 0;  // HMMs of the database
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<ObjectMemMgr<NetNode>> nodes_;
  std::unique_ptr<ObjectMemMgr<NetTransition>> transitions_;
  std::unique_ptr<ObjectMemMgr<HMMStateBP>> hmms_;
  std::unique_ptr<PtrArray> free_hmms_;
  int node_count_ = 0;
  int transition_count_ = 0;
  std::unique_ptr<PtrArray> reached_;
  std::unique_ptr<PtrArray> active_;
  std::unique_ptr<PtrArray> next_active_;

  CommandSearchSettings settings_;
  bool options_read_ = false;

  int16_t frame_best_ = kEmptyScore;
  int16_t frame_offset_ = 0;
  int32_t offset_sum_ = 0;
  int32_t utterance_theories_ = 0;
  int32_t total_theories_ = 0;
  int32_t max_theories_ = 0;
  std::unique_ptr<int32_t[]> theories_;
  std::unique_ptr<int16_t[]> bests_;
};

}  // namespace vok
