#include "engine/NetSearchEngine/net_search_engine.h"

#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar_unit.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"

namespace vok {

NetSearchEngine::NetSearchEngine(const Resources& resources, const GrammarUnit& network,
                                 const AcousticModels& acoustic, const CLexTree& tree)
    : LatticeEngine(nullptr) {
  Construct(resources, acoustic);
  if (status_ == 0 && BuildNetwork(network, tree) != 0) status_ = -1;
  MakeOwnTable();
}

NetSearchEngine::NetSearchEngine(const Resources& resources, const AcousticModels& acoustic,
                                 BackTraceTable* table)
    : LatticeEngine(table) {
  Construct(resources, acoustic);
}

NetSearchEngine::NetSearchEngine(const Resources& resources, const CLexTree& tree,
                                 const AcousticModels& acoustic)
    : LatticeEngine(nullptr) {
  Construct(resources, acoustic);
  if (status_ == 0 && BuildLexiconNetwork(tree) != 0) status_ = -1;
  MakeOwnTable();
}

NetSearchEngine::~NetSearchEngine() {
  // The transitions point into the instance pool; both go together.
  DropInstances();
}

void NetSearchEngine::Construct(const Resources& resources, const AcousticModels& acoustic) {
  theories_ = std::make_unique<int32_t[]>(kMaxFrames);
  bests_ = std::make_unique<int16_t[]>(kMaxFrames);
  ReadOptions(resources);
  SetAcousticModels(acoustic);
  if (!nodes_ || !start() || !end()) status_ = -1;
}

void NetSearchEngine::MakeOwnTable() {
  own_table_ = std::make_unique<BackTraceTable>(kTableBlock, kTableBranching, kTableFlag);
  table_ = own_table_.get();
}

void NetSearchEngine::SetVastelSystem(const VastelSystem& system) {
  SetAcousticModels(AcousticModels::Of(system));
}

void NetSearchEngine::SetAcousticModels(const AcousticModels& acoustic) {
  LogPrint("\n+++++++++++++Using Vastel Response System++++++++++++\n");
  acoustic_ = acoustic;
  model_count_ = acoustic_.database ? acoustic_.database->get_numHMM() : 0;
  if (!nodes_) Initialize();
}

int NetSearchEngine::Initialize() {
  nodes_ = std::make_unique<ObjectMemMgr<NetNode>>(kNodeBlock, kNodeBytes, false, kMaxNetworkBlocks);
  transitions_ = std::make_unique<ObjectMemMgr<NetTransition>>(kTransitionBlock, kTransitionBytes, false,
                                                               kMaxNetworkBlocks);
  hmms_ = std::make_unique<ObjectMemMgr<HMMStateBP>>(kHmmBlock, kHmmStateBytes);
  free_hmms_ = std::make_unique<PtrArray>(kHmmBlock);
  reached_ = std::make_unique<PtrArray>(kReachedRoom);
  active_ = std::make_unique<PtrArray>(kActiveRoom);
  next_active_ = std::make_unique<PtrArray>(kActiveRoom);
  if (!nodes_->ok() || !transitions_->ok() || !hmms_->ok()) return -1;
  return ClearNetwork();
}

int NetSearchEngine::ClearNetwork() {
  if (!nodes_) return -1;
  DropInstances();
  reached_->Clear();
  nodes_->Clear();
  transitions_->Clear();
  node_count_ = 0;
  transition_count_ = 0;
  SetName("");
  NetworkNode* start = NewNode();
  NetworkNode* end = NewNode();
  set_start(start);
  set_end(end);
  return start && end ? 0 : -1;
}

int NetSearchEngine::ReadOptions(const Resources& resources) {
  const int result = settings_.Read(resources);
  options_read_ = result == 0;
  FlushOptionErrors(false);
  return result;
}

NetworkNode* NetSearchEngine::NewNode() {
  NetNode* node = nullptr;
  const int id = nodes_ ? nodes_->New(&node) : -1;
  if (id < 0) return nullptr;
  node->Reset(id);
  node_count_ = nodes_->count();
  return node;
}

NetworkTransition* NetSearchEngine::NewTransition(int32_t model) {
  NetTransition* transition = nullptr;
  if (!transitions_ || transitions_->New(&transition) < 0) return nullptr;
  transition->Reset(model);
  transition_count_ = transitions_->count();
  return transition;
}

NetworkNode* NetSearchEngine::NodeAt(int index) const {
  return index >= 0 && index < node_count_ ? nodes_->Get(index) : nullptr;
}

NetworkTransition* NetSearchEngine::TransitionAt(int index) const {
  return index >= 0 && index < transition_count_ ? transitions_->Get(index) : nullptr;
}

void NetSearchEngine::SetNodeCount(int count) {
  if (count >= 0 && nodes_ && count <= nodes_->count()) node_count_ = count;
}

void NetSearchEngine::SetTransitionCount(int count) {
  if (count >= 0 && transitions_ && count <= transitions_->count()) transition_count_ = count;
}

int32_t NetSearchEngine::frame_theories(int frame) const {
  return frame >= 0 && frame < frames() && frame < kMaxFrames ? theories_[frame] : 0;
}

int16_t NetSearchEngine::frame_best_score(int frame) const {
  return frame >= 0 && frame < frames() && frame < kMaxFrames ? bests_[frame] : kEmptyScore;
}

}  // namespace vok
