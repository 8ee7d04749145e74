// The candidates of one character cell from the record's recognizers: the
// two Chinese recognizers (their results carried into the result script),
// merged by order key, then the Latin recognizer's letters and digits as the
// range admits them, with full-width codes on request.
#pragma once

#include <cstdint>

#include "engine/NetSearchEngine/hwr_recognizer_record.h"
#include "engine/core/hwr_recognizer.h"

namespace vok {

class HwrCellRecognizer {
 public:
  static constexpr int kMaxCandidates = 200;
  // The Latin recognizer reads cells of fewer strokes only.
  static constexpr int kMaxLatinStrokes = 4;

  // Candidates of the strokes into `out` (room for kMaxCandidates), best
  // order key first; their number.
  int Recognize(const HWRRecognizerRecord& record, const InkPoint* points, int strokes,
                const int* point_counts, HwrCandidate* out);

 private:
  // One Chinese recognizer's list in the result script.
  int RunChinese(CHWRRecognizer* recognizer, int32_t script, const HWRRecognizerRecord& record,
                 const InkPoint* points, int strokes, const int* point_counts, HwrCandidate* out);
  int RunLatin(const HWRRecognizerRecord& record, const InkPoint* points, int strokes,
               const int* point_counts, HwrCandidate* out);

  HwrCandidate first_[kMaxCandidates];
  HwrCandidate second_[kMaxCandidates];
  HwrCandidate merged_[kMaxCandidates];
};

// Merges two lists ascending by order key (the first list first on equal
// keys) into `out`, leaving out codes already taken; at most `room`.
int MergeByOrderKey(const HwrCandidate* a, int a_count, const HwrCandidate* b, int b_count, HwrCandidate* out,
                    int room);

// The full-width code of a Latin result (character x 256) in the script;
// other codes come back unchanged.
uint16_t FullWidthCode(uint16_t code, int32_t script);

}  // namespace vok
