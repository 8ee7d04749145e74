#include "engine/core/hypothesis.h"

#include <algorithm>
#include <cstring>

namespace vok {

namespace {

int16_t HeldScore(int32_t score) {
  return static_cast<int16_t>(std::clamp<int32_t>(score, kEmptyScore + 1, INT16_MAX));
}

}  // namespace

void Hypothesis::Reset(int32_t new_mode) {
  count = 0;
  score = kEmptyScore;
  mode = new_mode;
}

int Hypothesis::Set(int16_t new_score, int new_count, const uint16_t* new_ids, int32_t new_mode) {
  if (new_count < 0 || new_count > kMaxIds || (new_count > 0 && !new_ids)) return -1;
  score = new_score;
  count = static_cast<uint16_t>(new_count);
  if (new_count > 0) std::memmove(ids, new_ids, sizeof(uint16_t) * static_cast<std::size_t>(new_count));
  mode = new_mode;
  return 0;
}

int Hypothesis::GetIds(uint16_t* out, int capacity) const {
  if (!out || capacity < count + 1) return -1;
  out[0] = count;
  std::memcpy(out + 1, ids, sizeof(uint16_t) * count);
  return count + 1;
}

bool Hypothesis::Equals(const uint16_t* other, int other_count) const {
  if (other_count != count) return false;
  return count == 0 || std::memcmp(ids, other, sizeof(uint16_t) * count) == 0;
}

void Hypothesis::Reverse() { std::reverse(ids, ids + count); }

int Hypothesis::Prepend(const uint16_t* array) {
  if (!array) return 0;
  const int n = array[0];
  if (count + n > kMaxIds) return -1;
  std::memmove(ids + n, ids, sizeof(uint16_t) * count);
  std::memcpy(ids, array + 1, sizeof(uint16_t) * static_cast<std::size_t>(n));
  count = static_cast<uint16_t>(count + n);
  return 0;
}

int Hypothesis::Append(const uint16_t* array) {
  if (!array) return 0;
  const int n = array[0];
  if (count + n > kMaxIds) return -1;
  std::memcpy(ids + count, array + 1, sizeof(uint16_t) * static_cast<std::size_t>(n));
  count = static_cast<uint16_t>(count + n);
  return 0;
}

NBestList::NBestList(int limit, int32_t mode)
    : limit_(std::clamp(limit, 1, kRecords)), records_(new Hypothesis[kRecords]) {
  Reset(kEmptyScore, mode);
}

void NBestList::set_limit(int limit) {
  limit_ = std::clamp(limit, 1, kRecords);
  if (count_ > limit_) count_ = limit_;
}

void NBestList::Reset(int32_t best_score, int32_t mode) {
  count_ = 0;
  best_score_ = best_score;
  ResetAll(mode);
}

void NBestList::ResetAll(int32_t mode) {
  for (int i = 0; i < kRecords; ++i) records_[i].Reset(mode);
}

int NBestList::Append(int32_t score, const uint16_t* ids, int count) {
  if (count_ >= limit_) return -1;
  if (records_[count_].Set(HeldScore(score), count, ids, 1) != 0) return -1;
  ++count_;
  return 0;
}

int NBestList::FindEqual(const uint16_t* ids, int count) const {
  for (int i = 0; i < count_; ++i) {
    if (records_[i].Equals(ids, count)) return i;
  }
  return -1;
}

int NBestList::Insert(int32_t score, const uint16_t* ids, int count) {
  if (count < 0 || count > Hypothesis::kMaxIds || (count > 0 && !ids)) return -1;
  const int32_t mode = records_[0].mode;
  const int16_t held = HeldScore(score);
  if (held < records_[limit_ - 1].score) return 0;
  int changed = FindEqual(ids, count);
  if (changed >= 0) {
    if (records_[changed].score >= held) return 0;
  } else {
    if (count_ < limit_) ++count_;
    changed = count_ - 1;
  }
  records_[changed].Set(held, count, ids, mode);
  // The rest stays sorted: the changed record only moves up, behind the
  // records that sort before it or equal to it.
  int target = changed;
  while (target > 0 && SortsBefore(records_[changed], records_[target - 1])) --target;
  std::rotate(records_.get() + target, records_.get() + changed, records_.get() + changed + 1);
  return 1;
}

bool NBestList::SortsBefore(const Hypothesis& a, const Hypothesis& b) {
  if (a.score != b.score) return a.score > b.score;
  return a.count < b.count;
}

void NBestList::Sort() { std::stable_sort(records_.get(), records_.get() + count_, SortsBefore); }

void NBestList::CopyTo(NBestList* other) const {
  for (int i = 0; i < count_; ++i) records_[i].CopyTo(&other->records_[i]);
  other->count_ = count_;
  other->limit_ = limit_;
  other->best_score_ = best_score_;
}

int NBestList::AddContext(const uint16_t* left, const uint16_t* right) {
  const int extra = (left ? left[0] : 0) + (right ? right[0] : 0);
  for (int i = 0; i < count_; ++i) {
    if (records_[i].count + extra > Hypothesis::kMaxIds) return -1;
  }
  for (int i = 0; i < count_; ++i) {
    records_[i].Prepend(left);
    records_[i].Append(right);
  }
  return 0;
}

int NBestList::RemoveContext(int left_count, int right_count) {
  if (left_count < 0 || right_count < 0) return -1;
  for (int i = 0; i < count_; ++i) {
    if (left_count + right_count > records_[i].count) return -1;
  }
  for (int i = 0; i < count_; ++i) {
    Hypothesis& h = records_[i];
    const int kept = h.count - left_count - right_count;
    std::memmove(h.ids, h.ids + left_count, sizeof(uint16_t) * static_cast<std::size_t>(kept));
    h.count = static_cast<uint16_t>(kept);
    h.mode = 1;
  }
  return 0;
}

void NBestList::ReverseAll() {
  for (int i = 0; i < count_; ++i) records_[i].Reverse();
}

void NBestList::UpdateStatistics(int rank, int32_t score) {
  if (rank >= kRecords) return;
  if (rank >= 0) {
    ++found_;
    ++rank_counts_[rank];
  } else {
    if (count_ == 0) return;
    const int32_t relative = score - best_score_;
    if (records_[count_ - 1].score <= relative) {
      ++missed_above_;
    } else {
      ++missed_below_;
    }
  }
  ++counted_;
}

const CAlternativeList::Entry* CAlternativeList::Find(uint16_t word) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[i].word == word) return &entries_[i];
  }
  return nullptr;
}

int CAlternativeList::Add(uint16_t word, int16_t score) {
  if (Find(word)) return 0;
  if (count_ >= kMaxEntries) return -1;
  int i = count_++;
  while (i > 0 && entries_[i - 1].score < score) {
    entries_[i] = entries_[i - 1];
    --i;
  }
  entries_[i] = Entry{word, score};
  return 1;
}

}  // namespace vok
