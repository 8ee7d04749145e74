// The pageable class trigram language model: class triples scored from a
// model file read on demand during each utterance, with a cache of computed
// scores. Reads the older form (class tables and blocks of class pairs) and
// the semi-class forms (through an owned SemiClassTrigram).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/class_tokens.h"

#include "engine/core/page_lm_cache.h"
#include "engine/core/paged_file.h"
#include "engine/core/timing_stats.h"

namespace vok {

class CacheLM;
class NBestList;
class SemiClassTrigram;
class SymbolTable;

class PageLM : public ClassTokenNames {
 public:
  // A word's entry; the unigram byte is not used by this model.
  struct WordEntry {
    uint16_t word_class = 65535;
    uint8_t unigram = 255;
    uint8_t in_class = 255;
  };
  // Back-off levels the scores report.
  enum Level { kCacheHit = 0, kTrigram = 1, kBigram = 2, kUnigram = 3 };

  static constexpr int kWordCapacity = 65535;
  static constexpr uint16_t kNoWord = 65535;
  static constexpr uint16_t kNoClass = 65535;
  static constexpr int kHeaderBytes = 512;
  static constexpr int kDefaultCacheSize = 65534;
  static constexpr int kOrder = 3;
  // Bigram cache keys start with this value, so they never meet a trigram
  // key (whose first class is below it).
  static constexpr uint16_t kBigramKey = 65535;
  // The in-class shift until the lexicon computes the scores.
  static constexpr int kInitialInClassShift = 8;

  // Reads the model file (either form); `cache_size` 0 makes no cache. The
  // back end passes order 3, weight 1.0 and 65534.
  PageLM(const char* path, int order, float weight, int cache_size);
  ~PageLM();
  PageLM(const PageLM&) = delete;
  PageLM& operator=(const PageLM&) = delete;

  // 0 when the model file was read; -1 when not (the model is then not to be
  // used; its scores are floors).
  int status() const { return status_; }
  bool semi_class() const { return semi_class_ != nullptr; }

  // A weight that is not a number is refused (the weight is kept).
  void SetWeight(float weight);
  // The second weight: above 0, the model asks the back end to take the
  // core model's unigram terms out of a list before it rescores it (its
  // class trigram and in-class bytes then stand for the whole word).
  void SetSecondWeight(float weight);
  float second_weight() const { return second_weight_; }
  bool WantsUnigramsRemoved() const { return second_weight_ > 0; }
  void SetWordPenalty(int penalty) { word_penalty_ = penalty; }
  float weight() const { return weight_; }
  int word_penalty() const { return word_penalty_; }
  void SetCacheLM(const CacheLM* cache_lm) { cache_lm_ = cache_lm; }

  // Word data, as the lexicon fills it.
  void AllocWords(int n);
  void SetWordCount(int id, int word_class, int32_t count);
  void ComputeInClassScores(int32_t bias, int32_t shift);
  void AddWord(int id, int word_class, int score);
  void BoostWord(int id, int amount);
  void ResetWord(int id);
  // Records the token ids and classes and keeps the word list for the word
  // strings the semi-class form looks up (it must outlive its use here).
  void BindClassTokens(const SymbolTable& words);
  // Forgets the kept word list when it is this one (its owner frees it).
  void ReleaseWordList(const SymbolTable* words) {
    if (words_ == words) words_ = nullptr;
  }
  int AddPseudoWords(int score);
  // The binary lexicon's page section (C int32 class totals, big-endian) and
  // a word's page data (uint16 class, uint8 in-class byte). 0 or -1.
  int ReadLexiconSection(std::FILE* stream);
  int WriteLexiconSection(std::FILE* stream) const;
  int ReadWordData(std::FILE* stream, int id);
  int WriteWordData(std::FILE* stream, int id) const;
  static constexpr int kWordDataBytes = 3;

  // The model file is open only between these two.
  void StartUtterance();
  void EndUtterance();

  // Scores: trunc(x x weight) + penalty, int16; *level (when given) tells
  // where the score came from.
  int16_t GetTrigramScore(int w1, int w2, int w3, int* level = nullptr);
  int16_t GetBigramScore(int w1, int w2, int* level = nullptr);
  int16_t GetClassTrigramScore(int c1, int c2, int w3, int* level = nullptr);
  int16_t GetClassBigramScore(int c1, int w2, int* level = nullptr);
  // The bigram score of "<S>" and the first word, then the trigram score of
  // every later word after its two predecessors ("<S>" before the first);
  // the sum saturates in int16.
  int16_t GetSentenceScore(const uint16_t* ids, int n);
  // Within one utterance: adds to every hypothesis its sentence score (mode
  // 0) or its sum of bigram scores from "<S>" (mode 1), then sorts the list.
  void RescoreNBest(NBestList* list, int mode);

