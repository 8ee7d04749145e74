#include "engine/core/hwr_recognizer.h"

#include <algorithm>

#include "engine/core/hwr_character_features.h"
#include "engine/core/hwr_code_mapping.h"
#include "platform/file_access.h"

namespace vok {
namespace {

int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool WorseEntry(const HwrFirstPassEntry& a, const HwrFirstPassEntry& b) {
  return a.score != b.score ? a.score < b.score : a.class_index < b.class_index;
}

bool EarlierCandidate(const HwrCandidate& a, const HwrCandidate& b) { return a.order_key < b.order_key; }

}  // namespace

// Base --------------------------------------------------------------------

bool CHWRRecognizer::Load(const char* path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) {
    LoadBytes(nullptr, 0);
    return false;
  }
  return LoadBytes(bytes->data(), bytes->size());
}

int CHWRRecognizer::Recognize(const InkPoint* points, int stroke_count, const int* point_counts,
                              HwrCandidate* candidates, int room) {
  if (stroke_count < 1 || stroke_count > kHwrMaxStrokes || room < 1) return 0;
  int total = 0;
  for (int s = 0; s < stroke_count; ++s) {
    if (point_counts[s] < 1 || point_counts[s] > kHwrMaxTotalPoints - total) return 0;
    total += point_counts[s];
  }
  std::fill(mask_.begin(), mask_.end(), 1);
  const int n = std::min(kHwrFirstPassCandidates, classes_ - 1);
  std::copy(point_counts, point_counts + stroke_count, point_counts_);
  std::copy(points, points + total, points_);
  stroke_count_ = stroke_count;
  if (!BindModelTables()) return 0;
  return Classify(parameter_, mask_.data(), n, 0, candidates, room);
}

int CHWRRecognizer::TotalPoints() const {
  int total = 0;
  for (int s = 0; s < stroke_count_; ++s) total += point_counts_[s];
  return total;
}

int CHWRRecognizer::JoinHeldInk(InkPoint* trace) const {
  if (stroke_count_ < 1) return -1;
  return JoinStrokes(points_, point_counts_, stroke_count_, trace);
}

void CHWRRecognizer::MakeShortlist(HwrFirstPassEntry* list, int count,
                                   const RadicalDictionaryRecord* dictionary) {
  for (int i = 0; i < count; ++i) {
    const RadicalDictionaryRecord& record = dictionary[list[i].class_index];
    list[i].first_radical = record.radicals[0];
    list[i].states = record.states[0];
  }
  std::stable_sort(list, list + count, [](const HwrFirstPassEntry& a, const HwrFirstPassEntry& b) {
    return a.first_radical != b.first_radical ? a.first_radical < b.first_radical : a.states < b.states;
  });
}

int CHWRRecognizer::ScoreShortlist(const HwrFirstPassEntry* shortlist, int count,
                                   const std::vector<RadicalModel>& models,
                                   const RadicalDictionaryRecord* dictionary, const uint8_t* step_codes,
                                   int steps, HwrCandidate* out) {
  scorer_.Reset(step_codes, steps);
  const int64_t points = TotalPoints();
  int found = 0;
  for (int i = 0; i < count; ++i) {
    const HwrFirstPassEntry& entry = shortlist[i];
    const RadicalDictionaryRecord& record = dictionary[entry.class_index];
    int64_t best = kNoRadicalScore;
    for (int m = 0; m < record.model_count; ++m) {
      const int64_t s =
          scorer_.Score(models, &record.radicals[record.FirstRadicalSlot(m)], record.radical_counts[m]);
      best = std::min(best, s);
    }
    if (best < 1 || best >= 0x7FFFFFFF) continue;
    const int code = IndexToCode(entry.class_index);
    if (code < 0) continue;
    out[found++] = {static_cast<uint16_t>(code),
                    ClampToInt32(best * points / steps + int64_t{entry.base} * points / 60),
                    ClampToInt32(int64_t{entry.score} + best), record.strokes - stroke_count_};
  }
  std::stable_sort(out, out + found, EarlierCandidate);
  return found;
}

// Chinese -----------------------------------------------------------------

