// The cache language model: a ring of the word ids of recently accepted
// results whose relative frequencies become unigram score bytes that the core
// model may prefer to its own.
#pragma once

#include <cstdint>
#include <vector>

namespace vok {

class Resources;

class CacheLM {
 public:
  static constexpr int kDefaultHistory = 200;
  static constexpr uint16_t kNoWord = 65535;

  // Weight 1.0 and history 200, then `CacheLMHistory` and `CacheLMWeight` of
  // section "LMBackend" (absent keys keep the defaults; a null store keeps
  // both). A history below 1 is refused and the default kept, as is a weight
  // that is not a number. `bias` and `shift` are the core model's in-class
  // quantisation.
  CacheLM(const Resources* resources, int word_count, int32_t bias, int32_t shift);
  CacheLM(const CacheLM&) = delete;
  CacheLM& operator=(const CacheLM&) = delete;

  // Every byte 255, every count 0, the ring empty.
  void Clear();
  // `list` is {count, ids...}: each id enters the ring at the position, which
  // advances and wraps at the history size. Ids at or beyond the word count
  // are skipped.
  void AddWords(const uint16_t* list);
  // Recomputes the bytes from the ring: ScoreByte(count / fill, shift, bias).
  // -1 (every byte 255) when the ring is empty, else 0.
  int Update();

  // 255 for ids outside the word count.
  uint8_t GetScoreByte(int id) const;
  int32_t GetCount(int id) const;
  float weight() const { return weight_; }
  void set_weight(float weight) { weight_ = weight; }
  int history() const { return history_; }
  int fill() const { return fill_; }
  int position() const { return position_; }
  int word_count() const { return word_count_; }
  uint16_t ring(int i) const { return ring_[static_cast<std::size_t>(i)]; }

  int64_t GetMemoryUsage() const;
  void PrintReport() const;

 private:
  int word_count_;
  int history_ = kDefaultHistory;
  int position_ = 0;
  int fill_ = 0;
  std::vector<uint16_t> ring_;
  std::vector<int32_t> counts_;
  std::vector<uint8_t> bytes_;
  float weight_ = 1.0f;
  float fill_reciprocal_ = 0;
  int32_t bias_;
  int32_t shift_;
};

}  // namespace vok
