#include "engine/NetSearchEngine/wave_samples.h"

#include "engine/core/messages.h"

namespace vok {

// Wave files are read through the engine's wave file class once it is part of
// the build; until then a file input is refused.
int ReadWaveSamples(const char* /*path*/, int /*sample_rate*/, std::vector<int16_t>* /*samples*/) {
  return ErrorSet("ReadWaveSamples", -1, "errNoWaveReader");
}

}  // namespace vok
