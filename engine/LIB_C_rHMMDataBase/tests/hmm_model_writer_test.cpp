#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "engine/LIB_C_rHMMDataBase/model_writer/hmm_model_writer.h"

namespace {

namespace w = hmm_model_writer;

// One stream of dimension 2, two Gaussians, one state, one HMM "SIL".
w::Model TinyModel(std::size_t decoder_size) {
  w::Model model;
  model.dims = {2};
  model.centreDecoder = {true, "c", 0};
  model.varianceDecoder = {true, "v", 1};
  model.weightDecoder = {true, "w", 2};
  model.streamNames = {"s"};
  model.means = {{0.5f, -1.0f}};
  model.scales = {{2.0f, 1.0f}};
  for (const char* name : {"c", "v", "w"}) {
    w::Decoder decoder{name, {}};
    for (std::size_t i = 0; i < decoder_size; ++i) decoder.values.push_back(static_cast<float>(i) / 4.0f);
    model.decoders.push_back(decoder);
  }
  model.pairs = {{{1, 2}, 1.25f, 1000.0f, {3, 0}}, {{0, 3}, 2.25f, 1000.0f, {1, 1}}};
  model.codeBooks = {{0, {0, 1}}};
  model.mixtures = {{0, {2, 1}, 0}};
  model.states = {{{1.0f}, {0}}};
  model.transProbs = {{"t", 3, {-0.5f, -1.0f, 99.99f, 99.99f, -0.5f, -1.0f, 99.99f, -0.25f, -1.5f}}};
  model.hmms = {{"SIL", 3, {0, 0, 0}, 0, 0.0f}};
  return model;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

// The tiny model in big-endian order, with decoders of 2 values (the writer
// writes what it is given).
constexpr const char* kGoldenBigEndian =
    "12345678"                                                                          // magic
    "00000024484d4d5f41636f75737469634d6f64656c5f566572332e335f6474645f31305365703939"  // version
    "12345678"
    "12345678"
    "00000001"
    "00000002"  // global: S, dim
    "00000001"
    "0000000163"
    "00000000"  // centre decoder
    "00000001"
    "0000000176"
    "00000001"  // variance decoder
    "00000001"
    "0000000177"
    "00000002"  // weight decoder
    "0000000173"
    "12345678"  // stream name
    "00000002"
    "3f000000bf800000"
    "12345678"
    "400000003f800000"
    "12345678"  // mean, scale
    "12345678"
    "12345678"
    "00000003"  // decoders
    "0000000163"
    "00000002"
    "000000003e800000"
    "0000000176"
    "00000002"
    "000000003e800000"
    "0000000177"
    "00000002"
    "000000003e800000"
    "12345678"
    "12345678"
    "00000002"  // pairs
    "000000057061697230"
    "02"
    "00000008636f6e7374616e74"
    "3fa00000"
    "12345678"
    "0000000663656e747265"
    "00000002"
    "0102"
    "12345678"
    "000000056c696d6974"
    "447a0000"
    "12345678"
    "0000000876617269616e6365"
    "00000002"
    "0300"
    "12345678"
    "000000057061697231"
    "02"
    "00000008636f6e7374616e74"
    "40100000"
    "12345678"
    "0000000663656e747265"
    "00000002"
    "0003"
    "12345678"
    "000000056c696d6974"
    "447a0000"
    "12345678"
    "0000000876617269616e6365"
    "00000002"
    "0101"
    "12345678"
    "12345678"
    "12345678"
    "00000001"
    "00000003636230"
    "00000000"
    "00000002"
    "00000000"
    "00000001"  // code book
    "12345678"
    "12345678"
    "00000001"
    "000000046d697830"
    "00000000"
    "00000002"  // mixture
    "12345678"
    "000000077765696768747"
    "3"
    "00000002"
    "0201"
    "12345678"
    "00000000"
    "12345678"
    "12345678"
    "00000001"
    "00000006737461746530"
    "00000001"  // state
    "12345678"
    "0000000d73747265616d57656967687473"
    "00000001"
    "3f800000"
    "12345678"
    "00000000"
    "12345678"
    "12345678"
    "00000001"
    "0000000174"
    "00000003"  // transitions
    "bf000000bf80000042c7fae142c7fae1bf000000bf80000042c7fae1be800000bfc00000"
    "12345678"
    "12345678"
    "00000001"
    "12345678"
    "0000000353494c"
    "00000003"  // HMM
    "000000000000000000000000"
    "00000000"
    "00000000"
    "12345678";

TEST(HmmModelWriter, WritesTheGoldenBytesOfATinyModelInBothOrders) {
  const w::File big = w::Write(TinyModel(2), w::ByteOrder::kBigEndian);
  EXPECT_EQ(Hex(big.bytes), kGoldenBigEndian);
  // The other order swaps every 4-byte field and nothing else.
  const w::File little = w::Write(TinyModel(2), w::ByteOrder::kLittleEndian);
  ASSERT_EQ(little.bytes.size(), big.bytes.size());
  EXPECT_EQ(Hex({little.bytes.begin(), little.bytes.begin() + 4}), "78563412");
  EXPECT_EQ(little.bytes[big.offsets.at("pair[0].D")], 2);
  EXPECT_EQ(Hex({little.bytes.begin() + big.offsets.at("hmm[0].count"),
                 little.bytes.begin() + big.offsets.at("hmm[0].count") + 4}),
            "03000000");
}

TEST(HmmModelWriter, CheckReadableNamesTheFirstFault) {
  EXPECT_EQ(w::CheckReadable(TinyModel(256)), "");
  struct Case {
    const char* fault;
    std::function<void(w::Model&)> change;
  };
  const Case cases[] = {
      {"the model needs 1 to 255 streams", [](w::Model& m) { m.dims.clear(); }},
      {"stream 0 has dimension 256 (1 to 255 are read)", [](w::Model& m) { m.dims[0] = 256; }},
      {"the variance decoder is missing", [](w::Model& m) { m.varianceDecoder.present = false; }},
      {"the weight decoder index is out of range", [](w::Model& m) { m.weightDecoder.index = 3; }},
      {"the centre decoder does not hold 256 values", [](w::Model& m) { m.decoders[0].values.pop_back(); }},
      {"decoder w holds a value that is not finite", [](w::Model& m) { m.decoders[2].values[7] = NAN; }},
      {"the means and scales of stream 0 do not match its dimension",
       [](w::Model& m) { m.means[0].push_back(0); }},
      {"pair 1 has inconsistent dimensions", [](w::Model& m) { m.pairs[1].variance.pop_back(); }},
      {"pair 0 holds a value that is not finite", [](w::Model& m) { m.pairs[0].constant = INFINITY; }},
      {"code book 0 names a pair out of range", [](w::Model& m) { m.codeBooks[0].pairs[1] = 2; }},
      {"mixture 0 does not hold one weight per Gaussian",
       [](w::Model& m) { m.mixtures[0].weights.push_back(0); }},
      {"state 0 names a mixture out of range", [](w::Model& m) { m.states[0].mixtures[0] = -1; }},
      {"state 0 draws stream 0 from Gaussians of another dimension",
       [](w::Model& m) {
         for (w::Pair& p : m.pairs) p.centre.push_back(0), p.variance.push_back(0);
       }},
      {"transition matrix 0 does not hold its n x (n + 1) upper part",
       [](w::Model& m) { m.transProbs[0].upper.pop_back(); }},
      {"HMM SIL names a state out of range", [](w::Model& m) { m.hmms[0].states[2] = 1; }},
      {"HMM SIL names a transition matrix out of range", [](w::Model& m) { m.hmms[0].transProb = 1; }},
  };
  for (const Case& c : cases) {
    w::Model model = TinyModel(256);
    c.change(model);
    EXPECT_EQ(w::CheckReadable(model), c.fault);
  }
}

}  // namespace
