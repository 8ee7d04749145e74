#include "engine/NetSearchEngine/tree_search_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/NetSearchEngine/wave_samples.h"
#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

using P = SearchParameters;

// s + delta saturated at the int16 limits; the empty score stays empty.
int16_t AddScore(int16_t s, int32_t delta) {
  return s == kEmptyScore ? kEmptyScore : Saturate16(int64_t{s} + delta);
}

// The observation score of a state inside the beam: the database's log score
// times LogProbMultiple, floored at -500 and truncated, plus the frame offset.
int16_t ObservationScore(float log_score, float multiple, int16_t offset) {
  float scaled = log_score * multiple;
  // NaN fails the first test and takes the floor too.
  if (!(scaled > TreeSearchEngine::kObservationFloor)) scaled = TreeSearchEngine::kObservationFloor;
  scaled = std::min(scaled, 32767.0f);
  return Saturate16(int64_t{static_cast<int32_t>(scaled)} + offset);
}

constexpr P::Key kFastMatchBeam[] = {{"FastMatchBeam", P::kFastMatchBeam}};

}  // namespace

TreeSearchEngine::TreeSearchEngine(const Resources& resources, const AcousticModels& acoustic,
                                   BackTraceTable* table)
    : NodePoolT<TreeNode>(kBlock, TreeNode::kProductBytes),
      LatticeEngine(table),
      states_(kBlock, kStateBytes, true) {
  Construct(resources, acoustic);
  BuildSyllableTree();
  AddSilenceWord();
}

TreeSearchEngine::TreeSearchEngine(const Resources& resources, const AcousticModels& acoustic,
                                   BackTraceTable* table, const CLexTree& pronunciations,
                                   const CoreLM& language_model, int character_count_threshold)
    : NodePoolT<TreeNode>(kBlock, TreeNode::kProductBytes),
      LatticeEngine(table),
      states_(kBlock, kStateBytes, true) {
  Construct(resources, acoustic);
  BuildWordTree(pronunciations, language_model, character_count_threshold);
  AddSilenceWord();
}

TreeSearchEngine::~TreeSearchEngine() = default;

void TreeSearchEngine::Construct(const Resources& resources, const AcousticModels& acoustic) {
  acoustic_ = acoustic;
  if (!initialized_) Initialize();
  ReadOptions(resources);
  FlushOptionErrors(false);
}

int TreeSearchEngine::Initialize() {
  active_per_frame_.assign(kMaxFrames, 0);
  offset_per_frame_.assign(kMaxFrames, 0);
  word_best_.assign(TreeNode::kNoWord, kNoExit);
  CopyClassNumbers();
  silence_model_ = acoustic_.database ? acoustic_.database->get_HMMIndex("SIL") : -1;
  start_node_.Reset(static_cast<int16_t>(silence_model_));
  silence_node_.Reset(static_cast<int16_t>(silence_model_));
  start_node_.value = silence_node_.value = TreeNode::kSilenceWord;
  if (GetCount() == 0) NewNode();
  frame_best_ = kEmptyScore;
  beams_ = SearchParameters();
  std::fill(std::begin(thresholds_), std::end(thresholds_), int32_t{kEmptyScore});
  initialized_ = true;
  if (silence_model_ < 0 || !states_.ok() || !GetNode(0)) {
    return ErrorSet("TreeSearchEngine::Initialize", -1, "errNoSilenceModel");
  }
  return 0;
}

// A node's classes are those of its model: the numbers of the first syllable
// whose spelling holds the model (exact where every syllable is one model).
void TreeSearchEngine::CopyClassNumbers() {
  model_classes_.clear();
  const CSyllableTable* table = acoustic_.syllables;
  if (!table || !acoustic_.database || !table->GetClassNumbers(0)) return;
  const auto clamp = [](uint16_t c) { return std::min<uint16_t>(c, TreeNode::kAllClasses); };
  const std::array<uint16_t, 3> all = {TreeNode::kAllClasses, TreeNode::kAllClasses, TreeNode::kAllClasses};
  model_classes_.assign(static_cast<std::size_t>(std::max(acoustic_.database->get_numHMM(), 0)), all);
  std::vector<bool> assigned(model_classes_.size(), false);
  uint16_t models[kMaxPath + 1];
  for (int s = 0; s < table->syllable_count(); ++s) {
    const uint16_t* classes = table->GetClassNumbers(s);
    if (!classes || table->GetSyllableModels(s, models, kMaxPath + 1) < 1) continue;
    for (int i = 1; i <= models[0]; ++i) {
      if (models[i] >= model_classes_.size() || assigned[models[i]]) continue;
      model_classes_[models[i]] = {clamp(classes[0]), clamp(classes[1]), clamp(classes[2])};
      assigned[models[i]] = true;
    }
  }
}

