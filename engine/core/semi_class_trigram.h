// The semi-class trigram of the page model: per predicted word (or the word
// that stands for a class), trigram values over two history classes, backing
// off to a bigram value or the word's unigram value times a class mass, read
// from the model file on demand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/paged_file.h"
#include "engine/core/symbol_table.h"

namespace vok {

class PageLMCache;

class SemiClassTrigram {
 public:
  static constexpr char kMagic1[] = "OPELU_SemiClassTrigram1.0";
  static constexpr char kMagic2[] = "OPELU_SemiClassTrigram2.0";
  static constexpr int kMagicPrefixBytes = 22;  // "OPELU_SemiClassTrigram"
  static constexpr int kMagicBytes = 25;
  static constexpr int kHeaderOffset = 64;
  static constexpr int kMaxShift = 8;
  static constexpr uint16_t kNoId = 65535;
  // The score of a model that has no index (unknown version, unread file).
  static constexpr int16_t kFloorScore = -255;

  // True when the first bytes carry the semi-class trigram magic prefix.
  static bool HasMagic(const char* path);

  // Reads the header, the word index and the class masses of "<path>a" when
  // that file exists. `shift_base` is the page model's in-class shift (8).
  SemiClassTrigram(const char* path, int shift_base);
  SemiClassTrigram(const SemiClassTrigram&) = delete;
  SemiClassTrigram& operator=(const SemiClassTrigram&) = delete;

  // 0 when header and index were read; -1 otherwise (every score is then
  // kFloorScore).
  int status() const { return status_; }
  int version() const { return version_; }
  int word_count() const { return header_words_; }
  int class_count() const { return header_classes_; }
  int mass_count() const { return static_cast<int>(masses_.size()); }
  int shift() const { return shift_; }

  // Opens the model file and, when it exists, the mass file (an utterance).
  void Open();
  void Close();

  // Score of the word after history classes a, b: the word's id in the
  // model's word list, or the word standing for `fallback_class`; the result
  // is cached under (a, b, id). *level is 0 for a cache hit, else 1.
  int16_t Score(int a, int b, int fallback_class, const char* word, PageLMCache* cache, int* level);

  int32_t lookups() const { return lookups_; }
  int32_t trigram_backoffs() const { return trigram_backoffs_; }
  int32_t bigram_backoffs() const { return bigram_backoffs_; }
  // The record buffer, the class masses, 262144, the word list and 4352.
  int64_t MemoryUse() const;

 private:
  struct WordBlock {
    int64_t offset = -1;  // -1: not in the file
    int32_t records = 0;
    uint16_t groups = 0;
  };

  int ReadHeaderAndIndex(const char* path);
  void ReadMasses(const std::string& mass_path);
  // r of the algorithm (before the final shift), for a word's block.
  uint32_t Value(int a, int b, int id);
  uint32_t ValueV1(int a, int b, const WordBlock& block, const unsigned char* head);
  uint32_t ValueV2(int a, int b, const WordBlock& block, const unsigned char* head);
  // The value of history class a in a group's records (version 2.0).
  bool FindGroupRecord(const WordBlock& block, std::size_t groups, int64_t start, uint16_t count, int a,
                       uint8_t* value);
  uint32_t Backoff(int a, int b, double p);
  double ClassMass(int b) const;
  double Alpha(int a, int b);

  int status_ = -1;
  int version_ = 0;
  int shift_base_;
  std::string path_;
  std::string mass_path_;
  PagedFile file_;
  PagedFile mass_file_;
  int32_t header_words_ = 0;
  int32_t header_classes_ = 0;
  int32_t trigrams_ = 0;
  int32_t backoff_bigrams_ = 0;
  int32_t average_backoff_ = 0;
  int32_t ceiling_ = 0;
  int32_t bias_ = 0;
  int32_t shift_ = 0;
  int32_t index_offset_ = 0;
  int32_t grams_offset_ = 0;
  SymbolTable words_;
  std::vector<WordBlock> blocks_;
  std::vector<uint16_t> class_words_;
  std::vector<float> masses_;
  // Records of the block read last; grows to the largest block.
  std::vector<unsigned char> records_;
  std::vector<unsigned char> groups_;
  int32_t lookups_ = 0;
  int32_t trigram_backoffs_ = 0;
  int32_t bigram_backoffs_ = 0;
};

}  // namespace vok