bool CHWRCharRecognizer::LoadBytes(const uint8_t* data, std::size_t size) {
  model_ = data ? ReadHwrCharacterModel(data, size, triple_) : nullptr;
  bound_ = false;
  return model_ != nullptr;
}

bool CHWRCharRecognizer::BindModelTables() {
  if (!model_ || bound_) return true;
  character_table_ = model_->character_table;
  parameter_ = 2;
  bound_ = true;
  return true;
}

int CHWRCharRecognizer::FirstPass(const InkPoint* trace, int points, HwrFirstPassEntry* list, int n,
                                  const uint8_t*) {
  if (!model_ || n < 0 || n >= classes_) return -1;
  HwrCharacterFeatures features;
  TrajectoryFeatures(trace, points, &features);
  InkPoint smoothed[kMaxInkPoints];
  SmoothBy5(trace, points, smoothed);
  int32_t histogram[kHistogramCounters];
  TraceHistogram(smoothed, points, histogram);
  ImageFeatures(histogram, &features);
  uint8_t codes[kHwrBlocks];
  QuantiseCharacterFeatures(features, model_->ft_code_book.data(), model_->image_code_book.data(), codes);

  const uint8_t* rows[kHwrBlocks];
  const uint8_t* pdfs[kHwrBlocks];
  for (int b = 0; b < kHwrBlocks; ++b) {
    rows[b] = model_->blocks[b].rows.data() + codes[b] * kHwrPdfs;
    pdfs[b] = model_->blocks[b].class_pdfs.data();
  }
  const auto term = [&](int b, int k) { return int32_t{rows[b][pdfs[b][k]]}; };
  const int size = n + 1;
  for (int k = 0; k < size; ++k) {
    int32_t score = 0;
    for (int b = 0; b < kHwrBlocks; ++b) score += term(b, k);
    list[k] = {score, k, 0, 0, 0};
  }
  std::make_heap(list, list + size, WorseEntry);
  int32_t worst = list[0].score;
  for (int k = size; k < classes_; ++k) {
    int32_t score = 0;
    int b = 0;
    for (; b < 6; ++b) score += term(b, k);
    if (score >= worst >> 2) continue;
    for (; b < 12; ++b) score += term(b, k);
    if (score >= worst >> 1) continue;
    for (; b < 17; ++b) score += term(b, k);
    if (score >= (5 * worst) >> 3) continue;
    for (; b < kHwrBlocks; ++b) score += term(b, k);
    if (score >= worst) continue;
    std::pop_heap(list, list + size, WorseEntry);
    list[size - 1] = {score, k, 0, 0, 0};
    std::push_heap(list, list + size, WorseEntry);
    worst = list[0].score;
  }
  return size;
}