const std::array<uint16_t, 3>* TreeSearchEngine::ModelClasses(int model) const {
  if (model < 0 || static_cast<std::size_t>(model) >= model_classes_.size()) return nullptr;
  return &model_classes_[static_cast<std::size_t>(model)];
}

int TreeSearchEngine::ReadOptions(const Resources& resources) {
  // A missing required value is reported and the one held so far (0 at
  // first) stays.
  int result = 0;
  if (ReadRequiredFloat(resources, "Search", "LogProbMultiple", &log_prob_multiple_) != 0) result = -1;
  int skip = skip_state_;
  if (ReadRequiredInt(resources, "Search", "HMMSkipState", &skip) != 0) result = -1;
  skip_state_ = skip;
  beams_.ReadKept(resources, P::kBeamKeys);
  beams_.ReadKept(resources, kFastMatchBeam);
  beams_.ReadWithDefault(resources, "LatticeBeam", P::kLatticeBeam, P::kDefaultLatticeBeam);
  return result;
}

int TreeSearchEngine::SetAcousticModels(const AcousticModels& acoustic) {
  if (!acoustic.complete() || !acoustic_.database) return -1;
  const SymbolTable* old_names = acoustic_.database->get_HMMNameTable();
  const SymbolTable* new_names = acoustic.database->get_HMMNameTable();
  if (!old_names || !new_names || old_names->GetCount() != new_names->GetCount()) return -1;
  for (int id = 0; id < old_names->GetCount(); ++id) {
    const char* a = old_names->GetName(id);
    const char* b = new_names->GetName(id);
    if (!a || !b || std::strcmp(a, b) != 0) return -1;
  }
  acoustic_ = acoustic;
  CopyClassNumbers();
  return 0;
}

// ---------------------------------------------------------------------------
// The tree

void TreeSearchEngine::BuildSyllableTree() {
  const CSyllableTable* table = acoustic_.syllables;
  if (!table) return;
  const int count = std::min(table->syllable_count(), int{TreeNode::kSilenceWord});
  for (int s = 0; s < count; ++s) {
    const uint16_t syllable[] = {1, static_cast<uint16_t>(s)};
    AddWordPron(syllable, static_cast<uint16_t>(s));
  }
}

void TreeSearchEngine::AddSilenceWord() {
  if (silence_model_ < 0) return;
  const uint16_t silence[] = {1, static_cast<uint16_t>(silence_model_)};
  AddPath(silence, TreeNode::kSilenceWord, root());
}

int TreeSearchEngine::AddWordPron(const uint16_t* syllables, uint16_t word) {
  if (!syllables || !acoustic_.syllables || word >= TreeNode::kSilenceWord) return -1;
  uint16_t models[kMaxPath + 1];
  if (acoustic_.syllables->SyllablesToModels(syllables, models, kMaxPath + 1) != 0 || models[0] == 0)
    return -1;
  if (!AddPath(models, word, root())) {
    ErrorMessage("Tree search: no room for word %d (%d nodes)", word, GetCount());
    return -1;
  }
  ++tree_words_;
  highest_word_ = std::max<int>(highest_word_, word);
  return word;
}

int TreeSearchEngine::AddWordPron(const char* pronunciation, uint16_t word) {
  uint16_t syllables[kMaxPath + 1];
  if (!pronunciation || !acoustic_.syllables ||
      acoustic_.syllables->PronToSyllables(pronunciation, syllables, kMaxPath + 1) != 0)
    return -1;
  return AddWordPron(syllables, word);
}

