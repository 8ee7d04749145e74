// The class bigram core language model: per-word classes, counts and score
// bytes (filled by the lexicon) and a table of class bigram score bytes read
// from the model file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/class_tokens.h"
#include "engine/core/revision.h"

namespace vok {

class CacheLM;
class NBestList;
class Resources;
class SemiClassBigram;
class SymbolTable;

class CoreLM : public ClassTokenNames {
 public:
  // A word's entry: class (65535 = unset) and its two score bytes.
  struct WordEntry {
    uint16_t word_class = 65535;
    uint8_t unigram = 255;
    uint8_t in_class = 255;
  };
  // The terms of one word of a sentence score.
  struct WordTerms {
    int16_t word_class = 0;
    int16_t total = 0;
    int16_t bigram = 0;
    int16_t in_class = 0;
    int16_t unigram = 0;
  };

  static constexpr int kWordCapacity = 65535;
  static constexpr uint16_t kNoWord = 65535;
  static constexpr uint16_t kNoClass = 65535;
  static constexpr int kFirstPseudoWord = 65500;
  static constexpr int kPseudoWords = 7;
  static constexpr int kHeaderBytes = 512;
  // The score of a transition that may not happen (after "</S>").
  static constexpr int16_t kForbidden = -27768;

  // Options from section "LMBackend" (absent keys keep the defaults; a null
  // store keeps them all), then the model file: the semi-class bigram form
  // when it begins with its magic, else the older form. status() tells
  // whether the file was read.
  CoreLM(const Resources* resources, const char* path);
  ~CoreLM();
  CoreLM(const CoreLM&) = delete;
  CoreLM& operator=(const CoreLM&) = delete;

  // 0 when the model file was read; -1 when it failed (the model is then not
  // to be used).
  int status() const { return status_; }
  // Reads the options from section "LMBackend" again.
  void ReadOptions(const Resources& resources);
  void SetClassBigramWeight(float weight) { class_bigram_weight_ = weight; }
  void SetWordProbWeight(float weight);
  float class_bigram_weight() const { return class_bigram_weight_; }
  float word_prob_weight() const { return word_prob_weight_; }
  int32_t unknown_word_class_prob() const { return unknown_word_class_prob_; }
  // The cache model whose term the unigram score may prefer; null for none.
  // Not owned.
  void SetCacheLM(const CacheLM* cache_lm) { cache_lm_ = cache_lm; }
  const CacheLM* cache_lm() const { return cache_lm_; }
  // Null for the older form.
  const SemiClassBigram* semi_class_bigram() const { return semi_class_.get(); }

  // Word data, as the lexicon fills it.
  void AllocWords(int n);
  void SetWordCount(int id, int word_class, int32_t count);
  void AddWord(int id, int word_class, int score);
  void BoostWord(int id, int amount);
  void ResetWord(int id);
  // Records the token ids and classes, and keeps the word list for the word
  // strings the semi-class form looks up (it must outlive its use here).
  void BindClassTokens(const SymbolTable& words);
  // Forgets the kept word list when it is this one (its owner frees it).
  void ReleaseWordList(const SymbolTable* words);
  void ComputeScores();
  int AddPseudoWords(int score);
  void ApplySentenceEndRule();

  // The binary lexicon's core section (big-endian): total, in-class bias and
  // shift, unigram bias and shift, float floor and ceiling, the class totals.
  // 0, or -1 on a short read or write or a shift outside 0..30.
  int ReadLexiconSection(std::FILE* stream);
  int WriteLexiconSection(std::FILE* stream) const;
  // A word's entry data: int32 count, uint16 class, uint8 in-class and
  // unigram bytes. A class beyond the model's is stored as unset.
  int ReadWordData(std::FILE* stream, int id);
  int WriteWordData(std::FILE* stream, int id) const;
  // Bytes of the core section for `classes` classes, and of one word's data.
  static constexpr long long SectionBytes(long long classes) { return 28 + 4 * classes; }
  static constexpr int kWordDataBytes = 8;

  // Scores: int16 at most 0, or kForbidden.
  int16_t GetUnigramScore(int w) const;
  int16_t GetBigramScore(int w1, int w2) const;
  // The transition from w to a next word of class next_class; the
  // semi-class form also needs that word.
  int16_t GetContinuationScore(int w, int next_class, int next_word = kNoWord) const;
  // What the older form's continuation score needs of w, looked up once for
  // the many continuations a decoder scores.
  struct ContinuationTerms {
    int word_class;
    int in_class;
  };
  ContinuationTerms GetContinuationTerms(int w) const { return {ScoringClass(w), InClassByte(w)}; }
  // GetContinuationScore of the older form from those terms.
  int16_t GetContinuationScore(const ContinuationTerms& w, int next_class) const;
  int16_t GetWordScore(int previous_class, int w, WordTerms* terms) const;
  // Sums saturate in int16.
  int16_t GetSentenceScore(const uint16_t* ids, int n, WordTerms* terms) const;
  int16_t GetUnigramSum(const uint16_t* ids, int n) const;
  int16_t GetBigramSum(const uint16_t* ids, int n) const;
  // Subtracts from every hypothesis its bigram sum (bigram true) or its
  // unigram sum, saturating in int16.
  void RemoveScoresFromNBest(NBestList* list, bool bigram) const;
  // "%s" title, then "%d(%d,%d,%d) " per word (total, bigram, in-class,
  // unigram), then a newline, through the log.
  static void PrintWordTerms(const WordTerms* terms, int n, const char* title);
  int64_t GetMemoryUsage() const;
  void PrintHeader() const;

