// The handwriting sentence system behind the engine's pen recognizer: its
// engine groups the strokes into character cells and writes their
// candidates into the back-trace table, and the language-model back end
// reads sentences from it (segmentation on); with segmentation off the
// candidates of the whole request, one character, are the N-best list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/NetSearchEngine/hwr_lattice_engine.h"
#include "engine/SyllableLatticeEngine/system.h"

namespace vok {

class BackTraceTable;
class CHWRGestureModel;
class CHWRRecognizer;
class HwrCodeConversion;
class SymbolTable;

class CHRecognitionSystem : public CSystem {
 public:
  static constexpr int kFileNameBytes = 100;
  // The room of the one-character result.
  static constexpr int kSingleCellCandidates = 200;
  // Recognizer scores (lower better) enter the list as -min(score, 27767).
  static constexpr int32_t kMaxListedScore = 27767;

  // The pronunciations (the characters' codes as syllables, a backward
  // tree; may be null) become the system's; the syllable names are the
  // caller's and serve the engine only when there are no pronunciations.
  // The conversion table between the scripts is the caller's and may be
  // null. Reads the options and loads (Load).
  CHRecognitionSystem(const Resources& resources, CLMBackendEngine* back_end,
                      std::unique_ptr<CLexTree> pronunciations, const SymbolTable* syllables,
                      const HwrCodeConversion* conversion = nullptr);
  ~CHRecognitionSystem() override;

  // The base options, then "HorizontalWriting" of "CHRecognitionSystem".
  int ReadOptions(const Resources& resources, bool reload) override;
  // GetBestResult.
  int FinishUtterance() override;
  // The base's with segmentation on; 0 (the list stands) with it off.
  int RunBackEnd(bool rescore, bool no_lexicon_constraint) override;
  // The base's with segmentation on; with it off every sentence's word
  // goes to the first record, and the second is cleared. -1 for an empty
  // word list.
  int GetAlternatives(const uint16_t* word_ids, CAlternativeList* records) override;

  // Pronunciations from the files of section "CHRecognitionSystem" (a
  // forward tree is refused), the table, the engine (header printed), and
  // the segment deltas and result script of the store. -1 when a named
  // file failed to load (the system keeps what it had).
  int Load(const Resources& resources);
  // Segmentation on: the engine's finish (the lattice). Off: the candidates
  // of the request that are lexicon words become one-word sentences in
  // recognizer order.
  int GetBestResult();

  int ClearStrokes();
  // The stroke, then the engine's track step (segmentation on) or its
  // single-cell step; that step's result. -1 for no points or a count of 0
  // or less.
  int AddStroke(const InkPoint* points, int count);

  void SetWritingDirection(int32_t direction);
  void SetInitSegmentDelta(int16_t delta);
  void SetSegmentDelta(int16_t delta);
  void SetRecognitionRange(int32_t range);
  void SetResultScript(int32_t script);
  void SetSCRecognizer(std::unique_ptr<CHWRRecognizer> recognizer);
  void SetTCRecognizer(std::unique_ptr<CHWRRecognizer> recognizer);
  void SetRomRecognizer(std::unique_ptr<CHWRRecognizer> recognizer);
  void SetGestureModels(std::shared_ptr<CHWRGestureModel> gesture, std::unique_ptr<CHWRGestureModel> anti);
  void SetPunctuationModel(std::unique_ptr<CHWRGestureModel> model);
  // 1 (segmentation on, the default) or 0 (one character per request).
  void SetSegmentation(int32_t on) { segmentation_ = on != 0 ? 1 : 0; }

  int RecognizeGesture(std::string* name, int64_t* score) const;
  int RecognizePunctuation(std::string* name, int64_t* score) const;
  // 1 when there is no recognizer record or it holds no strokes.
  int IsIdle() const;

  int32_t horizontal_writing() const { return horizontal_writing_; }
  int32_t segmentation() const { return segmentation_; }
  HWRLatticeEngine* hwr_engine() const { return hwr_engine_.get(); }
  const CLexTree* pronunciations() const { return pronunciations_; }

 private:
  HWRRecognizerRecord* record() const { return hwr_engine_ ? hwr_engine_->record() : nullptr; }
  int LoadPronunciations(const Resources& resources);
  void TakePronunciations(std::unique_ptr<CLexTree> tree);

  int32_t horizontal_writing_ = 1;
  int32_t segmentation_ = 1;
  const SymbolTable* given_syllables_;
  const HwrCodeConversion* conversion_;
  std::unique_ptr<CLexTree> own_pronunciations_;
  std::unique_ptr<CSyllableTable> own_syllables_;
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<HWRLatticeEngine> hwr_engine_;
};

}  // namespace vok