int TreeSearchEngine::RemoveWord(uint16_t word) {
  if (static_cast<int>(word) > highest_word_) return -1;
  int found = -1;
  for (int id = 0; id < GetCount(); ++id) {
    TreeNode* node = GetNode(id);
    if (node->value != word) continue;
    node->value = TreeNode::kNoWord;
    found = 0;
  }
  return found;
}

int TreeSearchEngine::AddCommandItem(const char* pronunciation, int32_t item, bool with_silence) {
  if (!pronunciation || !acoustic_.syllables || item < 0 || item >= TreeNode::kSilenceWord) return -1;
  uint16_t syllables[kMaxPath + 1];
  uint16_t models[kMaxPath + 2];
  if (acoustic_.syllables->PronToSyllables(pronunciation, syllables, kMaxPath + 1) != 0 ||
      acoustic_.syllables->SyllablesToModels(syllables, models, kMaxPath + 1) != 0 || models[0] == 0)
    return -1;
  if (with_silence) {
    if (silence_model_ < 0) return -1;
    models[++models[0]] = static_cast<uint16_t>(silence_model_);
  }
  TreeNode* end = AddPath(models, static_cast<uint16_t>(item), root());
  if (!end) {
    ErrorMessage("Tree search: no room for command item %d (%d nodes)", item, GetCount());
    return -1;
  }
  command_items_.Add(end, item);
  return 0;
}

// ---------------------------------------------------------------------------
// States

bool TreeSearchEngine::AcquireState(TreeNode* node) {
  HMMStateBP* record = nullptr;
  const int id = states_.New(&record);
  if (id < 0 || !record) return false;
  record->Reset();
  node->state = record;
  node->state_id = id;
  return true;
}

void TreeSearchEngine::ReleaseState(TreeNode* node) {
  if (!node->state) return;
  states_.Delete(node->state_id);
  node->state = nullptr;
  node->state_id = -1;
}

void TreeSearchEngine::ReleaseAll() {
  for (PtrArray* list : {active_, next_active_}) {
    for (int i = 0; i < list->count(); ++i) {
      auto* node = static_cast<TreeNode*>(list->Get(i));
      node->state = nullptr;
      node->state_id = -1;
    }
    list->Clear();
  }
  for (TreeNode* node : {&start_node_, &silence_node_, root()}) {
    if (!node) continue;
    node->state = nullptr;
    node->state_id = -1;
  }
  states_.Clear();
}

// ---------------------------------------------------------------------------
// Utterances

int TreeSearchEngine::StartUtterance() {
  LatticeEngine::StartUtterance();
  ReleaseAll();
  frame_ = 0;
  utterance_active_ = 0;
  utterance_cut_ = false;
  table_full_ = false;
  frame_offset_ = 0;
  accumulated_offset_ = 0;
  std::fill(active_per_frame_.begin(), active_per_frame_.end(), 0);
  std::fill(offset_per_frame_.begin(), offset_per_frame_.end(), 0);
  best_end_ = WordEnd();
  has_best_end_ = false;
  ComputeThresholds(kEmptyScore);
  frame_best_ = 0;
  if (Usable() && AcquireState(&start_node_)) {
    const int32_t start = table_ ? table_->AddStart() : 0;
    start_node_.state->Offer(0, std::max(start, 0));
  }
  return 0;
}

int TreeSearchEngine::FinishUtterance() {
  if (table_) {
    LatticeEngine::FinishUtterance();
    // An utterance that ends in silence ends with the word before it, unless
    // a word ending at the last frame scores better.
    int final_record = table_->BestFinalRecord();
    int32_t final_score = final_record >= 0 ? table_->GetRecord(final_record)->score : 0;
    if (silence_node_.active() && silence_node_.state->bp[2] >= 1) {
      const int before = table_->BestRecordInFrame(silence_node_.state->bp[2]);
      const BackTraceRecord* last = final_record >= 0 ? table_->GetRecord(final_record) : nullptr;
      const bool last_frame_word = last && last->frame + 1 == frame_;
      if (before >= 0 && !(last_frame_word && last->score > silence_node_.state->exit)) {
        final_record = before;
        final_score = silence_node_.state->exit;
      }
    }
    table_->SetFinal(final_record, final_score);
  } else {
    timing_.Stop();
  }
  total_active_ += utterance_active_;
  search_timing_.AddUtterance(frame_);
  return 0;
}