  int word_count() const { return word_count_; }
  int class_count() const { return class_count_; }
  WordEntry entry(int id) const;
  int32_t word_count_of(int id) const {
    const auto w = static_cast<uint16_t>(id);
    return w < kWordCapacity ? counts_[w] : -1;
  }
  uint16_t token_id(Token t) const { return token_ids_[t]; }
  uint16_t token_class(Token t) const { return token_classes_[t]; }
  // The class a word scores with: its own, or the "<UNK>" class when unset or
  // beyond the class count.
  int ScoringClass(int w) const {
    const auto id = static_cast<uint16_t>(w);
    const int c = id < kWordCapacity ? entries_[id].word_class : kNoClass;
    return ValidClass(c) ? c : token_classes_[kUnknown];
  }
  // The class bigram bytes from class c to every class, or null when c is not
  // a class or no table was read.
  const uint8_t* table_row(int c) const {
    if (!ValidClass(c) || table_.empty()) return nullptr;
    return table_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(class_count_);
  }
  // A sum of class bigram and in-class bytes as a score, with the class
  // bigram weight.
  int16_t WeightedClassBigramScore(int bytes) const;
  // Changes with every change to the class table, and no two models share
  // one: what is derived from a table stays valid while the number stays.
  uint64_t table_revision() const { return table_revision_; }
  uint8_t table_byte(int c1, int c2) const {
    if (!ValidClass(c1) || !ValidClass(c2) || table_.empty()) return 255;
    return table_[static_cast<std::size_t>(c1) * static_cast<std::size_t>(class_count_) +
                  static_cast<std::size_t>(c2)];
  }
  int32_t in_class_bias() const { return in_class_bias_; }
  int32_t in_class_shift() const { return in_class_shift_; }
  int32_t unigram_bias() const { return unigram_bias_; }
  int32_t unigram_shift() const { return unigram_shift_; }
  int32_t bigram_bias() const { return bigram_bias_; }
  int32_t bigram_shift() const { return bigram_shift_; }
  int32_t total() const { return total_; }
  int32_t class_total(int c) const;

 private:
  int ReadOlderForm(const char* path);
  // The unigram score of every byte with the word weight, which the decoders
  // ask for once per word entry.
  void TableUnigramScores();
  bool ValidClass(int c) const { return c >= 0 && c < class_count_; }
  // Classes beyond the class count are stored as unset (they score as "<UNK>").
  int CheckedClass(int c) const { return ValidClass(c) ? c : kNoClass; }
  uint8_t InClassByte(int w) const {
    const auto id = static_cast<uint16_t>(w);
    if (id >= kWordCapacity || !ValidClass(entries_[id].word_class)) return 255;
    return entries_[id].in_class;
  }
  // The semi-class bigram byte of word w after class h.
  int SemiClassByte(int h, int w) const;

  int status_ = -1;
  int word_count_ = 0;
  int class_count_ = 0;
  int file_word_count_ = 0;
  uint16_t token_ids_[kTokens] = {};
  uint16_t token_classes_[kTokens] = {};
  std::vector<WordEntry> entries_;
  std::vector<uint8_t> table_;  // class_count_ rows of class_count_ bytes
  uint64_t table_revision_ = NewRevision();
  int32_t total_ = 0;
  int32_t largest_count_ = 0;
  std::vector<int32_t> class_totals_;
  std::vector<int32_t> counts_;
  int32_t bigram_bias_ = 0;
  int32_t bigram_shift_ = 0;
  float log_base_ = 1.0001f;
  float class_bigram_floor_rate_ = 0.3f;
  float word_prob_floor_rate_ = 0.85f;
  int32_t in_class_bias_ = 0;
  int32_t in_class_shift_ = 0;
  float in_class_ceiling_ = 0.3f;
  float in_class_floor_ = 0.001462f;
  int32_t unigram_bias_ = 0;
  int32_t unigram_shift_ = 0;
  float total_reciprocal_ = 0;
  float class_bigram_weight_ = 1.0f;
  float word_prob_weight_ = 0.5f;
  int16_t unigram_scores_[256] = {};
  int32_t unknown_word_class_prob_ = -120;
  const CacheLM* cache_lm_ = nullptr;
  std::unique_ptr<SemiClassBigram> semi_class_;
  const SymbolTable* words_ = nullptr;
  // Each word's id in the semi-class bigram (-1 not listed, -2 not looked up
  // yet), filled on first use.
  mutable std::vector<int32_t> semi_ids_;
};

}  // namespace vok