  // The older form's class scores (requantised bytes, negated) through the
  // cache, and their levels; within an utterance (else from the in-memory
  // tables only).
  int ClassTrigram(int c1, int c2, int c3, int* level);
  int ClassBigram(int c1, int c2, int* level);

  // Makes the cache anew from a cache file (int32 n, then n records of
  // {uint16 score, uint16 key[3]}, little-endian) and returns the entries
  // held; 0 when the file is absent or malformed (the cache is then kept).
  int LoadCache(const char* path);
  PageLMCache* cache() { return cache_.get(); }

  int word_count() const { return word_count_; }
  int class_count() const { return class_count_; }
  WordEntry entry(int id) const;
  // A word's class, or the "<UNK>" class when unset or beyond the class count.
  int WordClass(int w) const;
  uint16_t token_id(Token t) const { return token_ids_[t]; }
  uint16_t token_class(Token t) const { return token_classes_[t]; }
  int32_t class_total(int c) const;
  // The older form's quantisation of order k (0 unigram, 1 bigram, 2 trigram).
  int32_t bias(int k) const { return k >= 0 && k < kOrder ? biases_[k] : 0; }
  int32_t shift(int k) const { return k >= 0 && k < kOrder ? shifts_[k] : 0; }
  int32_t in_class_bias() const { return in_class_bias_; }
  int32_t in_class_shift() const { return in_class_shift_; }
  const TimingStats& timing_stats() const { return timing_; }
  int32_t lookups() const { return lookups_; }
  int32_t hits() const { return hits_; }
  int32_t total_lookups() const { return total_lookups_; }
  int32_t total_hits() const { return total_hits_; }
  int32_t bigram_disk_accesses() const { return bigram_accesses_; }
  int32_t trigram_disk_accesses() const { return trigram_accesses_; }
  const SemiClassTrigram* semi_class_trigram() const { return semi_class_.get(); }

  int64_t GetMemoryUsage() const;
  void PrintHeader() const;
  void PrintSummary() const;
  void PrintReport() const;

 private:
  int ReadOlderForm(const char* path);
  bool ValidClass(int c) const { return c >= 0 && c < class_count_; }
  int CheckedClass(int c) const { return ValidClass(c) ? c : kNoClass; }
  uint8_t InClassByte(int w) const;
  const char* WordString(int w) const;
  int16_t Weighted(int64_t x) const;
  // The file offset of the block of (c1, c2), 0 when there is none.
  int64_t BlockOffset(int c1, int c2);
  int Requant(int64_t x) const;
  // Counts a lookup and its cache hit.
  void Count(int level);

  TimingStats timing_;
  bool in_utterance_ = false;
  PagedFile file_;
  std::string path_;
  float weight_ = 1.0f;
  float second_weight_ = 0.0f;
  int word_penalty_ = 0;
  int32_t lookups_ = 0;
  int32_t hits_ = 0;
  int32_t total_lookups_ = 0;
  int32_t total_hits_ = 0;
  std::unique_ptr<PageLMCache> cache_;
  int order_ = kOrder;
  int status_ = -1;
  int word_count_ = 0;
  int class_count_ = 0;
  uint16_t token_ids_[kTokens] = {};
  uint16_t token_classes_[kTokens] = {};
  std::vector<WordEntry> entries_;
  int32_t biases_[kOrder] = {};
  int32_t shifts_[kOrder] = {};
  int32_t in_class_bias_ = 0;
  int32_t in_class_shift_ = kInitialInClassShift;
  std::vector<int32_t> class_totals_;
  std::vector<int32_t> counts_;
  std::vector<uint8_t> class_unigrams_;
  std::vector<uint16_t> class_backoffs_;
  // Trigram records of the block read last (older form).
  std::vector<unsigned char> records_;
  const CacheLM* cache_lm_ = nullptr;
  std::unique_ptr<SemiClassTrigram> semi_class_;
  const SymbolTable* words_ = nullptr;
  int32_t bigram_accesses_ = 0;
  int32_t bigram_loaded_ = 0;
  int32_t trigram_accesses_ = 0;
  int32_t trigram_loaded_ = 0;
};

}  // namespace vok