void TreeSearchEngine::CopyParameters(const void* search_parameters) {
  if (search_parameters) beams_ = *static_cast<const SearchParameters*>(search_parameters);
}

bool TreeSearchEngine::RunReadyFrames(int ready) {
  while (frame_ < ready) {
    if (ProcessFrame() != 0) {
      if (frame_ >= kMaxFrames) {
        utterance_cut_ = true;
        WarningMessage("Utterance cut at %d frames of %d", kMaxFrames, ready);
      }
      return false;
    }
  }
  return true;
}

int TreeSearchEngine::RunWaveFile(const void* search_parameters, const char* wave_file) {
  CopyParameters(search_parameters);
  if (!Usable()) return -1;
  C_rFrontEnd* front_end = acoustic_.front_end;
  if (!wave_file) {
    StartUtterance();
    RunReadyFrames(front_end->get_numFrame(0));
    return FinishUtterance();
  }
  std::vector<int16_t> samples;
  if (ReadWaveSamples(wave_file, front_end->get_SamplingRate(), &samples) != 0) return -1;
  StartUtterance();
  front_end->resetEnvironment(0);
  front_end->resetBuffer(0);
  const int ready = front_end->insert_LiveWaveData(0, samples.data(), static_cast<int>(samples.size()));
  RunReadyFrames(ready);
  return FinishUtterance();
}

int TreeSearchEngine::RunStoredUtterance(const void* search_parameters, int utterance, void* audio_session) {
  CopyParameters(search_parameters);
  auto* source = static_cast<UtteranceSource*>(audio_session);
  if (!Usable() || !source || !source->SelectUtterance(utterance)) return -1;
  C_rFrontEnd* front_end = acoustic_.front_end;
  StartUtterance();
  front_end->resetEnvironment(0);
  front_end->resetBuffer(0);
  std::vector<int16_t> block(kStoredBlockSamples);
  bool finished = false;
  bool running = true;
  while (running && !finished) {
    int read = 0;
    if (source->ReadSamples(block.data(), kStoredBlockSamples, &read, &finished) != 0) break;
    // A source that gives nothing and is not finished would hold the loop.
    if (read <= 0) break;
    running = RunReadyFrames(front_end->insert_LiveWaveData(0, block.data(), read));
  }
  return FinishUtterance();
}

// ---------------------------------------------------------------------------
// One frame

void TreeSearchEngine::ComputeThresholds(int32_t best) {
  for (int i = 0; i < P::kCount; ++i) {
    if (beams_.values[i] == 0) break;
    thresholds_[i] = best - beams_.values[i];
  }
}

void TreeSearchEngine::ScoreNode(TreeNode* node, int16_t offset) {
  HMMStateBP* state = node->state;
  if (skip_state_) {
    state->SkipTransition();
  } else {
    state->Transition();
  }
  const int32_t threshold = thresholds_[P::kPhoneBeam];
  const int16_t scores[3] = {state->s0, state->s1, state->s2};
  int16_t observation[3];
  for (int i = 0; i < 3; ++i) {
    // An empty state stays empty whatever it is given: no lookup for it.
    if (scores[i] != kEmptyScore && scores[i] > threshold) {
      observation[i] =
          ObservationScore(acoustic_.database->get_StateScore(node->label, i, 0), log_prob_multiple_, offset);
    } else {
      observation[i] = kObservationFloor;
    }
  }
  state->Observe(observation);
  state->exit = state->s2;
}

