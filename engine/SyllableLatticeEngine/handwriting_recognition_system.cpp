#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "engine/SyllableLatticeEngine/file_name_option.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/file_io.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"

namespace vok {
namespace {

constexpr const char kSection[] = "CHRecognitionSystem";
constexpr const char kModelSection[] = "HWRSentence";
constexpr const char kSeparator[] = "-";

}  // namespace

CHRecognitionSystem::CHRecognitionSystem(const Resources& resources, CLMBackendEngine* back_end,
                                         std::unique_ptr<CLexTree> pronunciations,
                                         const SymbolTable* syllables, const HwrCodeConversion* conversion)
    : CSystem(back_end), given_syllables_(syllables), conversion_(conversion) {
  // The stack decoder walks words from their last character: a forward tree
  // would decode into wrong words. Reported after the options are read,
  // which clears the errors of a first read.
  const bool forward = pronunciations && !pronunciations->backward();
  if (pronunciations && !forward) TakePronunciations(std::move(pronunciations));
  ReadOptions(resources, false);
  Load(resources);
  if (forward) ErrorSet("CHRecognitionSystem", -1, "errForwardPronunciations");
}

CHRecognitionSystem::~CHRecognitionSystem() = default;

void CHRecognitionSystem::TakePronunciations(std::unique_ptr<CLexTree> tree) {
  own_syllables_ = tree->syllables() ? std::make_unique<CSyllableTable>(*tree->syllables()) : nullptr;
  own_pronunciations_ = std::move(tree);
  pronunciations_ = own_pronunciations_.get();
  syllables_ = own_syllables_.get();
}

int CHRecognitionSystem::ReadOptions(const Resources& resources, bool reload) {
  const int result = CSystem::ReadOptions(resources, reload);
  resources.GetInt(kSection, "HorizontalWriting", &horizontal_writing_);
  return result;
}

int CHRecognitionSystem::LoadPronunciations(const Resources& resources) {
  // A name that does not fit its field fails the load: a cut-off name would
  // open some other file.
  constexpr int kField = kFileNameBytes + 1;
  const std::optional<std::string> binary_name =
      ReadFileName(resources, kSection, "BinaryPronunciationFile", kField);
  const std::optional<std::string> syllable_name = ReadFileName(resources, kSection, "SyllableFile", kField);
  const std::optional<std::string> pron_name = ReadFileName(resources, kSection, "PronunciationFile", kField);
  if (!binary_name || !syllable_name || !pron_name) return -1;
  const char* binary = binary_name->c_str();
  const char* syllable_file = syllable_name->c_str();
  const char* pron_file = pron_name->c_str();
  const bool has_binary = !binary_name->empty();
  if (has_binary && FileExists(binary)) {
    LogPrint("\nLoading from %s ...", binary);
    auto tree = std::make_unique<CLexTree>(binary, kSeparator);
    if (tree->status() != 0) {
      ErrorSet(binary, -1, "errCannotReadPronunciations");
      return -1;
    }
    if (!tree->backward()) {
      ErrorSet(binary, -1, "errForwardPronunciations");
      return -1;
    }
    LogPrint("Done.\n");
    TakePronunciations(std::move(tree));
    return 0;
  }
  std::unique_ptr<CSyllableTable> syllable_table;
  if (!syllable_name->empty()) {
    LogPrint("\nReading syllable table ...");
    syllable_table = std::make_unique<CSyllableTable>(syllable_file);
    LogPrint("Done.\n");
  }
  if (pron_name->empty()) return 0;
  if (!syllable_table || syllable_table->status() != 0) {
    ErrorSet(pron_file, -1, "errNoSyllableTable");
    return -1;
  }
  LogPrint("\nReading pronunciation file ...");
  auto tree = std::make_unique<CLexTree>(pron_file, *syllable_table->syllables(), kSeparator, true);
  if (tree->status() != 0) {
    ErrorSet(pron_file, -1, "errCannotReadPronunciations");
    return -1;
  }
  LogPrint("Done.\n");
  if (has_binary) {
    LogPrint("\nSaving to %s ...", binary);
    tree->WriteBinary(binary);
    LogPrint(" Done.\n");
  }
  TakePronunciations(std::move(tree));
  return 0;
}

int CHRecognitionSystem::Load(const Resources& resources) {
  const int result = LoadPronunciations(resources);
  own_table_ = std::make_unique<BackTraceTable>(1000, 50, 1);
  table_ = own_table_.get();
  const SymbolTable* syllables = pronunciations_ ? pronunciations_->syllables() : given_syllables_;
  hwr_engine_ = std::make_unique<HWRLatticeEngine>(table_, syllables, conversion_);
  engine_ = hwr_engine_.get();
  hwr_engine_->PrintHeader();
  HWRRecognizerRecord* r = record();
  r->settings.writing_direction = horizontal_writing_;
  int value = 0;
  if (resources.GetInt(kSection, "InitSegmentDelta", &value) == 0)
    SetInitSegmentDelta(static_cast<int16_t>(value));
  if (resources.GetInt(kSection, "SegmentDelta", &value) == 0) SetSegmentDelta(static_cast<int16_t>(value));
  if (resources.GetInt(kModelSection, "ResultScript", &value) == 0) SetResultScript(value);
  return result;
}

int CHRecognitionSystem::FinishUtterance() { return GetBestResult(); }

int CHRecognitionSystem::GetBestResult() {
  if (segmentation_) return engine_ ? engine_->FinishUtterance() : -1;
  nbest_->Reset(0, 1);
  if (!hwr_engine_) return 0;
  uint16_t codes[kSingleCellCandidates];
  int32_t scores[kSingleCellCandidates];
  const int found = hwr_engine_->RecognizeSingleCell(codes, scores, kSingleCellCandidates);
  const CLexicon* lexicon = back_end_ ? back_end_->lexicon() : nullptr;
  if (!lexicon) return 0;
  for (int i = 0; i < found && codes[i] != 0; ++i) {
    const char text[3] = {static_cast<char>(codes[i] >> 8), static_cast<char>(codes[i] & 0xFF), '\0'};
    const uint16_t word = lexicon->StringToWordID(text);
    if (word == CLexTree::kNone) continue;
    if (nbest_->Append(-std::min(scores[i], kMaxListedScore), &word, 1) < 0) break;
  }
  return 0;
}

int CHRecognitionSystem::RunBackEnd(bool rescore, bool no_lexicon_constraint) {
  return segmentation_ ? CSystem::RunBackEnd(rescore, no_lexicon_constraint) : 0;
}

int CHRecognitionSystem::GetAlternatives(const uint16_t* word_ids, CAlternativeList* records) {
  if (segmentation_) return CSystem::GetAlternatives(word_ids, records);
  if (!word_ids || word_ids[0] == 0 || !records) return -1;
  records[0] = CAlternativeList();
  for (int i = 0; i < nbest_->count(); ++i) {
    const Hypothesis& h = nbest_->Get(i);
    if (h.count > 0) records[0].Add(h.ids[0], h.score);
  }
  records[1] = CAlternativeList();
  return 0;
}

int CHRecognitionSystem::ClearStrokes() {
  StartUtterance();
  if (table_) table_->Reset(0);
  return 0;
}

int CHRecognitionSystem::AddStroke(const InkPoint* points, int count) {
  if (!points || count <= 0 || !hwr_engine_) return -1;
  ++input_count_;
  if (hwr_engine_->TakeStroke(points, count) < 0) return -1;
  return segmentation_ ? hwr_engine_->TrackStep(count) : hwr_engine_->SingleCellStep(count);
}

void CHRecognitionSystem::SetWritingDirection(int32_t direction) {
  if (HWRRecognizerRecord* r = record()) r->settings.writing_direction = direction;
}
void CHRecognitionSystem::SetInitSegmentDelta(int16_t delta) {
  if (HWRRecognizerRecord* r = record()) r->settings.initial_segment_delta = delta;
}
void CHRecognitionSystem::SetSegmentDelta(int16_t delta) {
  if (HWRRecognizerRecord* r = record()) r->settings.segment_delta = delta;
}
void CHRecognitionSystem::SetRecognitionRange(int32_t range) {
  if (HWRRecognizerRecord* r = record()) r->settings.range = range;
}
void CHRecognitionSystem::SetResultScript(int32_t script) {
  if (HWRRecognizerRecord* r = record()) r->set_result_script(script);
}
void CHRecognitionSystem::SetSCRecognizer(std::unique_ptr<CHWRRecognizer> recognizer) {
  if (HWRRecognizerRecord* r = record()) r->set_sc_recognizer(std::move(recognizer));
}
void CHRecognitionSystem::SetTCRecognizer(std::unique_ptr<CHWRRecognizer> recognizer) {
  if (HWRRecognizerRecord* r = record()) r->set_tc_recognizer(std::move(recognizer));
}
void CHRecognitionSystem::SetRomRecognizer(std::unique_ptr<CHWRRecognizer> recognizer) {
  if (HWRRecognizerRecord* r = record()) r->set_rom_recognizer(std::move(recognizer));
}
void CHRecognitionSystem::SetGestureModels(std::shared_ptr<CHWRGestureModel> gesture,
                                           std::unique_ptr<CHWRGestureModel> anti) {
  if (HWRRecognizerRecord* r = record()) r->set_gesture_models(std::move(gesture), std::move(anti));
}
void CHRecognitionSystem::SetPunctuationModel(std::unique_ptr<CHWRGestureModel> model) {
  if (HWRRecognizerRecord* r = record()) r->set_punctuation_model(std::move(model));
}

int CHRecognitionSystem::RecognizeGesture(std::string* name, int64_t* score) const {
  return hwr_engine_ ? hwr_engine_->RecognizeGesture(name, score) : 0;
}

int CHRecognitionSystem::RecognizePunctuation(std::string* name, int64_t* score) const {
  return hwr_engine_ ? hwr_engine_->RecognizePunctuation(name, score) : 0;
}

int CHRecognitionSystem::IsIdle() const {
  const HWRRecognizerRecord* r = record();
  return !r || r->ink.stroke_count() == 0 ? 1 : 0;
}

}  // namespace vok
