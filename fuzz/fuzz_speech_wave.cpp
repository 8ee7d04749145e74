// A speech corpus wave file from the input, as the acoustic model trainer
// reads it.
#include <cstdint>
#include <string>

#include "tools/train_acoustic_model/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto samples =
      train_acoustic_model::ParseWave({data, size}, train_acoustic_model::kSamplingRate, &error);
  if (samples && !samples->empty()) {
    volatile std::int16_t first = samples->front();
    (void)first;
  }
  return 0;
}
