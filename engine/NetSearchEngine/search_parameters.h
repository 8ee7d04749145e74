// The 13 search values that the speech system keeps and the tree search copies
// at the start of every run: beams, insertion penalties and periods, in the
// order of the record both keep.
#pragma once

#include <cstdint>
#include <span>

namespace vok {

class Resources;

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

  struct Key {
    const char* name;
    Index index;
  };
  // The beams and penalties that both the speech system and the tree search
  // read.
  static constexpr Key kBeamKeys[] = {{"PhoneBeam", kPhoneBeam},
                                      {"PhoneTransBeam", kPhoneTransBeam},
                                      {"PhoneExitBeam", kPhoneExitBeam},
                                      {"SyllableTransBeam", kSyllableTransBeam},
                                      {"SyllableInsertionPenalty", kSyllableInsertionPenalty},
                                      {"PhoneInsertionPenalty", kPhoneInsertionPenalty}};

  int16_t& operator[](Index i) { return values[i]; }
  int16_t operator[](Index i) const { return values[i]; }

  // Section "Search": each key's value held in 16 bits; an absent key keeps
  // the value there is.
  void ReadKept(const Resources& resources, std::span<const Key> keys);
  // Section "Search": the key's value, or `fallback` when it is absent, held
  // in 16 bits.
  void ReadWithDefault(const Resources& resources, const char* key, Index index, int16_t fallback);

  int16_t values[kCount] = {};
};

}  // namespace vok