int TreeSearchEngine::ProcessFrame() {
  if (!Usable() || frame_ >= kMaxFrames) return -1;
  const C_rStreamVectors* input = acoustic_.front_end->generate_op_frame(0, frame_);
  if (!input || acoustic_.database->assign_ThreadInput(0, frame_, *input) != 0) return -1;

  frame_offset_ = Saturate16(-int32_t{frame_best_});
  accumulated_offset_ += frame_offset_;
  int16_t best = kEmptyScore;
  if (start_node_.active()) {
    ScoreNode(&start_node_, frame_offset_);
    best = std::max(best, start_node_.state->best);
  }
  for (int i = 0; i < active_->count(); ++i) {
    auto* node = static_cast<TreeNode*>(active_->Get(i));
    ScoreNode(node, frame_offset_);
    if (node->parent) best = std::max(best, node->state->best);
  }
  if (silence_node_.active()) {
    ScoreNode(&silence_node_, frame_offset_);
    best = std::max(best, silence_node_.state->best);
  }
  frame_best_ = best;
  ComputeThresholds(best);
  Propagate();

  const int32_t active = active_->count();
  active_per_frame_[static_cast<std::size_t>(frame_)] = active;
  offset_per_frame_[static_cast<std::size_t>(frame_)] = accumulated_offset_;
  utterance_active_ += active;
  max_active_ = std::max(max_active_, active);
  AdvanceFrame();
  std::swap(active_, next_active_);
  next_active_->Clear();
  ++frame_;
  return 0;
}

void TreeSearchEngine::OfferWordEnd(int16_t score, int32_t back, bool from_word) {
  if (has_best_end_ && score <= best_end_.score) return;
  best_end_ = WordEnd{score, back};
  has_best_end_ = true;
  best_end_from_word_ = from_word;
}

void TreeSearchEngine::Prune(TreeNode* node, bool keep) {
  if (keep && next_active_->Push(node) == 0) return;
  ReleaseState(node);
}

void TreeSearchEngine::Propagate() {
  next_active_->Clear();
  best_end_ = WordEnd();
  has_best_end_ = false;
  if (has_class_tables()) std::fill(std::begin(class_best_), std::end(class_best_), WordEnd{kNoExit, 0});
  PropagateStartNode();

  const int32_t phone_penalty = beams_[P::kPhoneInsertionPenalty];
  const int32_t syllable_penalty = beams_[P::kSyllableInsertionPenalty];
  if (highest_word_ >= 0) std::fill(word_best_.begin(), word_best_.begin() + highest_word_ + 1, kNoExit);
  for (int i = 0; i < active_->count(); ++i) {
    const auto* node = static_cast<const TreeNode*>(active_->Get(i));
    if (static_cast<int>(node->value) > highest_word_) continue;
    int16_t& best = word_best_[node->value];
    best = std::max(best, AddScore(node->state->exit, phone_penalty + syllable_penalty));
  }

  for (int i = 0; i < active_->count(); ++i) PropagateActiveNode(static_cast<TreeNode*>(active_->Get(i)));
  PropagateSilenceNode();
  ReenterTree();
}

void TreeSearchEngine::PropagateStartNode() {
  if (!start_node_.active()) return;
  HMMStateBP* state = start_node_.state;
  state->exit = AddScore(state->exit, beams_[P::kPhoneInsertionPenalty]);
  if (state->exit > thresholds_[P::kSyllableTransBeam]) OfferWordEnd(state->exit, state->bp[2], false);
  if (state->best < thresholds_[P::kPhoneBeam]) ReleaseState(&start_node_);
  ReenterTree();
}

void TreeSearchEngine::PropagateActiveNode(TreeNode* node) {
  HMMStateBP* state = node->state;
  state->exit = AddScore(state->exit, beams_[P::kPhoneInsertionPenalty]);
  if (node->parent && state->exit > thresholds_[P::kPhoneTransBeam] &&
      int32_t{state->exit} >= int32_t{state->best} - beams_[P::kPhoneExitBeam]) {
    node->Propagate(next_active_, this, TreeNode::kAllClasses);
  }
  const uint16_t word = node->value;
  if (node->ends_word() && state->exit > thresholds_[P::kSyllableTransBeam] &&
      (static_cast<int>(word) <= highest_word_ || word == TreeNode::kSilenceWord)) {
    const int16_t score = AddScore(state->exit, beams_[P::kSyllableInsertionPenalty]);
    if (word == TreeNode::kSilenceWord) {
      OfferWordEnd(score, state->bp[2], false);
    } else if (score > int32_t{word_best_[word]} - beams_[P::kLatticeBeam]) {
      int32_t here = frame_;
      bool recorded = true;
      if (table_) {
        recorded = table_->AddRecord(word, score, state->bp[2]) >= 0;
        if (!recorded) NoteTableFull();
        here = table_->current_frame();
      }
      // A word end the table could not keep leads nowhere: a path through it
      // could not be traced back.
      if (recorded) {
        OfferWordEnd(score, here, true);
        if (const auto* classes = ModelClasses(node->label)) {
          WordEnd& record = class_best_[(*classes)[2]];
          if (score > record.score) record = WordEnd{score, here};
        }
      }
    }
  }
  Prune(node, state->best > thresholds_[P::kPhoneBeam] && node->label >= 0);
}

