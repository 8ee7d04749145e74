// The handwriting character recognizers: one family over the model files,
// simplified and traditional Chinese and Latin letters and digits. A first
// pass scores every class by table look-ups on quantised whole-character
// features; the best classes are scored again by chaining radical models
// over the quantised pen steps, and that score orders the candidates.
// Recognition allocates nothing: the ink and all work lists are fixed-size.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/hwr_ink_features.h"
#include "engine/core/hwr_model.h"
#include "engine/core/hwr_radical_scorer.h"

namespace vok {

inline constexpr int kHwrMaxStrokes = 99;
inline constexpr int kHwrMaxTotalPoints = 1000;
inline constexpr int kHwrFirstPassCandidates = 200;

// One candidate; lower scores and order keys are better.
struct HwrCandidate {
  uint16_t code;
  int32_t score;
  int32_t order_key;
  int32_t stroke_difference;  // the dictionary's strokes minus those written
};

struct HwrFirstPassEntry {
  int32_t score;
  int32_t class_index;
  int32_t first_radical;  // of the class's model 0
  int32_t states;         // of the class's model 0
  int32_t base;
};

class CHWRRecognizer {
 public:
  virtual ~CHWRRecognizer() = default;
  CHWRRecognizer(const CHWRRecognizer&) = delete;
  CHWRRecognizer& operator=(const CHWRRecognizer&) = delete;

  // Candidates for the strokes (points {y, x}), at most `room` of them.
  // Ink of 0 or more than 99 strokes, a stroke without points or more than
  // 1000 points gives none.
  virtual int Recognize(const InkPoint* points, int stroke_count, const int* point_counts,
                        HwrCandidate* candidates, int room);
  // Classifies the ink held by the recognizer; `previous` is the code of the
  // character written before, or 0.
  virtual int Classify(int parameter, const uint8_t* mask, int n, uint16_t previous, HwrCandidate* candidates,
                       int room) = 0;
  virtual int CodeToIndexLevel1(uint16_t code) const = 0;
  virtual int IndexToCodeLevel1(int index) const = 0;
  virtual int CodeToIndexLevel2(uint16_t code) const = 0;
  virtual int IndexToCodeLevel2(int index) const = 0;
  virtual int CodeToIndex(uint16_t code) const = 0;
  virtual int IndexToCode(int index) const = 0;
  virtual bool BindModelTables() = 0;
  // Fills `list` with up to n + 1 entries; returns their number or -1.
  virtual int FirstPass(const InkPoint* trace, int points, HwrFirstPassEntry* list, int n,
                        const uint8_t* mask) = 0;

  // Reads the model file; on failure the recognizer holds no model.
  bool Load(const char* path);
  virtual bool LoadBytes(const uint8_t* data, std::size_t size) = 0;
  virtual bool HasModel() const = 0;

  int parameter() const { return parameter_; }

 protected:
  explicit CHWRRecognizer(int classes) : classes_(classes), mask_(static_cast<std::size_t>(classes), 1) {}

  // Joins the held strokes; -1 when refused.
  int JoinHeldInk(InkPoint* trace) const;
  int TotalPoints() const;
  // Radical scoring of a sorted shortlist with one set; returns the number
  // of candidates, sorted by order key.
  int ScoreShortlist(const HwrFirstPassEntry* shortlist, int count, const std::vector<RadicalModel>& models,
                     const RadicalDictionaryRecord* dictionary, const uint8_t* step_codes, int steps,
                     HwrCandidate* out);
  // Cuts the list to `count` entries, attaches model 0's first radical and
  // state count, and sorts by them.
  static void MakeShortlist(HwrFirstPassEntry* list, int count, const RadicalDictionaryRecord* dictionary);

