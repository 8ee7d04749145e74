// The handwriting model readers on edited valid models. Input: one byte that
// picks the Chinese (even) or Latin (odd) model, four bytes of a length to cut
// the file to (kept whole when past its end), then edits of {uint32 offset,
// uint8 length, bytes}. A model that loads classifies a fixed ink.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/hwr_recognizer.h"
#include "engine/core/testing/hwr_model_writer.h"

namespace {

constexpr vok::HwrModelTriple kTriple{1, 6, 24};

const std::vector<uint8_t>& ValidModel(bool latin) {
  static const std::vector<uint8_t> chinese =
      vok_testing::WriteHwrCharacterModel(vok_testing::MakeSmallCharacterModel(kTriple, 1)).bytes;
  static const std::vector<uint8_t> letters =
      vok_testing::WriteHwrLatinModel(vok_testing::MakeSmallLatinModel(1)).bytes;
  return latin ? letters : chinese;
}

uint32_t Load32(const uint8_t* b) {
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const bool latin = data[0] & 1;
  std::vector<uint8_t> model = ValidModel(latin);
  const uint32_t cut = Load32(data + 1);
  std::size_t at = 5;
  while (at + 5 <= size) {
    const uint32_t offset = Load32(data + at);
    const std::size_t length = data[at + 4];
    at += 5;
    for (std::size_t i = 0; i < length && at < size; ++i, ++at) {
      const std::size_t target = (static_cast<std::size_t>(offset) + i) % model.size();
      model[target] = data[at];
    }
  }
  if (cut < model.size()) model.resize(cut);

  vok::InkPoint points[60];
  for (int i = 0; i < 60; ++i) {
    points[i] = {static_cast<int16_t>(i < 30 ? 100 : 30 + (i - 30) * 8),
                 static_cast<int16_t>(i < 30 ? i * 9 : 130)};
  }
  const int counts[] = {30, 30};
  vok::HwrCandidate candidates[10];
  if (latin) {
    vok::CHWRRomRecognizer recognizer;
    if (recognizer.LoadBytes(model.data(), model.size()))
      recognizer.Recognize(points, 2, counts, candidates, 10);
  } else {
    vok::CHWRSCRecognizer recognizer(kTriple);
    if (recognizer.LoadBytes(model.data(), model.size())) {
      recognizer.Recognize(points, 2, counts, candidates, 10);
      recognizer.Classify(0, nullptr, 23, 0xB0A3, candidates, 10);
      recognizer.Classify(1, nullptr, 23, 0, candidates, 10);
    }
  }
  return 0;
}