void TreeSearchEngine::NoteTableFull() {
  if (table_full_) return;
  table_full_ = true;
  ErrorSet("TreeSearchEngine::Propagate", -1, "errBackTraceTableFull");
  WarningMessage("Back-trace table full at frame %d: the search keeps no word ends after it", frame_);
}

void TreeSearchEngine::PropagateSilenceNode() {
  if (!silence_node_.active()) return;
  HMMStateBP* state = silence_node_.state;
  state->exit = AddScore(state->exit, beams_[P::kPhoneInsertionPenalty]);
  if (state->exit > thresholds_[P::kSyllableTransBeam]) OfferWordEnd(state->exit, state->bp[2], false);
  if (!(state->best > thresholds_[P::kPhoneBeam])) ReleaseState(&silence_node_);
}

void TreeSearchEngine::EnterTree(int16_t score, int32_t back, int word_class) {
  TreeNode* tree = root();
  if (!tree) return;
  tree->Enter(score, back, nullptr, this);
  if (!tree->state) return;
  // The root has no model: its entry passes straight to its exit.
  tree->state->exit = tree->state->entry;
  tree->state->bp[2] = tree->state->entry_bp;
  tree->Propagate(next_active_, this, word_class);
  ReleaseState(tree);
}

void TreeSearchEngine::ReenterTree() {
  if (!has_best_end_ || best_end_.score < kEmptyScore + 1) return;
  silence_node_.Enter(best_end_.score, best_end_.back, nullptr, this);
  // With class tables the word ends re-enter by class; a silence, which has
  // no class, re-enters every class.
  if (!has_class_tables() || !best_end_from_word_) {
    EnterTree(best_end_.score, best_end_.back, TreeNode::kAllClasses);
    if (!has_class_tables()) return;
  }
  for (int c = 0; c < kClasses; ++c) {
    const WordEnd& record = class_best_[c];
    if (int32_t{record.score} > int32_t{best_end_.score} - kReentryWindow)
      EnterTree(record.score, record.back, c);
  }
}

// ---------------------------------------------------------------------------
// Results

int TreeSearchEngine::GetNBest(NBestList* list) {
  if (!list) return -1;
  if (!table_) return CollectWordEnds(list);
  if (table_->final_record() < 0) return -1;
  list->Reset(table_->final_score() - accumulated_offset_, 1);
  return table_->EnumeratePaths(list);
}

