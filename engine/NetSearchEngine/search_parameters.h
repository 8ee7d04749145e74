// The 13 search values that the speech system keeps and the tree search copies
// at the start of every run: beams, insertion penalties and periods, in the
// order of the record both keep.
#pragma once

#include <cstdint>

namespace vok {

struct SearchParameters {
  enum Index {
    kPhoneBeam,
    kPhoneTransBeam,
    kPhoneExitBeam,
    kSyllableTransBeam,
    kFastMatchBeam,
    kSixthBeam,
    kTreeStartBeam,
    kUnused,
    kSyllableInsertionPenalty,
    kPhoneInsertionPenalty,
    kStackSearchBeam,
    kLatticeBeam,
    kFastMatchPeriod,
    kCount
  };
  static constexpr int16_t kDefaultFastMatchBeam = 10000;
  static constexpr int16_t kSixthValue = 5000;
  static constexpr int16_t kDefaultLatticeBeam = 999;
  static constexpr int16_t kDefaultFastMatchPeriod = 1;

  int16_t& operator[](Index i) { return values[i]; }
  int16_t operator[](Index i) const { return values[i]; }

  int16_t values[kCount] = {};
};

}  // namespace vok
