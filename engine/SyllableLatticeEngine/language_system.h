// The lattice system that the speech system makes beside itself on the shared
// back end: a word lattice engine with the speech system's stack beam.
#pragma once

#include "engine/SyllableLatticeEngine/lattice_system.h"

namespace vok {

class CLanguageSystem : public CLatticeSystem {
 public:
  // The beam replaces the "StackSearchBeam" of the options.
  CLanguageSystem(const Resources& resources, CLMBackendEngine* back_end, int stack_beam);
  ~CLanguageSystem() override;
};

}  // namespace vok