int TreeSearchEngine::CollectWordEnds(NBestList* list) const {
  if (!list) return -1;
  list->Reset(kEmptyScore, 1);
  for (int i = 0; i < active_->count(); ++i) {
    const auto* node = static_cast<const TreeNode*>(active_->Get(i));
    const uint16_t word = node->value;
    if (!node->ends_word() || word == TreeNode::kSilenceWord) continue;
    const HMMStateBP* state = node->state;
    if (state->exit < thresholds_[P::kSyllableTransBeam] || state->best < thresholds_[P::kPhoneBeam])
      continue;
    const bool command = static_cast<int>(word) > highest_word_;
    if (command ? !command_items_.IsEnabledEnd(node) : table_ != nullptr) continue;
    list->Insert(state->exit, &word, 1);
  }
  return list->count() > 0 ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Reports

int64_t TreeSearchEngine::GetMemoryUsage() const {
  int64_t bytes = kBaseMemory + lists_[0].MemoryUse() + lists_[1].MemoryUse() + command_items_.MemoryUse();
  bytes += pool_.PoolMemoryUse() + states_.PoolMemoryUse();
  if (has_class_tables()) bytes += int64_t{6} * static_cast<int64_t>(model_classes_.size()) + 6 * kClasses;
  return bytes;
}

void TreeSearchEngine::PrintHeader() const {
  LogPrint("\nTreeSearchEngine Header\n");
  LogPrint("---------------------------\n");
  LogPrint("%-12s    %d\n", "# Nodes:", GetCount());
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("--------------------------\n");
}

void TreeSearchEngine::PrintSummary() const {
  LatticeEngine::PrintSummary();
  const int frames = std::max(frame_, 1);
  const int32_t total = table_ ? table_->final_score() - accumulated_offset_ : 0;
  LogPrint("Total score: %d (%d per frame)\n", total, total / frames);
  LogPrint("Theories evaluated = %d (%d per frame)\n", utterance_active_, utterance_active_ / frames);
  LogPrint("DProb evaluated: %d (%d per frame) MemoryUsage: %d\n", 0, 0, static_cast<int>(GetMemoryUsage()));
  if (LogVerbosity() < 3) return;
  LogPrint("Theories evaluated in time\n");
  for (int f = 0; f < frame_; ++f) {
    LogPrint("%5d ", active_per_frame_[static_cast<std::size_t>(f)]);
    if (f % 10 == 9) LogPrint("\n");
  }
  LogPrint("\n");
}

void TreeSearchEngine::PrintReport() const {
  LatticeEngine::PrintReport();
  if (total_active_ > 0) {
    const int utterances = std::max(search_timing_.utterances(), 1);
    const int frames = std::max(search_timing_.total_frames(), 1);
    LogPrint("Total theories evaluated = %d (%d per utt, %d per frame)\n", total_active_,
             total_active_ / utterances, total_active_ / frames);
    LogPrint("Maximum theories evaluated = %d\n", max_active_);
  }
  LogPrint("--------------------------------------------------------\n");
}

// ---------------------------------------------------------------------------
// The word tree

void TreeSearchEngine::BuildWordTree(const CLexTree& pronunciations, const CoreLM& language_model,
                                     int threshold) {
  const CSyllableTable* table = acoustic_.syllables;
  const SymbolTable* names = pronunciations.syllables();
  if (!table || !table->syllables() || !names) return;
  // The tree's syllable ids as the syllable table numbers them.
  std::vector<int> syllable_id(static_cast<std::size_t>(names->GetCount()), -1);
  for (int id = 0; id < names->GetCount(); ++id) {
    if (const char* name = names->GetName(id))
      syllable_id[static_cast<std::size_t>(id)] = table->syllables()->Find(name);
  }
  const uint16_t sentence_start = language_model.token_id(CoreLM::kStart);
  const uint16_t sentence_end = language_model.token_id(CoreLM::kEnd);
  const auto wanted = [&](uint16_t word) {
    return word < language_model.word_count() && word != sentence_start && word != sentence_end &&
           language_model.entry(word).word_class != CoreLM::kNoClass;
  };
  uint16_t path[kMaxPath + 1];
  // Every pronunciation of every word, in the order of the tree's nodes.
  for (int node = 1; node < pronunciations.node_count(); ++node) {
    for (int link = pronunciations.GetNode(node)->links; link != -1;
         link = pronunciations.GetNextLink(link)) {
      const uint16_t word = pronunciations.GetLinkEntry(link);
      if (word == CLexTree::kNone || !wanted(word)) continue;
      if (pronunciations.GetPathSyllables(node, path, kMaxPath + 1) != 0 || path[0] == 0) continue;
      if (path[0] == 1 && language_model.word_count_of(word) <= threshold) continue;
      bool known = true;
      for (int i = 1; i <= path[0]; ++i) {
        const int id = path[i] < syllable_id.size() ? syllable_id[path[i]] : -1;
        known = known && id >= 0;
        path[i] = static_cast<uint16_t>(id);
      }
      if (known) AddWordPron(path, word);
    }
  }
}

}  // namespace vok