int CHWRCharRecognizer::Classify(int parameter, const uint8_t* mask, int n, uint16_t previous,
                                 HwrCandidate* candidates, int room) {
  if (!model_ || room < 1) return 0;
  n = std::min({n, kHwrFirstPassCandidates, classes_ - 1});
  if (n < 1) return 0;
  InkPoint trace[kMaxInkPoints];
  const int points = JoinHeldInk(trace);
  if (points < 0) return 0;
  HwrFirstPassEntry list[kHwrFirstPassCandidates + 1];
  const int listed = FirstPass(trace, points, list, n, mask);
  if (listed < 0) return 0;

  const int previous_index = previous ? CodeToIndex(previous) : -1;
  for (int i = 0; i < listed; ++i) {
    HwrFirstPassEntry& entry = list[i];
    const int32_t u = character_table_[entry.class_index];
    if (!previous) {
      entry.base = 3 * entry.score;
      entry.score = 3 * entry.score + 20 * u;
      continue;
    }
    entry.base = 0;
    int32_t bigram = 1275;
    if (previous_index >= 0) {
      const int64_t key = int64_t{previous_index} * 100000 + entry.class_index;
      const auto& keys = model_->bigram_keys;
      const auto found = std::lower_bound(keys.begin(), keys.end(), key,
                                          [](int32_t stored, int64_t wanted) { return stored < wanted; });
      if (found != keys.end() && *found == key) bigram = 5 * model_->bigram_scores[found - keys.begin()];
    }
    entry.score = 3 * (entry.score + bigram) + 20 * u;
  }
  std::stable_sort(list, list + listed,
                   [](const HwrFirstPassEntry& a, const HwrFirstPassEntry& b) { return a.score < b.score; });

  const int steps = ObservationTrace(trace, points);
  if (steps < 0) return 0;
  const int shortlisted = std::min(listed, 3 * n / 8);
  MakeShortlist(list, shortlisted, model_->dictionary.data());

  HwrCandidate print[kHwrFirstPassCandidates];
  HwrCandidate cursive[kHwrFirstPassCandidates];
  int print_count = 0;
  int cursive_count = 0;
  uint8_t step_codes[kMaxObservationSteps];
  if (parameter == 1 || parameter == 2) {
    StepCodes(trace, steps, model_->print_vectors.data(), step_codes);
    print_count = ScoreShortlist(list, shortlisted, model_->print_models, model_->dictionary.data(),
                                 step_codes, steps, print);
  }
  if (parameter == 0 || parameter == 2) {
    StepCodes(trace, steps, model_->cursive_vectors.data(), step_codes);
    cursive_count = ScoreShortlist(list, shortlisted, model_->cursive_models, model_->dictionary.data(),
                                   step_codes, steps, cursive);
  }
  const bool cursive_wins = CursiveListWins(print, print_count, cursive, cursive_count);
  const HwrCandidate* winner = cursive_wins ? cursive : print;
  const int count = std::min(cursive_wins ? cursive_count : print_count, room);
  std::copy(winner, winner + count, candidates);
  return count;
}

int CHWRSCRecognizer::CodeToIndexLevel1(uint16_t code) const { return ScLevel1Index(code); }
int CHWRSCRecognizer::IndexToCodeLevel1(int index) const { return ScLevel1Code(index); }
int CHWRSCRecognizer::CodeToIndexLevel2(uint16_t code) const { return ScLevel2Index(code); }
int CHWRSCRecognizer::IndexToCodeLevel2(int index) const { return ScLevel2Code(index); }
int CHWRSCRecognizer::CodeToIndex(uint16_t code) const {
  const int index = ScIndex(code);
  return index < classes_ ? index : -1;
}
int CHWRSCRecognizer::IndexToCode(int index) const { return index < classes_ ? ScCode(index) : -1; }

int CHWRTCRecognizer::CodeToIndexLevel1(uint16_t code) const { return TcLevel1Index(code); }
int CHWRTCRecognizer::IndexToCodeLevel1(int index) const { return TcLevel1Code(index); }
int CHWRTCRecognizer::CodeToIndexLevel2(uint16_t code) const { return TcLevel2Index(code); }
int CHWRTCRecognizer::IndexToCodeLevel2(int index) const { return TcLevel2Code(index); }
int CHWRTCRecognizer::CodeToIndex(uint16_t code) const {
  const int index = TcIndex(code);
  return index < classes_ ? index : -1;
}
int CHWRTCRecognizer::IndexToCode(int index) const { return index < classes_ ? TcCode(index) : -1; }

// Latin -------------------------------------------------------------------

bool CHWRRomRecognizer::LoadBytes(const uint8_t* data, std::size_t size) {
  model_ = data ? ReadHwrLatinModel(data, size) : nullptr;
  bound_ = false;
  return model_ != nullptr;
}

bool CHWRRomRecognizer::BindModelTables() {
  if (!model_ || bound_) return true;
  parameter_ = 1;
  bound_ = true;
  return true;
}

int CHWRRomRecognizer::CodeToIndex(uint16_t code) const { return LatinIndex(code); }
int CHWRRomRecognizer::IndexToCode(int index) const { return LatinCode(index); }

int CHWRRomRecognizer::Recognize(const InkPoint* points, int stroke_count, const int* point_counts,
                                 HwrCandidate* candidates, int room) {
  const int count = CHWRRecognizer::Recognize(points, stroke_count, point_counts, candidates, room);
  for (int i = 0; i < count; ++i) candidates[i].code = static_cast<uint16_t>(candidates[i].code << 8);
  return count;
}

