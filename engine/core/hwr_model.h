// The model files of the handwriting character recognizers: the Chinese model
// (code books, radical models, radical dictionary, probability blocks,
// character table, bigrams) and the Latin model (named sections). All
// integers are little-endian. Loading checks every count field and every
// record and prints a warning naming the first bad field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vok {

inline constexpr int kHwrHeaderSize = 512;
inline constexpr int kHwrCodes = 32;
inline constexpr int kHwrMaxRadicalStates = 15;
inline constexpr int kHwrMaxModels = 3;
inline constexpr int kHwrMaxRadicals = 20;
inline constexpr int kHwrFtLocations = 8;
inline constexpr int kHwrFtDimension = 8;
inline constexpr int kHwrImageSub = 5;
inline constexpr int kHwrImageBlocks = kHwrImageSub * kHwrImageSub;
inline constexpr int kHwrImageDimension = 16;
inline constexpr int kHwrBlocks = kHwrFtLocations + kHwrImageBlocks;  // 33
inline constexpr int kHwrPdfs = 256;
inline constexpr int kHwrMaxBigrams = 20000;
inline constexpr int kHwrGestureSamples = 3;
inline constexpr int kHwrStepDimension = 2;
inline constexpr int kHwrRadicalModelBytes = 604;
inline constexpr int kHwrDictionaryRecordBytes = 48;
inline constexpr int kHwrSectionNameBytes = 16;
// Largest magnitude of a stay or leave cost: keeps every alignment total of
// 400 steps far inside 32 bits.
inline constexpr float kHwrMaxTransitionCost = 1.0e6f;

// (script, number of radical models, number of characters).
struct HwrModelTriple {
  int32_t script;
  int32_t radicals;
  int32_t characters;
};
inline constexpr HwrModelTriple kScModelTriple{1, 415, 6763};
inline constexpr HwrModelTriple kTcModelTriple{2, 492, 16109};
inline constexpr HwrModelTriple kLatinModelTriple{4, 62, 62};

struct RadicalModel {
  int32_t states = 0;  // 1 to 15
  std::array<std::array<uint8_t, kHwrCodes>, kHwrMaxRadicalStates> costs{};
  std::array<float, kHwrMaxRadicalStates> stay{};
  std::array<float, kHwrMaxRadicalStates> leave{};
};

struct RadicalDictionaryRecord {
  uint8_t strokes = 0;
  uint8_t model_count = 0;                              // 1 to 3
  std::array<uint8_t, kHwrMaxModels> states{};          // L of each model
  std::array<uint8_t, kHwrMaxModels> radical_counts{};  // radicals of each model
  std::array<int16_t, kHwrMaxRadicals> radicals{};      // model 0's, then 1's, then 2's

  // Index into `radicals` of model m's first radical.
  int FirstRadicalSlot(int m) const {
    int slot = 0;
    for (int i = 0; i < m; ++i) slot += radical_counts[i];
    return slot;
  }
};

// One block of the first pass: a class byte (its pdf) per class and, per
// code, a row of 256 costs indexed by pdf.
struct ProbabilityBlock {
  std::vector<uint8_t> class_pdfs;
  std::vector<uint8_t> rows;  // kHwrCodes x kHwrPdfs
};

struct HwrCharacterModel {
  HwrModelTriple triple{};
  std::array<int16_t, kHwrGestureSamples * 32 * 2> gesture_samples{};
  std::vector<int32_t> ft_code_book;   // [8][32][8]
  std::vector<int32_t> print_vectors;  // [32][2]
  std::vector<RadicalModel> print_models;
  std::vector<RadicalDictionaryRecord> dictionary;
  std::vector<int32_t> image_code_book;  // [25][32][16]
  std::vector<int32_t> cursive_vectors;  // [32][2]
  std::vector<RadicalModel> cursive_models;
  std::vector<ProbabilityBlock> blocks;  // 8 trajectory blocks, then 25 image blocks
  std::vector<uint8_t> character_table;
  std::vector<uint8_t> bigram_scores;  // kHwrMaxBigrams
  std::vector<int32_t> bigram_keys;    // kHwrMaxBigrams, ascending
};

struct HwrLatinModel {
  std::vector<uint8_t> image_tables;     // [25][32][62]
  std::vector<uint8_t> ft_tables;        // [8][32][62]
  std::vector<int32_t> image_code_book;  // [25][32][16]
  std::vector<int32_t> ft_code_book;     // [8][32][8]
  std::vector<int32_t> print_vectors;    // [32][2]
  std::vector<RadicalModel> print_models;
  std::vector<RadicalDictionaryRecord> dictionary;
};

// Size in bytes of a Chinese model file of this triple, and of the Latin one.
std::size_t HwrCharacterModelFileSize(const HwrModelTriple& triple);
std::size_t HwrLatinModelFileSize();

// Null (after a warning) for bytes that are not a valid model of the triple.
std::unique_ptr<HwrCharacterModel> ReadHwrCharacterModel(const uint8_t* data, std::size_t size,
                                                         const HwrModelTriple& triple);
std::unique_ptr<HwrLatinModel> ReadHwrLatinModel(const uint8_t* data, std::size_t size);

}  // namespace vok
