// One input of the front end: the frame being filled, the per-input state of
// each stage and the feature stores of the utterance.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_cepstrum_feature.h"
#include "engine/LIB_C_rHMMDataBase/c_r_pitch_feature.h"
#include "engine/LIB_C_rHMMDataBase/c_r_pre_process.h"

// Frame vectors of one feature, one row per stored frame.
struct C_rFeatureStore {
  int dimension = 0;
  int capacity = 0;
  int count = 0;
  std::vector<float> rows;

  void allocate(int dim, int frames) {
    dimension = dim;
    capacity = frames;
    count = 0;
    rows.assign(static_cast<std::size_t>(dim) * static_cast<std::size_t>(frames), 0.0f);
  }
  float* row(int t) { return rows.data() + static_cast<std::size_t>(t) * dimension; }
  const float* row(int t) const { return rows.data() + static_cast<std::size_t>(t) * dimension; }
};

// The observation of one frame, split into streams.
struct C_rStreamVectors {
  int numStreams = 0;
  const int* dims = nullptr;
  const float* const* vectors = nullptr;
};

struct C_rFrontEndInput {
  std::vector<std::int16_t> samples;  // the frame being filled
  int needed = 0;                     // samples still missing from it
  int framesProcessed = 0;
  std::vector<float> raw;        // fftSize values, zero beyond the frame
  std::vector<float> processed;  // pre-processed copy, zero beyond the frame
  C_rPreProcessState preProcess;
  C_rCepstrumWork cepstrumWork;
  C_rPitchWork pitchWork;
  C_rFeatureStore cepstra;
  C_rFeatureStore pitch;
  std::vector<int> pitchBestShift;
  std::vector<float> single;
  std::vector<std::vector<float>> streams;
  std::vector<float*> streamPointers;
  C_rStreamVectors output;
};
