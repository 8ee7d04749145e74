// Result carriers of the searches: one recognized sentence (Hypothesis), a
// ranked list of them (NBestList) and the alternative words of one word
// position (CAlternativeList).
#pragma once

#include <cstdint>
#include <memory>

namespace vok {

// The empty search score that every state, hypothesis and table starts with
// (stored as the unsigned 16-bit value 37768).
inline constexpr int16_t kEmptyScore = -27768;

class Hypothesis {
 public:
  static constexpr int kMaxIds = 200;

  Hypothesis() { Reset(1); }

  // Count 0, the empty score, the given mode.
  void Reset(int32_t mode);
  // Copies `count` ids; -1 (nothing changes) when count is outside 0 to 200.
  int Set(int16_t score, int count, const uint16_t* ids, int32_t mode);
  // Write the count followed by the ids into `out` of `capacity` elements;
  // the number written, or -1 when they do not fit.
  int GetIds(uint16_t* out, int capacity) const;
  int GetWordIds(uint16_t* out, int capacity) const { return GetIds(out, capacity); }
  bool Equals(const uint16_t* ids, int count) const;
  void Reverse();
  void CopyTo(Hypothesis* other) const { *other = *this; }
  // Put a count-first id array in front of, or behind, the ids; -1 (nothing
  // changes) when the sentence would hold more than 200 ids.
  int Prepend(const uint16_t* array);
  int Append(const uint16_t* array);

  int16_t score = kEmptyScore;
  uint16_t count = 0;
  uint16_t ids[kMaxIds] = {};
  // 1: the ids are word ids.
  int32_t mode = 1;
};

class NBestList {
 public:
  static constexpr int kRecords = 400;

  // Limit N, kept within 1 to 400.
  explicit NBestList(int limit = kRecords, int32_t mode = 1);
  NBestList(const NBestList&) = delete;
  NBestList& operator=(const NBestList&) = delete;

  // Count 0, the best score as given, every record reset with the mode.
  void Reset(int32_t best_score = kEmptyScore, int32_t mode = 1);
  // Every record reset with the mode; the count stays.
  void ResetAll(int32_t mode);
  // Sets record [count] without ordering; -1 when the list is full or the
  // sentence holds more than 200 ids, else 0. Scores outside the 16-bit range
  // are held at its ends, and never at the empty score.
  int Append(int32_t score, const uint16_t* ids, int count);
  // Ordered insertion of a distinct sentence: 1 when the list changed, 0 when
  // the sentence was not admitted, -1 when it holds more than 200 ids.
  int Insert(int32_t score, const uint16_t* ids, int count);
  // Records in use by score, higher first; equal scores: fewer words first.
  void Sort();
  // Records below the count, then count, limit and best score.
  void CopyTo(NBestList* other) const;
  // Puts the count-first arrays (either may be null) around every record in
  // use; -1 (nothing changes) when some record would exceed 200 ids.
  int AddContext(const uint16_t* left, const uint16_t* right);
  // Every record in use keeps the ids from left_count to count - right_count
  // - 1, mode 1; -1 (nothing changes) when a record holds fewer ids.
  int RemoveContext(int left_count, int right_count);
  void ReverseAll();
  // Counts where a reference sentence was found: rank 0 to 399, or negative
  // with the reference's absolute score. Ranks of 400 or more, and a missed
  // reference against an empty list, are ignored.
  void UpdateStatistics(int rank, int32_t score);

  int count() const { return count_; }
  int limit() const { return limit_; }
  // The N of the list, kept within 1 to 400; records beyond it stay unused.
  void set_limit(int limit);
  int32_t best_score() const { return best_score_; }
  void set_best_score(int32_t score) { best_score_ = score; }
  // The score a new sentence must reach: that of record [limit - 1].
  int16_t AdmissionScore() const { return records_[limit_ - 1].score; }
  const Hypothesis& Get(int i) const { return records_[i]; }
  Hypothesis& Mutable(int i) { return records_[i]; }

  int32_t found() const { return found_; }
  int32_t missed_below() const { return missed_below_; }
  int32_t missed_above() const { return missed_above_; }
  int32_t counted() const { return counted_; }
  uint16_t rank_count(int rank) const { return rank_counts_[rank]; }

 private:
  int FindEqual(const uint16_t* ids, int count) const;
  static bool SortsBefore(const Hypothesis& a, const Hypothesis& b);

  int32_t count_ = 0;
  int32_t limit_ = kRecords;
  int32_t best_score_ = kEmptyScore;
  std::unique_ptr<Hypothesis[]> records_;
  int32_t found_ = 0;
  int32_t missed_below_ = 0;
  int32_t missed_above_ = 0;
  int32_t counted_ = 0;
  uint16_t rank_counts_[kRecords] = {};
};

class CAlternativeList {
 public:
  static constexpr int kMaxEntries = 200;
  struct Entry {
    uint16_t word = 0;
    int16_t score = kEmptyScore;
  };

  // The entry of the word, or null.
  const Entry* Find(uint16_t word) const;
  // -1 when 200 entries are in use; 0 when the word is present (its score
  // stays); otherwise the entry joins behind every entry of an equal or
  // higher score, and 1.
  int Add(uint16_t word, int16_t score);

  int count() const { return count_; }
  const Entry& Get(int i) const { return entries_[i]; }

 private:
  int32_t count_ = 0;
  Entry entries_[kMaxEntries];
};

}  // namespace vok
