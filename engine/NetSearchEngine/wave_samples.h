// The samples of a wave file for the front end of a speech search.
#pragma once

#include <cstdint>
#include <vector>

namespace vok {

// Every sample of a PCM, mono, 16-bit file at `sample_rate` Hz into
// `samples`. 0, or -1 with an error recorded when the file cannot be read or
// has another format (a file at another rate is refused, not resampled).
int ReadWaveSamples(const char* path, int sample_rate, std::vector<int16_t>* samples);

}  // namespace vok
