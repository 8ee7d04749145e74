// Writer of HMM acoustic model files, in either byte order, recording where
// each numeric field lies so that tests can corrupt exact fields. It shares no
// code with the reader. `Write` writes any model, readable or not (tests make
// broken files with it); tools check a model with `CheckReadable` first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hmm_model_writer {

inline constexpr std::int32_t kMagic = 0x12345678;
inline constexpr const char* kVersion = "HMM_AcousticModel_Ver3.3_dtd_10Sep99";

struct DecoderRef {
  bool present = true;
  std::string name;
  std::int32_t index = 0;
};

struct Decoder {
  std::string name;
  std::vector<float> values;  // indexed by a byte code
};

struct Pair {
  std::vector<std::uint8_t> centre;  // codes of the centre decoder
  float constant = 0.0f;
  float limit = 0.0f;  // 1e9 or more disables the pair
  std::vector<std::uint8_t> variance;
};

struct CodeBook {
  std::int32_t attribute = 0;
  std::vector<std::int32_t> pairs;
};

struct Mixture {
  std::int32_t attribute = 0;
  std::vector<std::uint8_t> weights;  // codes of the weight decoder
  std::int32_t codeBook = 0;
};

struct State {
  std::vector<float> streamWeights;
  std::vector<std::int32_t> mixtures;
};

struct TransProb {
  std::string name;
  std::int32_t n = 3;
  std::vector<float> upper;  // row by row, columns i .. n of row i
};

struct Hmm {
  std::string name;
  std::int32_t stateCount = 3;
  std::array<std::int32_t, 3> states{};
  std::int32_t transProb = 0;
  float value = 0.0f;
};

struct Model {
  std::string version = kVersion;
  std::vector<std::int32_t> dims;
  DecoderRef centreDecoder, varianceDecoder, weightDecoder;
  std::vector<std::string> streamNames;
  std::vector<std::vector<float>> means, scales;
  std::vector<Decoder> decoders;
  std::vector<Pair> pairs;
  std::vector<CodeBook> codeBooks;
  std::vector<Mixture> mixtures;
  std::vector<State> states;
  std::vector<TransProb> transProbs;
  std::vector<Hmm> hmms;
};

enum class ByteOrder { kBigEndian, kLittleEndian };

struct File {
  std::vector<std::uint8_t> bytes;
  // Offset of every 4-byte field and the one-byte pair dimensions, by name:
  // "magic", "version.length", "global.S", "global.dim[1]", "global.end",
  // "decoders.count", "decoder[0].M", "pair[2].D", "pair[2].centre.m",
  // "codebook[3].G", "codebook[3].pair[0]", "mixture[4].M",
  // "mixture[4].codebook", "state[5].S", "state[5].mixture[1]", "states.end",
  // "trans[0].n", "hmm[6].magic", "hmm[6].count", "hmm[6].state[2]",
  // "hmm[6].trans", and so on for every section.
  std::map<std::string, std::size_t> offsets;

  void PatchInt32(const std::string& field, std::int32_t value, ByteOrder order);
  void PatchByte(const std::string& field, std::uint8_t value) { bytes.at(offsets.at(field)) = value; }
  bool Save(const std::string& path) const;
};

File Write(const Model& model, ByteOrder order);

// Empty when the database reads the model (stream dimensions 1 to 255, the
// three decoders present, every count and index consistent, no value that is
// not finite); otherwise what is wrong, for a tool to refuse the write.
std::string CheckReadable(const Model& model);

}  // namespace hmm_model_writer
