// The HMM acoustic model file from the input: loaded for one input thread,
// then every state of every HMM scored on one frame.
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("model.bin");
  fuzz_support::WriteFile(path, {data, size});
  vok::Resources resources;
  resources.Put("Vastel", "StreamWeights", "1.0 1.0");
  resources.Put("Vastel", "LogDensityWeight", "1.0");
  resources.Put("Vastel", "HMMBailOut", "1e30");
  C_rMemory memory;
  C_rHMMDataBase database;
  database.set_Memory(&memory);
  if (database.read_file(path.c_str(), 1, resources) == 0) {
    std::vector<std::vector<float>> vectors;
    std::vector<int> dims;
    std::vector<const float*> pointers;
    for (int s = 0; s < database.get_NumStreams(); ++s) {
      const int dim = database.get_StreamDim(s);
      vectors.emplace_back(static_cast<std::size_t>(dim > 0 ? dim : 0), 0.5f);
      dims.push_back(dim);
    }
    for (const std::vector<float>& vector : vectors) pointers.push_back(vector.data());
    const C_rStreamVectors frame{static_cast<int>(dims.size()), dims.data(), pointers.data()};
    if (database.assign_ThreadInput(0, 0, frame) == 0) {
      for (int h = 0; h < database.get_numHMM(); ++h) {
        for (int state = 0; state < 3; ++state) database.get_StateScore(h, state, 0);
      }
    }
  }
  vok::ErrorClear();
  return 0;
}