int CHWRRomRecognizer::FirstPass(const InkPoint* trace, int points, HwrFirstPassEntry* list, int n,
                                 const uint8_t* mask) {
  if (!model_ || n < 0 || n >= classes_) return -1;
  HwrCharacterFeatures features;
  LatinCharacterFeatures(trace, points, points_, point_counts_, stroke_count_, &features);
  uint8_t codes[kHwrBlocks];
  QuantiseCharacterFeatures(features, model_->ft_code_book.data(), model_->image_code_book.data(), codes);

  const int size = n + 1;
  int listed = 0;
  for (int k = 0; k < classes_; ++k) {
    if (!mask[k]) continue;
    int32_t score = 0;
    for (int b = 0; b < kHwrFtLocations; ++b)
      score += model_->ft_tables[(b * kHwrCodes + codes[b]) * classes_ + k];
    for (int b = 0; b < kHwrImageBlocks; ++b) {
      score += model_->image_tables[(b * kHwrCodes + codes[kHwrFtLocations + b]) * classes_ + k];
    }
    const HwrFirstPassEntry entry{score, k, 0, 0, score};
    const auto by_score = [](int32_t s, const HwrFirstPassEntry& e) { return s < e.score; };
    if (listed < size) {
      HwrFirstPassEntry* at = std::upper_bound(list, list + listed, score, by_score);
      std::copy_backward(at, list + listed, list + listed + 1);
      *at = entry;
      ++listed;
    } else if (score < list[size - 1].score) {
      HwrFirstPassEntry* at = std::upper_bound(list, list + size - 1, score, by_score);
      std::copy_backward(at, list + size - 1, list + size);
      *at = entry;
    }
  }
  return listed;
}

int CHWRRomRecognizer::Classify(int parameter, const uint8_t* mask, int n, uint16_t, HwrCandidate* candidates,
                                int room) {
  if (!model_ || parameter != 1 || room < 1) return 0;
  n = std::min(n, classes_ - 1);
  if (n < 1) return 0;
  InkPoint trace[kMaxInkPoints];
  const int points = JoinHeldInk(trace);
  if (points < 0) return 0;
  HwrFirstPassEntry list[kLatinClasses];
  const int listed = FirstPass(trace, points, list, n, mask);
  if (listed < 0) return 0;
  const int steps = ObservationTrace(trace, points);
  if (steps < 0) return 0;
  const int shortlisted = std::min(listed, 3 * n / 8);
  MakeShortlist(list, shortlisted, model_->dictionary.data());
  uint8_t step_codes[kMaxObservationSteps];
  StepCodes(trace, steps, model_->print_vectors.data(), step_codes);
  HwrCandidate found[kLatinClasses];
  const int count =
      FilterLatinCandidates(found, ScoreShortlist(list, shortlisted, model_->print_models,
                                                  model_->dictionary.data(), step_codes, steps, found));
  const int copied = std::min(count, room);
  std::copy(found, found + copied, candidates);
  return copied;
}

bool CursiveListWins(const HwrCandidate* print, int print_count, const HwrCandidate* cursive,
                     int cursive_count) {
  return cursive_count > 0 && (print_count == 0 || cursive[0].order_key <= print[0].order_key);
}

int FilterLatinCandidates(HwrCandidate* candidates, int count) {
  if (count <= 0) return 0;
  int kept = 1;
  while (kept < count && kept < 10 && candidates[kept].order_key - int64_t{candidates[0].order_key} < 1000)
    ++kept;
  int32_t keys[10];
  for (int i = 0; i < kept; ++i) keys[i] = candidates[i].order_key;
  std::stable_sort(candidates, candidates + kept, [](const HwrCandidate& a, const HwrCandidate& b) {
    const int32_t da = a.stroke_difference < 0 ? -a.stroke_difference : a.stroke_difference;
    const int32_t db = b.stroke_difference < 0 ? -b.stroke_difference : b.stroke_difference;
    return da != db ? da < db : a.stroke_difference > b.stroke_difference;
  });
  for (int i = 0; i < kept; ++i) candidates[i].order_key = keys[i];
  return kept;
}

}  // namespace vok
