// The front-end specification file from the input: the front end is set up
// from it and, when that succeeds, turns a short signal into features.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/core/messages.h"
#include "fuzz/fuzz_support.h"

namespace {

const std::vector<std::int16_t>& Signal() {
  static const std::vector<std::int16_t> samples = [] {
    std::vector<std::int16_t> wave(2205);
    for (std::size_t i = 0; i < wave.size(); ++i)
      wave[i] = static_cast<std::int16_t>(8000.0 * std::sin(static_cast<double>(i) * 0.07) +
                                          3000.0 * std::sin(static_cast<double>(i) * 0.61));
    return wave;
  }();
  return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("frontend.spec");
  fuzz_support::WriteFile(path, {data, size});
  C_rFrontEnd front_end;
  if (front_end.readResourceFile(path.c_str(), 1) == 0) {
    const int frames =
        front_end.generate_Feature_Buffer(0, Signal().data(), static_cast<int>(Signal().size()));
    for (int t = 0; t < frames; ++t) {
      front_end.generate_op_frame(0, t);
      front_end.get_SingleOpVector(0, t);
    }
  }
  vok::ErrorClear();
  return 0;
}
