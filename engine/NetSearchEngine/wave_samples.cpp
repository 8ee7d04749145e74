#include "engine/NetSearchEngine/wave_samples.h"

#include "engine/api/wave_file.h"
#include "engine/core/messages.h"

namespace vok {

int ReadWaveSamples(const char* path, int sample_rate, std::vector<int16_t>* samples) {
  api::CWaveFile file;
  if (!path || !samples || !file.OpenForReading(path))
    return ErrorSet("ReadWaveSamples", -1, "errWaveFileRefused: %s", path ? path : "");
  if (static_cast<int>(file.sample_rate()) != sample_rate) {
    return ErrorSet("ReadWaveSamples", -1, "errWaveFileRate: %s is at %u Hz, the front end at %d Hz", path,
                    file.sample_rate(), sample_rate);
  }
  samples->assign(file.SampleCount(), 0);
  const std::size_t read = file.Read(*samples);
  samples->resize(read);
  return 0;
}

}  // namespace vok