  int parameter_ = 2;
  int classes_;
  std::vector<uint8_t> mask_;
  InkPoint points_[kHwrMaxTotalPoints]{};
  int point_counts_[kHwrMaxStrokes + 1]{};
  int stroke_count_ = 0;
  RadicalScorer scorer_;
};

// Base of the two Chinese recognizers.
class CHWRCharRecognizer : public CHWRRecognizer {
 public:
  int Classify(int parameter, const uint8_t* mask, int n, uint16_t previous, HwrCandidate* candidates,
               int room) override;
  bool BindModelTables() override;
  int FirstPass(const InkPoint* trace, int points, HwrFirstPassEntry* list, int n,
                const uint8_t* mask) override;
  // Slot 10: the direction histogram of a whole trace.
  virtual void TraceHistogram(const InkPoint* trace, int points, int32_t* histogram) const {
    TraceDirectionHistogram(trace, points, histogram);
  }

  bool LoadBytes(const uint8_t* data, std::size_t size) override;
  bool HasModel() const override { return model_ != nullptr; }

 protected:
  explicit CHWRCharRecognizer(const HwrModelTriple& triple)
      : CHWRRecognizer(triple.characters), triple_(triple) {}

 private:
  HwrModelTriple triple_;
  std::unique_ptr<HwrCharacterModel> model_;
  bool bound_ = false;
  std::vector<uint8_t> character_table_;
};

class CHWRSCRecognizer : public CHWRCharRecognizer {
 public:
  explicit CHWRSCRecognizer(const HwrModelTriple& triple = kScModelTriple) : CHWRCharRecognizer(triple) {}
  int CodeToIndexLevel1(uint16_t code) const override;
  int IndexToCodeLevel1(int index) const override;
  int CodeToIndexLevel2(uint16_t code) const override;
  int IndexToCodeLevel2(int index) const override;
  int CodeToIndex(uint16_t code) const override;
  int IndexToCode(int index) const override;
};

class CHWRTCRecognizer : public CHWRCharRecognizer {
 public:
  explicit CHWRTCRecognizer(const HwrModelTriple& triple = kTcModelTriple) : CHWRCharRecognizer(triple) {}
  int CodeToIndexLevel1(uint16_t code) const override;
  int IndexToCodeLevel1(int index) const override;
  int CodeToIndexLevel2(uint16_t code) const override;
  int IndexToCodeLevel2(int index) const override;
  int CodeToIndex(uint16_t code) const override;
  int IndexToCode(int index) const override;
};

class CHWRRomRecognizer : public CHWRRecognizer {
 public:
  CHWRRomRecognizer() : CHWRRecognizer(kLatinModelTriple.characters) {}
  // Candidate codes come back as character x 256.
  int Recognize(const InkPoint* points, int stroke_count, const int* point_counts, HwrCandidate* candidates,
                int room) override;
  int Classify(int parameter, const uint8_t* mask, int n, uint16_t previous, HwrCandidate* candidates,
               int room) override;
  int CodeToIndexLevel1(uint16_t code) const override { return CodeToIndex(code); }
  int IndexToCodeLevel1(int index) const override { return IndexToCode(index); }
  int CodeToIndexLevel2(uint16_t code) const override { return CodeToIndex(code); }
  int IndexToCodeLevel2(int index) const override { return IndexToCode(index); }
  int CodeToIndex(uint16_t code) const override;
  int IndexToCode(int index) const override;
  bool BindModelTables() override;
  int FirstPass(const InkPoint* trace, int points, HwrFirstPassEntry* list, int n,
                const uint8_t* mask) override;

  bool LoadBytes(const uint8_t* data, std::size_t size) override;
  bool HasModel() const override { return model_ != nullptr; }

 private:
  std::unique_ptr<HwrLatinModel> model_;
  bool bound_ = false;
};

// With both radical sets: the cursive list wins on a lower or equal first
// order key, and whichever list is not empty wins over an empty one.
bool CursiveListWins(const HwrCandidate* print, int print_count, const HwrCandidate* cursive,
                     int cursive_count);

// Keeps the first candidate and those within 1000 of its order key (at
// most ten), puts the smallest stroke differences first and gives the
// positions their former order keys back. Returns the number kept.
int FilterLatinCandidates(HwrCandidate* candidates, int count);

}  // namespace vok
