// The search values of the engine's dictation defaults (beams 320, 320, 80
// and 350, insertion penalties -50 and -35, no fast match), for the tests and
// benchmarks that run the tree search without a speech system.
#pragma once

#include "engine/NetSearchEngine/search_parameters.h"

namespace vok_testing {

inline vok::SearchParameters DictationBeams() {
  using P = vok::SearchParameters;
  P p;
  p[P::kPhoneBeam] = 320;
  p[P::kPhoneTransBeam] = 320;
  p[P::kPhoneExitBeam] = 80;
  p[P::kSyllableTransBeam] = 350;
  p[P::kFastMatchBeam] = P::kDefaultFastMatchBeam;
  p[P::kSixthBeam] = P::kSixthValue;
  p[P::kSyllableInsertionPenalty] = -50;
  p[P::kPhoneInsertionPenalty] = -35;
  p[P::kLatticeBeam] = P::kDefaultLatticeBeam;
  p[P::kFastMatchPeriod] = P::kDefaultFastMatchPeriod;
  return p;
}

}  // namespace vok_testing
