// Observation vectors of an utterance, per stream, through the engine's own
// front end, so that training and decoding see the same vectors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class C_rFrontEnd;

namespace train_acoustic_model {

// frames x dim values of one stream, frame after frame.
struct StreamFrames {
  int dim = 0;
  std::vector<float> values;
  const float* Frame(int t) const { return values.data() + static_cast<std::size_t>(t) * dim; }
  float* Frame(int t) { return values.data() + static_cast<std::size_t>(t) * dim; }
};

struct Features {
  int frames = 0;
  std::vector<StreamFrames> streams;
};

class FeatureExtractor {
 public:
  FeatureExtractor();
  ~FeatureExtractor();
  FeatureExtractor(const FeatureExtractor&) = delete;
  FeatureExtractor& operator=(const FeatureExtractor&) = delete;

  // The built-in set-up when `spec_path` is empty, else the specification
  // file; false when the front end refuses it.
  bool Setup(const std::string& spec_path);

  int SamplingRate() const;
  double FrameShiftSeconds() const;
  std::vector<int> StreamDims() const;

  // The utterance's vectors; nullopt with the reason when it is longer than
  // the front end holds or too short to give a frame.
  std::optional<Features> Extract(std::span<const std::int16_t> samples, std::string* error);

 private:
  std::unique_ptr<C_rFrontEnd> front_end_;
};

// Per-dimension mean and scale (standard deviation, floored) of every stream
// over the utterances: the normalisation the model file carries.
struct StreamNormalisation {
  std::vector<std::vector<float>> means, scales;
};
StreamNormalisation MeasureNormalisation(const std::vector<const Features*>& utterances);

// x' = (x - mean) / scale, as the database computes it.
void Normalise(const StreamNormalisation& normalisation, Features& features);

}  // namespace train_acoustic_model
