#include "engine/SyllableLatticeEngine/recognition_system.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/SyllableLatticeEngine/file_name_option.h"
#include "engine/SyllableLatticeEngine/language_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/scoring.h"

namespace vok {

namespace {

using P = SearchParameters;

constexpr P::Key kTreeStartBeam[] = {{"TreeStartBeam", P::kTreeStartBeam}};

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

CRecognitionSystem::CRecognitionSystem(const Resources& resources, CLMBackendEngine* back_end,
                                       const AcousticModels& acoustic, CLexTree* pronunciations)
    : CSystem(back_end), resources_(&resources) {
  parameters_[P::kFastMatchBeam] = P::kDefaultFastMatchBeam;
  parameters_[P::kSixthBeam] = P::kSixthValue;
  parameters_[P::kLatticeBeam] = P::kDefaultLatticeBeam;
  parameters_[P::kFastMatchPeriod] = P::kDefaultFastMatchPeriod;
  SetVastelSystem(acoustic);
  pronunciations_ = pronunciations;
  ReadOptions(resources, false);
  Load();
}

CRecognitionSystem::~CRecognitionSystem() {
  language_system_.reset();
  // The syllable table is the acoustic system's.
  syllables_ = nullptr;
  pronunciations_ = nullptr;
  engine_ = nullptr;
  table_ = nullptr;
}

int CRecognitionSystem::SetVastelSystem(const AcousticModels& acoustic) {
  if (tree_engine_ && tree_engine_->SetAcousticModels(acoustic) != 0) return -1;
  acoustic_ = acoustic;
  syllables_ = acoustic.syllables;
  return 0;
}

int CRecognitionSystem::ReadOptions(const Resources& resources, bool reload) {
  const int result = CSystem::ReadOptions(resources, reload);
  ReadSearchOptions(resources);
  return result;
}

void CRecognitionSystem::ReadSearchOptions(const Resources& resources) {
  // The insertion penalty of a first read starts from 0; a reload keeps it.
  if (!options_read_) parameters_[P::kPhoneInsertionPenalty] = 0;
  options_read_ = true;
  parameters_.ReadKept(resources, P::kBeamKeys);
  parameters_.ReadKept(resources, kTreeStartBeam);
  parameters_.ReadWithDefault(resources, "FastMatchBeam", P::kFastMatchBeam, P::kDefaultFastMatchBeam);
  parameters_[P::kSixthBeam] = P::kSixthValue;
  parameters_.ReadWithDefault(resources, "FastMatchPeriod", P::kFastMatchPeriod, P::kDefaultFastMatchPeriod);
  parameters_.ReadWithDefault(resources, "LatticeBeam", P::kLatticeBeam, P::kDefaultLatticeBeam);
  parameters_[P::kStackSearchBeam] = stack_search_beam();
  resources.GetInt("Search", "GenWordLattice", &gen_word_lattice_);
  resources.GetInt("Search", "CharacterCountThreshold", &character_count_threshold_);
  resources.GetInt("LMBackend", "LeftWordStartWindow", &left_window_);
  resources.GetInt("LMBackend", "RightWordStartWindow", &right_window_);
}

std::string CRecognitionSystem::PronunciationFileName(const char* key) const {
  return ReadFileName(*resources_, "CRecognitionSystem", key, kMaxFileName + 1).value_or(std::string());
}

void CRecognitionSystem::LoadPronunciations() {
  const std::string binary = PronunciationFileName("BinaryPronunciationFile");
  const std::string text = PronunciationFileName("PronunciationFile");
  const bool has_binary = !binary.empty();
  if (has_binary && FileExists(binary)) {
    LogPrint("\nLoading from %s ...", binary.c_str());
    own_pronunciations_ = std::make_unique<CLexTree>(binary.c_str(), kSyllableSeparator);
    LogPrint("Done.\n");
  } else if (!text.empty() && syllables_ && syllables_->syllables()) {
    LogPrint("\nReading pronunciation file ...");
    // Backward, so that the back end can assemble a syllable lattice through
    // it; the tree search reads every pronunciation in spoken order anyway.
    own_pronunciations_ =
        std::make_unique<CLexTree>(text.c_str(), *syllables_->syllables(), kSyllableSeparator, true);
    LogPrint("Done.\n");
    if (has_binary && own_pronunciations_->status() == 0) {
      LogPrint("\nSaving to %s ...", binary.c_str());
      own_pronunciations_->WriteBinary(binary.c_str());
      LogPrint(" Done.\n");
    }
  }
  if (own_pronunciations_ && own_pronunciations_->status() != 0) own_pronunciations_.reset();
  pronunciations_ = own_pronunciations_.get();
}

int CRecognitionSystem::Load() {
  if (!pronunciations_) LoadPronunciations();
  own_table_ = std::make_unique<BackTraceTable>(kTableBlock, kTableBranching, gen_word_lattice_);
  table_ = own_table_.get();
  const CoreLM* core = back_end_ ? back_end_->core() : nullptr;
  if (core && gen_word_lattice_) {
    const CLexTree empty;
    tree_engine_ = std::make_unique<TreeSearchEngine>(*resources_, acoustic_, table_,
                                                      pronunciations_ ? *pronunciations_ : empty, *core,
                                                      character_count_threshold_);
  } else {
    tree_engine_ = std::make_unique<TreeSearchEngine>(*resources_, acoustic_, table_);
  }
  engine_ = tree_engine_.get();
  nbest_->ResetAll(gen_word_lattice_);
  tree_engine_->PrintHeader();
  if (back_end_)
    language_system_ = std::make_unique<CLanguageSystem>(*resources_, back_end_, kSecondaryStackBeam);
  return 0;
}

int CRecognitionSystem::StartUtterance() {
  input_count_ = 0;
  return 0;
}

int CRecognitionSystem::ProcessNextInput() {
  if (!tree_engine_ || !acoustic_.front_end) return -1;
  if (tree_engine_->frame() >= acoustic_.front_end->get_numFrame(0)) return 1;
  return tree_engine_->ProcessFrame();
}

int CRecognitionSystem::SetInput(const int16_t* samples, int count, bool /*last*/) {
  if (!tree_engine_ || !acoustic_.front_end) return -1;
  const int ready = acoustic_.front_end->insert_LiveWaveData(0, samples, count);
  if (ready < 0) return -1;
  if (tree_engine_->frame() >= ready) return 1;
  return tree_engine_->ProcessFrame();
}

int64_t CRecognitionSystem::GetMemoryUsage() const {
  return CSystem::GetMemoryUsage() - kBaseMemory + kMemory;
}

int CRecognitionSystem::RunBackEnd(bool rescore, bool /*no_lexicon_constraint*/) {
  StackDecoder* decoder = back_end_ ? back_end_->decoder() : nullptr;
  if (decoder) decoder->set_word_start_windows(left_window_, right_window_);
  const int result = CSystem::RunBackEnd(rescore, gen_word_lattice_ != 0);
  if (decoder) decoder->set_word_start_windows(0, 0);
  return result;
}

int CRecognitionSystem::RunStoredUtterance(UtteranceSource* session, int n) {
  LogPrint("Utt:%d\n", n + 1);
  return tree_engine_ ? tree_engine_->RunStoredUtterance(&parameters_, n, session) : -1;
}

int CRecognitionSystem::RunPendingFrames() {
  return tree_engine_ ? tree_engine_->RunWaveFile(&parameters_, nullptr) : -1;
}

int CRecognitionSystem::ProcessUtterance(const char* wave_file) {
  if (!tree_engine_ || tree_engine_->RunWaveFile(&parameters_, wave_file) != 0) return -1;
  int32_t word = -1;
  if (GetBestWordID(&word) >= 0) {
    UpdateStatistics();
    return 1;
  }
  RunBackEnd(false, false);
  UpdateStatistics();
  return 0;
}

int CRecognitionSystem::RunReference(const uint16_t* reference) {
  if (LogVerbosity() >= 1) {
    LogPrint("\nUtt %d: ", timing_.utterances() + 1);
    LogPrint("%s\n", wave_file_.c_str());
    if (reference_words_[0]) LogPrint("%s\n", reference_words_);
  }
  if (!tree_engine_ ||
      tree_engine_->RunWaveFile(&parameters_, wave_file_.empty() ? nullptr : wave_file_.c_str()) != 0)
    return -1;
  int32_t word = -1;
  if (GetBestWordID(&word) >= 0) {
    UpdateStatistics();
    return word;
  }
  RunBackEnd(false, false);
  UpdateStatistics();
  if (!reference || reference[0] == 0) return 0;
  StackDecoder* decoder = back_end_ ? back_end_->decoder() : nullptr;
  const int32_t score = decoder ? decoder->GetReferenceScore(reference) : StackDecoder::kNoReference;
  if (score == StackDecoder::kNoReference) {
    LogPrint("\n*** Reference not found\n");
    return 1;
  }
  ++parsed_count_;
  LogPrint("\n%3d: (%5d) %s\n", 0, score, reference_words_);
  return 0;
}

int CRecognitionSystem::Recognize(std::FILE* console) {
  Scoring character_stats, syllable_stats, rescored_character_stats, rescored_syllable_stats;
  Resources console_store;
  int result = 0;
  while ((result = ReadResourceLine(&console_store, console)) == 0) {
    NBestList first(n_best_choices()), rescored(n_best_choices());
    RunReference(nullptr);
    int rescoring = -1;
    if (GetNBestList(&first) == 0) {
      first.CopyTo(&rescored);
      rescoring = RescoreBest(&rescored);
    }
    PrintSummary();
    PrintResults(1, &first, &character_stats, &syllable_stats);
    if (rescoring == 0) {
      LogPrint("\nResults after pageable LM:\n");
      PrintResults(1, &rescored, &rescored_character_stats, &rescored_syllable_stats);
    }
  }
  return result;
}

int CRecognitionSystem::GetBeamLevel() const {
  return std::clamp((parameters_[P::kPhoneBeam] - kBeamLevelBase) / 10, 0, kMaxBeamLevel);
}

void CRecognitionSystem::SetBeamLevel(int level) {
  const auto beam = static_cast<int16_t>(kBeamLevelBase + 10 * std::clamp(level, 0, kMaxBeamLevel));
  parameters_[P::kPhoneBeam] = parameters_[P::kPhoneTransBeam] = parameters_[P::kSyllableTransBeam] = beam;
}

int CRecognitionSystem::GetBestWordID(int32_t* out) const {
  if (out) *out = -1;
  if (!tree_engine_) return -1;
  NBestList list(kWordListSize, 1);
  const int result = tree_engine_->CollectWordEnds(&list);
  if (result == 0 && out) *out = list.Get(0).ids[0];
  return result;
}

int CRecognitionSystem::RescoreBest(NBestList* list) {
  if (!list || list->count() == 0 || list->Get(0).count < 2) return 0;
  if (!back_end_) return -1;
  const int result = resources_->FindEntry("LMBackend", "PageLMWordGramBeam")
                         ? back_end_->RescoreWordGraph(list)
                         : back_end_->RescoreNBest(list, nullptr, nullptr);
  PreferSingleWord(list);
  return result;
}

int CRecognitionSystem::PreferSingleWord(NBestList* list) {
  NBestList* target = list ? list : nbest_.get();
  if (target->count() == 0) return -1;
  if (target->count() == 1 || target->Get(0).count == 1) return 0;
  for (int i = 1; i < target->count(); ++i) {
    Hypothesis& h = target->Mutable(i);
    if (h.count != 1) continue;
    h.score = Saturate16(int32_t{target->Get(0).score} + 1);
    target->Sort();
    return 1;
  }
  return 0;
}

int CRecognitionSystem::AddWord(const char* pronunciation, uint16_t word) {
  if (!gen_word_lattice_) return 0;
  return tree_engine_ && tree_engine_->AddWordPron(pronunciation, word) >= 0 ? 0 : -1;
}

int CRecognitionSystem::RemoveWord(uint16_t word) {
  return tree_engine_ ? tree_engine_->RemoveWord(word) : -1;
}

int CRecognitionSystem::AddCommandItemPron(const char* pronunciation, int32_t item) {
  return tree_engine_ ? tree_engine_->AddCommandItem(pronunciation, item, true) : -1;
}

int CRecognitionSystem::RemoveCommandItem(int32_t item) {
  return tree_engine_ ? tree_engine_->RemoveCommandItem(item) : -1;
}

int CRecognitionSystem::EnableCommandItem(int32_t item) {
  return tree_engine_ ? tree_engine_->EnableCommandItem(item) : -1;
}

int CRecognitionSystem::DisableCommandItem(int32_t item) {
  return tree_engine_ ? tree_engine_->DisableCommandItem(item) : -1;
}

}  // namespace vok
