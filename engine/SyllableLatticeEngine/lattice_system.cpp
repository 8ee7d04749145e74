#include "engine/SyllableLatticeEngine/lattice_system.h"

#include <algorithm>
#include <vector>

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/word_lattice_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/resources.h"

namespace vok {

CLatticeSystem::CLatticeSystem(CLMBackendEngine* back_end)
    : CSystem(back_end), lexicon_(back_end ? back_end->lexicon() : nullptr) {}

CLatticeSystem::CLatticeSystem(const Resources& resources, CLMBackendEngine* back_end)
    : CLatticeSystem(back_end) {
  CSystem::ReadOptions(resources, false);
  Load(resources);
}

CLatticeSystem::~CLatticeSystem() = default;

void CLatticeSystem::MakeTable() {
  own_table_ = std::make_unique<BackTraceTable>(kTableBlock, kTableBranching, kTableMode);
  table_ = own_table_.get();
}

void CLatticeSystem::Load(const Resources& resources) {
  MakeTable();
  word_engine_ = std::make_unique<WordLatticeEngine>(table_, lexicon_);
  word_engine_->ReadOptions(resources);
  engine_ = word_engine_.get();
  word_engine_->PrintHeaderTo(LogReportStream());
  int penalty = kDefaultNewWordPenalty;
  resources.GetInt("Search", "NewWordPenalty", &penalty);
  if (back_end_ && back_end_->core()) back_end_->core()->AddPseudoWords(penalty);
  if (back_end_ && back_end_->page()) back_end_->page()->AddPseudoWords(penalty);
}

int CLatticeSystem::DecodeText(const char* text, bool rescore) {
  const int result = engine_ ? engine_->ProcessString(text) : -1;
  RunBackEnd(rescore, false);
  UpdateStatistics();
  return result;
}

void CLatticeSystem::SetLexicon(const CLexicon* lexicon) {
  lexicon_ = lexicon;
  if (word_engine_) word_engine_->set_lexicon(lexicon);
}

const SymbolTable* CLatticeSystem::LexiconWords() const { return lexicon_ ? lexicon_->words() : nullptr; }

int CLatticeSystem::DecodeWordIds(const char* text, uint16_t* ids, int capacity) {
  if (!text || !*text || !ids || capacity < 1) return 0;
  if (DecodeText(text, false) < 0) return 0;
  std::vector<uint16_t> best(static_cast<std::size_t>(capacity) + 1);
  if (GetBestWordIDs(best.data(), capacity + 1, nullptr) != 0) return 0;
  const int count = best[0];
  std::copy(best.begin() + 1, best.begin() + 1 + count, ids);
  return count;
}

}  // namespace vok
