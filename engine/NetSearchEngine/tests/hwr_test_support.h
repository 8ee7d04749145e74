// Shared pieces of the handwriting lattice tests: recognizers whose
// classification answers a scripted list (their own checks of the ink stay
// the product's), pronunciation syllables named by character codes, and ink
// made of straight strokes.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/hwr_recognizer.h"
#include "engine/core/lexicon.h"
#include "engine/core/symbol_table.h"

namespace vok_test {

// A Chinese recognizer without a model whose classification returns the
// list it is given (sorted by order key, as the real one returns it) once
// the ink passes the join that the real one starts with, and counts its
// calls.
class ScriptedChineseRecognizer : public vok::CHWRSCRecognizer {
 public:
  explicit ScriptedChineseRecognizer(std::vector<vok::HwrCandidate> list) : list_(std::move(list)) {}
  int Classify(int, const uint8_t*, int, uint16_t, vok::HwrCandidate* out, int room) override {
    ++calls;
    vok::InkPoint trace[vok::kMaxInkPoints];
    if (JoinHeldInk(trace) < 0) return 0;
    const int n = std::min(room, static_cast<int>(list_.size()));
    std::copy(list_.begin(), list_.begin() + n, out);
    return n;
  }
  int calls = 0;

 private:
  std::vector<vok::HwrCandidate> list_;
};

// The Latin recognizer with a scripted classification of one-byte codes;
// its own Recognize moves them into the high byte.
class ScriptedLatinRecognizer : public vok::CHWRRomRecognizer {
 public:
  explicit ScriptedLatinRecognizer(std::vector<vok::HwrCandidate> list) : list_(std::move(list)) {}
  int Classify(int, const uint8_t*, int, uint16_t, vok::HwrCandidate* out, int room) override {
    vok::InkPoint trace[vok::kMaxInkPoints];
    if (JoinHeldInk(trace) < 0) return 0;
    const int n = std::min(room, static_cast<int>(list_.size()));
    std::copy(list_.begin(), list_.begin() + n, out);
    return n;
  }

 private:
  std::vector<vok::HwrCandidate> list_;
};

// A candidate list of codes with rising order keys and scores.
inline std::vector<vok::HwrCandidate> Candidates(const std::vector<uint16_t>& codes, int32_t score = 180,
                                                 int32_t stroke_difference = 0) {
  std::vector<vok::HwrCandidate> list;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const auto step = static_cast<int32_t>(i);
    list.push_back({codes[i], score + 18 * step, 100 + 10 * step, stroke_difference});
  }
  return list;
}

// Syllable names of the codes as the pronunciations of the lexicon's code
// tree spell them.
inline std::unique_ptr<vok::SymbolTable> CodeSyllables(const std::vector<uint16_t>& codes) {
  auto table = std::make_unique<vok::SymbolTable>(64);
  for (uint16_t code : codes) {
    const char text[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\0'};
    std::string name;
    vok::WordToCodePron(text, &name);
    table->Add(name.c_str());
  }
  return table;
}

// A straight stroke of n points from (x0, y0) to (x1, y1), as {y, x}.
inline std::vector<vok::InkPoint> Line(int x0, int y0, int x1, int y1, int n = 10) {
  std::vector<vok::InkPoint> points;
  for (int i = 0; i < n; ++i) {
    points.push_back({static_cast<int16_t>(y0 + (y1 - y0) * i / (n - 1)),
                      static_cast<int16_t>(x0 + (x1 - x0) * i / (n - 1))});
  }
  return points;
}

}  // namespace vok_test
