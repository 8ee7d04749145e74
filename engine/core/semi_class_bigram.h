// The semi-class bigram of the core model: per predicted word, eight lists of
// score bytes over history classes (list = class >> 8, entry = class & 255),
// backing off to the history class's mass times the word's weight.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/symbol_table.h"

namespace vok {

class SemiClassBigram {
 public:
  static constexpr char kMagic[] = "OPELU_SemiClassBigram_1.0";
  static constexpr int kMagicBytes = 25;
  static constexpr int kHeaderOffset = 64;
  static constexpr int kLists = 8;
  // Eight lists of 256 history classes each.
  static constexpr int kMaxClasses = kLists * 256;
  static constexpr int kMaxWords = 65534;

  static bool HasMagic(const char* path);

  // Reads the whole model. status() tells whether it was read.
  explicit SemiClassBigram(const char* path);
  SemiClassBigram(const SemiClassBigram&) = delete;
  SemiClassBigram& operator=(const SemiClassBigram&) = delete;

  int status() const { return status_; }
  int word_count() const { return word_count_; }
  int class_count() const { return class_count_; }
  int32_t bias() const { return bias_; }
  int32_t shift() const { return shift_; }

  // The score byte of the word after history class h; 255 for a word the
  // model does not list (`fallback_class` stands for it) or a class beyond
  // the model's.
  int Lookup(int h, int fallback_class, const char* word) const;
  int Lookup(int h, int fallback_class, int word_id) const;
  // The model's id of a word, -1 when not listed.
  int WordId(const char* word) const { return word ? words_.Find(word) : -1; }

  int32_t lookups() const { return lookups_; }
  int32_t backoffs() const { return backoffs_; }
  void PrintSummary() const;

 private:
  struct List {
    uint32_t offset = 0;  // into bigrams_
    uint16_t size = 0;
  };

  int Read(const char* path);

  int status_ = -1;
  SymbolTable words_;
  std::vector<float> weights_;
  std::vector<float> masses_;
  std::vector<List> lists_;  // word x 8 + (class >> 8)
  std::vector<unsigned char> bigrams_;
  int32_t word_count_ = 0;
  int32_t class_count_ = 0;
  int32_t bigram_count_ = 0;
  int32_t ceiling_ = 0;
  int32_t bias_ = 0;
  int32_t shift_ = 0;
  int32_t index_offset_ = 0;
  int32_t bigram_offset_ = 0;
  int32_t mass_offset_ = 0;
  // Counted by the const lookups; one utterance is decoded at a time.
  mutable int32_t lookups_ = 0;
  mutable int32_t backoffs_ = 0;
};

}  // namespace vok
