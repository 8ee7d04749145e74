// The store of word-end records that the searches write frame by frame, with
// the best final record, trace-back and best-first path enumeration.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/hypothesis.h"
#include "engine/core/object_mem_mgr.h"

namespace vok {

struct BackTraceRecord {
  uint16_t frame = 0;
  uint16_t label = 0;  // 65535: no word (the start sentinel)
  int16_t score = 0;
  // The id of the preceding record (0 ends a chain, a negative value counts
  // by magnitude), or in the lattice searches the frame where the word began.
  int32_t back = 0;
};

// A record of a frame relative to the frame's best score.
struct SortedRecord {
  uint16_t label = 0;
  int16_t score = 0;  // 0 for the best, negative below
  uint16_t back = 0;  // the back pointer's low 16 bits: a frame number
};

class BackTraceTable {
 public:
  static constexpr int kMaxFrame = 2000;
  static constexpr int kFrames = kMaxFrame + 1;
  static constexpr int kMaxLabels = 199;
  static constexpr uint16_t kNoWord = 65535;
  // Bytes of a record in the product, and of the frame arrays.
  static constexpr int kRecordBytes = 12;
  static constexpr int kFrameArrayBytes = 20014;

  // Records come in blocks of `block_size` (at most 250 blocks); at most
  // `max_branching` records of a frame are expanded when paths are
  // enumerated; `flag` is kept as the hypothesis mode. Direction forward.
  BackTraceTable(int block_size, int max_branching, int32_t flag);
  ~BackTraceTable();
  BackTraceTable(const BackTraceTable&) = delete;
  BackTraceTable& operator=(const BackTraceTable&) = delete;

  // Backward tables count frames downwards from the start frame.
  void set_backward(bool backward) { backward_ = backward; }
  bool backward() const { return backward_; }

  // Empties the table and starts at `start_frame` (0 to 2000).
  void Reset(int start_frame);
  // A record of the current frame; its id, or -1 when the pool is full.
  int AddRecord(uint16_t label, int16_t score, int32_t back);
  // The same with the back pointer taken from `back` (null gives 0).
  int AddRecord(uint16_t label, int16_t score, const int32_t* back) {
    return AddRecord(label, score, back ? *back : 0);
  }
  int AddStart() { return AddRecord(kNoWord, 0, 0); }
  // Closes the current frame; -1 (nothing changes) when the next frame would
  // lie outside 0 to 2000.
  int EndFrame();

  // The best record of frame f (f >= 1; the first of equal scores; scores of
  // the empty score and below never qualify), or -1.
  int BestRecordInFrame(int f) const;
  // The best record of the last completed frame that has one, or -1.
  int BestFinalRecord() const;
  // Labels of the chain ending at `record`, earliest first; the count, or -1
  // for a bad record id, a chain that loops or leaves the table, a chain of
  // more than 199 labels or more than `capacity` labels.
  int TraceBack(int record, uint16_t* labels, int capacity) const;
  // The cached sorted list of frame f without start records, highest first;
  // null with count 0 for an empty list or a frame outside the table.
  const SortedRecord* SortedList(int f, int* count);
  void FreeSortedList(int f);
  // Every record of frame f, start records included, highest first.
  std::vector<SortedRecord> FrameList(int f) const;
  // Every record of the final record's frame traced back into the list,
  // which is then sorted. -1 when there is no final record.
  int ListFinal(NBestList* nbest) const;
  // The best paths from the final record's frame back to the start into the
  // list. -1 when there is no final record, else 0.
  int EnumeratePaths(NBestList* nbest);

  // The owner's choice of final record (-1 for none) and its score.
  void SetFinal(int record, int32_t score) {
    final_record_ = record;
    final_score_ = score;
  }
  void set_final_score(int32_t score) { final_score_ = score; }
  int final_record() const { return final_record_; }
  int32_t final_score() const { return final_score_; }

  const BackTraceRecord* GetRecord(int id) const { return pool_->Get(id); }
  int record_count() const { return pool_->count(); }
  int32_t hypothesis_mode() const { return flag_; }
  int frames_completed() const { return frames_completed_; }
  int current_frame() const { return current_frame_; }
  int max_branching() const { return max_branching_; }
  int16_t best_score(int f) const { return (f >= 0 && f < kFrames) ? best_[f] : kEmptyScore; }
  int64_t MemoryUse() const;

 private:
  // Pool ids [*first, *last) of frame f; false for a frame with none.
  bool FrameExtent(int f, int* first, int* last) const;
  int Expand(int frame, int32_t score, uint16_t* path, int depth, NBestList* nbest);
  int StartFrame() const { return backward_ ? frames_completed_ : 0; }

  bool backward_ = false;
  int32_t max_branching_;
  int32_t flag_;
  int32_t frames_completed_ = 0;
  int32_t current_frame_ = 0;
  int32_t final_record_ = -1;
  int32_t final_score_ = 0;
  // One more start than frames, so that frame 2000 of a backward table has an
  // end.
  int32_t start_[kFrames + 1] = {};
  int16_t best_[kFrames] = {};
  std::vector<SortedRecord> sorted_[kFrames];
  bool sorted_built_[kFrames] = {};
  std::unique_ptr<ObjectMemMgr<BackTraceRecord>> pool_;
};

}  // namespace vok
