#include "engine/core/back_trace_table.h"

#include <algorithm>
#include <climits>

namespace vok {

namespace {

int16_t Relative(int score, int best) { return static_cast<int16_t>(std::max(score - best, INT16_MIN)); }

void SortDescending(std::vector<SortedRecord>* list) {
  std::stable_sort(list->begin(), list->end(),
                   [](const SortedRecord& a, const SortedRecord& b) { return a.score > b.score; });
}

}  // namespace

BackTraceTable::BackTraceTable(int block_size, int max_branching, int32_t flag)
    : max_branching_(max_branching),
      flag_(flag),
      pool_(std::make_unique<ObjectMemMgr<BackTraceRecord>>(block_size, kRecordBytes)) {
  Reset(0);
}

BackTraceTable::~BackTraceTable() = default;

void BackTraceTable::Reset(int start_frame) {
  for (int f = 0; f < kFrames; ++f) {
    sorted_[f].clear();
    sorted_[f].shrink_to_fit();
    sorted_built_[f] = false;
    best_[f] = kEmptyScore;
  }
  std::fill(std::begin(start_), std::end(start_), 0);
  best_[0] = 0;
  frames_completed_ = 0;
  current_frame_ = std::clamp(start_frame, 0, kMaxFrame);
  final_record_ = -1;
  final_score_ = 0;
  pool_->Clear();
}

int BackTraceTable::AddRecord(uint16_t label, int16_t score, int32_t back) {
  BackTraceRecord* record = nullptr;
  const int id = pool_->New(&record);
  if (id < 0) return -1;
  record->frame = static_cast<uint16_t>(current_frame_);
  record->label = label;
  record->score = score;
  record->back = back;
  if (score > best_[current_frame_]) best_[current_frame_] = score;
  return id;
}

int BackTraceTable::EndFrame() {
  if (backward_) {
    if (current_frame_ <= 0) return -1;
    start_[current_frame_] = pool_->count();
    --current_frame_;
  } else {
    if (current_frame_ >= kMaxFrame) return -1;
    ++current_frame_;
    start_[current_frame_] = pool_->count();
  }
  ++frames_completed_;
  return 0;
}

bool BackTraceTable::FrameExtent(int f, int* first, int* last) const {
  if (f < 0 || f > kMaxFrame) return false;
  if (backward_) {
    if (f < current_frame_) return false;
    *first = start_[f + 1];
    *last = f == current_frame_ ? pool_->count() : start_[f];
  } else {
    if (f > current_frame_) return false;
    *first = start_[f];
    *last = f == current_frame_ ? pool_->count() : start_[f + 1];
  }
  return *first < *last;
}

int BackTraceTable::BestRecordInFrame(int f) const {
  int first, last;
  if (f < 1 || !FrameExtent(f, &first, &last)) return -1;
  int best = -1;
  int best_score = kEmptyScore;
  for (int id = first; id < last; ++id) {
    const BackTraceRecord* r = pool_->Get(id);
    if (r->score > best_score) {
      best_score = r->score;
      best = id;
    }
  }
  return best;
}

int BackTraceTable::BestFinalRecord() const {
  for (int f = frames_completed_ - 1; f >= 1; --f) {
    const int record = BestRecordInFrame(f);
    if (record >= 0) return record;
  }
  return -1;
}

int BackTraceTable::TraceBack(int record, uint16_t* labels, int capacity) const {
  int chain[kMaxLabels];
  int n = 0;
  int id = record;
  for (;;) {
    const BackTraceRecord* r = pool_->Get(id);
    if (!r || n == kMaxLabels || n == capacity) return -1;
    if (std::find(chain, chain + n, id) != chain + n) return -1;
    chain[n++] = id;
    if (r->back == 0) break;
    if (r->back == INT32_MIN) return -1;
    id = r->back < 0 ? -r->back : r->back;
  }
  for (int i = 0; i < n; ++i) labels[i] = pool_->Get(chain[n - 1 - i])->label;
  return n;
}

const SortedRecord* BackTraceTable::SortedList(int f, int* count) {
  *count = 0;
  if (f < 0 || f > kMaxFrame) return nullptr;
  if (!sorted_built_[f]) {
    int first, last;
    if (FrameExtent(f, &first, &last)) {
      for (int id = first; id < last; ++id) {
        const BackTraceRecord* r = pool_->Get(id);
        if (r->label == kNoWord) continue;
        sorted_[f].push_back({r->label, Relative(r->score, best_[f]), static_cast<uint16_t>(r->back)});
      }
      SortDescending(&sorted_[f]);
    }
    sorted_built_[f] = true;
  }
  *count = static_cast<int>(sorted_[f].size());
  return sorted_[f].empty() ? nullptr : sorted_[f].data();
}

void BackTraceTable::FreeSortedList(int f) {
  if (f < 0 || f > kMaxFrame) return;
  sorted_[f].clear();
  sorted_[f].shrink_to_fit();
  sorted_built_[f] = false;
}

std::vector<SortedRecord> BackTraceTable::FrameList(int f) const {
  std::vector<SortedRecord> list;
  int first, last;
  if (!FrameExtent(f, &first, &last)) return list;
  list.reserve(static_cast<std::size_t>(last - first));
  for (int id = first; id < last; ++id) {
    const BackTraceRecord* r = pool_->Get(id);
    list.push_back({r->label, Relative(r->score, best_[f]), static_cast<uint16_t>(r->back)});
  }
  SortDescending(&list);
  return list;
}

int BackTraceTable::ListFinal(NBestList* nbest) const {
  const BackTraceRecord* final_record = pool_->Get(final_record_);
  if (!final_record) return -1;
  int first, last;
  if (FrameExtent(final_record->frame, &first, &last)) {
    uint16_t labels[kMaxLabels];
    for (int id = first; id < last; ++id) {
      const int n = TraceBack(id, labels, kMaxLabels);
      if (n >= 0) nbest->Insert(pool_->Get(id)->score, labels, n);
    }
  }
  nbest->Sort();
  return 0;
}

int BackTraceTable::EnumeratePaths(NBestList* nbest) {
  const BackTraceRecord* final_record = pool_->Get(final_record_);
  if (!final_record) return -1;
  uint16_t path[kMaxLabels];
  Expand(final_record->frame, 0, path, 0, nbest);
  if (!backward_) nbest->ReverseAll();
  return 0;
}

int BackTraceTable::Expand(int frame, int32_t score, uint16_t* path, int depth, NBestList* nbest) {
  if (score < nbest->AdmissionScore()) return -1;
  const int start = StartFrame();
  if (frame == start) {
    nbest->Insert(score, path, depth);
    return 0;
  }
  if (depth >= kMaxLabels) return 0;
  int count = 0;
  const SortedRecord* list = SortedList(frame, &count);
  int expanded = 0;
  for (int i = 0; i < count && i < max_branching_; ++i) {
    const int back = list[i].back;
    // Only frames between this one and the start: anything else would loop
    // or leave the utterance.
    const bool toward_start = backward_ ? (back > frame && back <= start) : (back < frame && back >= start);
    if (!toward_start) continue;
    path[depth] = list[i].label;
    if (Expand(back, score + list[i].score, path, depth + 1, nbest) < 0) break;
    ++expanded;
  }
  return expanded;
}

int64_t BackTraceTable::MemoryUse() const { return pool_->MemoryUse() + kFrameArrayBytes; }

}  // namespace vok
