#include "tools/train_acoustic_model/features.h"

#include <algorithm>
#include <cmath>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"

namespace train_acoustic_model {

FeatureExtractor::FeatureExtractor() = default;
FeatureExtractor::~FeatureExtractor() = default;

bool FeatureExtractor::Setup(const std::string& spec_path) {
  front_end_ = std::make_unique<C_rFrontEnd>();
  const int result =
      spec_path.empty() ? front_end_->setup_Std(1) : front_end_->readResourceFile(spec_path.c_str(), 1);
  if (result != 0) front_end_.reset();
  return result == 0;
}

int FeatureExtractor::SamplingRate() const { return front_end_->get_SamplingRate(); }

double FeatureExtractor::FrameShiftSeconds() const {
  return static_cast<double>(front_end_->get_NumSamplesFrameAdvance()) / front_end_->get_SamplingRate();
}

std::vector<int> FeatureExtractor::StreamDims() const {
  std::vector<int> dims;
  for (int s = 0; s < front_end_->get_NumStreams(); ++s) dims.push_back(front_end_->get_StreamDim(s));
  return dims;
}

std::optional<Features> FeatureExtractor::Extract(std::span<const std::int16_t> samples, std::string* error) {
  const int length = front_end_->get_NumSamplesPerFrame();
  const int shift = front_end_->get_NumSamplesFrameAdvance();
  const auto count = static_cast<long long>(samples.size());
  const long long frames = count < length ? 0 : 1 + (count - length) / shift;
  if (frames > front_end_->get_MaxNumFrame()) {
    if (error)
      *error = std::to_string(frames) + " frames, the front end holds " +
               std::to_string(front_end_->get_MaxNumFrame());
    return std::nullopt;
  }
  front_end_->generate_Feature_Buffer(0, samples.data(), static_cast<int>(samples.size()));
  Features features;
  features.frames = front_end_->get_numFrame(0);
  if (features.frames <= 0) {
    if (error) *error = "too short for a frame";
    return std::nullopt;
  }
  const std::vector<int> dims = StreamDims();
  for (int dim : dims)
    features.streams.push_back({dim, std::vector<float>(static_cast<std::size_t>(features.frames) * dim)});
  for (int t = 0; t < features.frames; ++t) {
    const C_rStreamVectors* vectors = front_end_->generate_op_frame(0, t);
    for (std::size_t s = 0; s < dims.size(); ++s)
      std::copy_n(vectors->vectors[s], dims[s], features.streams[s].Frame(t));
  }
  return features;
}

StreamNormalisation MeasureNormalisation(const std::vector<const Features*>& utterances) {
  StreamNormalisation result;
  if (utterances.empty()) return result;
  const std::size_t streams = utterances.front()->streams.size();
  for (std::size_t s = 0; s < streams; ++s) {
    const int dim = utterances.front()->streams[s].dim;
    std::vector<double> sum(dim), square(dim);
    double count = 0;
    for (const Features* features : utterances) {
      for (int t = 0; t < features->frames; ++t) {
        const float* x = features->streams[s].Frame(t);
        for (int d = 0; d < dim; ++d) {
          sum[d] += x[d];
          square[d] += static_cast<double>(x[d]) * x[d];
        }
      }
      count += features->frames;
    }
    std::vector<float> mean(dim), scale(dim);
    for (int d = 0; d < dim; ++d) {
      const double m = count > 0 ? sum[d] / count : 0.0;
      const double variance = count > 0 ? square[d] / count - m * m : 1.0;
      mean[d] = static_cast<float>(m);
      // A constant dimension keeps its values (scale 1) rather than blowing up.
      scale[d] = static_cast<float>(variance > 1e-12 ? std::sqrt(variance) : 1.0);
    }
    result.means.push_back(mean);
    result.scales.push_back(scale);
  }
  return result;
}

void Normalise(const StreamNormalisation& normalisation, Features& features) {
  for (std::size_t s = 0; s < features.streams.size(); ++s) {
    StreamFrames& stream = features.streams[s];
    for (int t = 0; t < features.frames; ++t) {
      float* x = stream.Frame(t);
      for (int d = 0; d < stream.dim; ++d)
        x[d] = (x[d] - normalisation.means[s][d]) / normalisation.scales[s][d];
    }
  }
}

}  // namespace train_acoustic_model
