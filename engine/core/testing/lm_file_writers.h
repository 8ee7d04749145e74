// Writers of the language-model files (older class bigram, older page model, semi-class trigram
// and its mass file, semi-class bigram, page cache), kept apart from the
// readers: every field is laid down byte by byte from plain maps, so tests,
// fuzz seeds and the language-data generator share one independent writer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vok_testing {

using Bytes = std::vector<uint8_t>;

// The older class bigram of the core model: a big-endian 512-byte header
// (its length first) and the class table, row = previous class.
struct OlderClassBigramModel {
  int32_t header_length = 512;
  uint8_t unused_fill = 0;  // the header's unused bytes
  int32_t words = 0;
  int32_t classes = 0;
  int32_t bias = 0;
  int32_t shift = 0;
  uint16_t person = 0;
  uint16_t place = 0;
  uint16_t discarded = 0;
  std::vector<uint8_t> table;  // classes x classes bytes; missing cells read 0

  void Set(int c1, int c2, uint8_t value);
  Bytes Write() const;
};

// The older page model: big-endian header, offset table, class tables and
// one block per class pair.
struct OlderPageModel {
  struct Block {
    uint8_t bigram = 255;
    uint16_t backoff = 0;
    std::map<uint16_t, uint8_t> trigrams;  // c3 -> byte
  };
  int32_t words = 0;
  int32_t classes = 0;
  int32_t biases[3] = {};  // unigram, bigram, trigram
  int32_t shifts[3] = {};
  uint16_t person = 0;
  uint16_t place = 0;
  std::vector<uint8_t> unigrams;   // per class
  std::vector<uint16_t> backoffs;  // per class
  std::map<std::pair<int, int>, Block> blocks;

  Bytes Write() const;
};

// The semi-class trigram, version 1 or 2, and its mass file.
struct SemiClassTrigramModel {
  struct Group {
    uint16_t bigram = 0;
    std::map<uint16_t, uint8_t> records;  // a -> value
  };
  struct Word {
    std::string text;
    uint16_t unigram = 0;
    std::map<std::pair<uint16_t, uint16_t>, uint16_t> records;  // version 1: (b, a) -> value
    std::map<uint16_t, Group> groups;                           // version 2: b -> group
  };
  int version = 1;
  int32_t classes = 0;
  int32_t average_backoff = 0;
  int32_t ceiling = 0;
  int32_t bias = 0;
  int32_t shift = 0;
  std::vector<Word> words;
  std::vector<uint16_t> class_words;  // class -> word id
  // The mass file: K masses and K x K alphas (row a, column b).
  std::vector<float> masses;
  std::vector<float> alphas;

  Bytes Write() const;
  Bytes WriteMasses() const;
};

// The semi-class bigram of the core model.
struct SemiClassBigramModel {
  struct Word {
    std::string text;
    float weight = 1.0f;
    std::map<uint16_t, uint8_t> scores;  // history class -> score byte
  };
  int32_t classes = 0;
  int32_t bias = 0;
  int32_t shift = 0;
  int32_t ceiling = 0;
  std::vector<Word> words;
  std::vector<float> masses;  // per class

  Bytes Write() const;
};

// The page cache file: n records {uint16 score, uint16 key[3]}, little-endian.
struct PageCacheRecord {
  uint16_t score;
  uint16_t key[3];
};
Bytes WritePageCache(const std::vector<PageCacheRecord>& records);

// Writes bytes to a file; false when that failed.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace vok_testing
