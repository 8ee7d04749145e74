// Feature front end: 16-bit samples in, per-frame observation vectors out,
// with one input record per input thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_cepstrum_feature.h"
#include "engine/LIB_C_rHMMDataBase/c_r_front_end_input.h"
#include "engine/LIB_C_rHMMDataBase/c_r_parameter_set.h"
#include "engine/LIB_C_rHMMDataBase/c_r_pitch_feature.h"
#include "engine/LIB_C_rHMMDataBase/c_r_pre_process.h"

class C_rFrontEnd {
 public:
  enum class Feature { kCepstrum, kDeltaCepstrum, kDeltaDeltaCepstrum, kPitch };

  C_rFrontEnd() = default;
  C_rFrontEnd(const C_rFrontEnd&) = delete;
  C_rFrontEnd& operator=(const C_rFrontEnd&) = delete;

  // Both return 0 or -1 (with the message of the bad setting).
  int setup_Std(int inputs);
  int readResourceFile(const char* path, int inputs);

  int resetEnvironment(int idx);
  int resetBuffer(int idx);
  // Returns the number of frames ready, -1 for a bad input.
  int insert_LiveWaveData(int idx, const std::int16_t* samples, int count);
  int generate_Feature_Buffer(int idx, const std::int16_t* samples, int count);
  int get_numFrame(int idx) const;
  // The stream vectors of frame t (valid until the next call on this input),
  // or null for a bad input or frame.
  const C_rStreamVectors* generate_op_frame(int idx, int t);
  // The single vector of frame t, laid out as the specification's
  // SingleOpVector; null for a bad input or frame.
  const float* get_SingleOpVector(int idx, int t);

  int get_SamplingRate() const { return samplingRate_; }
  int get_NumSamplesPerFrame() const { return frameLength_; }
  int get_NumSamplesFrameAdvance() const { return frameShift_; }
  int get_MaxNumFrame() const { return maxNumFrame_; }
  int get_NumStreams() const { return static_cast<int>(streamDims_.size()); }
  int get_StreamDim(int s) const { return streamDims_[s]; }
  int get_SingleOpVectorDim() const { return singleDim_; }
  int get_HoldBack() const { return holdBack_; }
  int get_CacheDepth() const { return cacheDepth_; }
  int get_NumInputs() const { return static_cast<int>(inputs_.size()); }
  // Position of a feature in the single vector, -1 when it is not there.
  int get_FeaturePosition(Feature f) const { return positions_[static_cast<int>(f)]; }
  const std::string& get_SpecText() const { return specText_; }
  const C_rCepstrumFeature* cepstrumFeature() const { return cepstrum_ ? &*cepstrum_ : nullptr; }
  const C_rPitchFeature* pitchFeature() const { return pitch_ ? &*pitch_ : nullptr; }
  const C_rPreProcess& preProcess() const { return preProcess_; }

 private:
  struct LayoutEntry {
    Feature feature;
    int dimension;
  };

  int configure(C_rParameterSet& parameters, int inputs);
  int readLayout(C_rParameterSet& parameters);
  int readStreams(C_rParameterSet& parameters);
  int readFeatures(C_rParameterSet& parameters, int& cepstrumDim, int& pitchDim);
  int readCepstrumOptions(C_rParameterSet& parameters, int dimension, C_rCepstrumOptions& options);
  void buildSpecText(C_rParameterSet& parameters);
  void createInput(C_rFrontEndInput& input) const;
  C_rFrontEndInput* input(int idx, const char* function);
  const C_rFrontEndInput* input(int idx, const char* function) const;
  void processFrame(C_rFrontEndInput& in, const std::int16_t* frame);
  void delta(const C_rFeatureStore& c, int t, float* out) const;
  void deltaDelta(const C_rFeatureStore& c, int t, float* out) const;
  bool buildSingle(C_rFrontEndInput& in, int t);

  bool configured_ = false;
  int samplingRate_ = 0;
  int maxNumFrame_ = 0;
  int storeFrames_ = 0;
  int frameLength_ = 0;
  int frameShift_ = 0;
  int overlap_ = 0;
  int fftSize_ = 0;
  int singleDim_ = 0;
  int cacheDepth_ = 1;
  int holdBack_ = 0;
  std::vector<LayoutEntry> layout_;
  std::vector<int> streamDims_;
  std::vector<std::vector<int>> streamPositions_;
  int positions_[4] = {-1, -1, -1, -1};
  std::string specText_;
  C_rPreProcess preProcess_;
  std::optional<C_rCepstrumFeature> cepstrum_;
  std::optional<C_rPitchFeature> pitch_;
  std::vector<std::unique_ptr<C_rFrontEndInput>> inputs_;
};
