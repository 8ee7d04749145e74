#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

namespace {

constexpr const char* kFrontEnd = "FrontEnd";
constexpr const char* kMelFilter = "MelFilter";
constexpr const char* kAbsent = "";

struct BuiltIn {
  const char* section;
  const char* key;
  const char* value;
};

constexpr BuiltIn kBuiltIn[] = {
    {kFrontEnd, "SamplingRate", "11025"},
    {kFrontEnd, "NumSamplesFrameAdvance", "110"},
    {kFrontEnd, "NumSamplesPerFrame", "165"},
    {kFrontEnd, "MaxNumFrame", "1500"},
    {kFrontEnd, "NumStreams", "2"},
    {kFrontEnd, "Stream-0",
     "1,13,2,3,0,14,4,26,5,15,16,27,17,18,6,28,29,30,7,31,19,20,8,9,32,33,21,34,35,22,10,11,23,12,36,24,37,"
     "25,38"},
    {kFrontEnd, "Stream-1", "39,40,41,42,43,44,45,46,47,48,49"},
    {kFrontEnd, "BasicFeature", "Cepstrum[13],Pitch[11]"},
    {kFrontEnd, "DeriveFeature", "Cepstrum::DeltaCepstrum[13],  Cepstrum::DeltaDeltaCepstrum[13]"},
    {kFrontEnd, "SingleOpVector",
     "Cepstrum[13], Cepstrum::DeltaCepstrum[13], Cepstrum::DeltaDeltaCepstrum[13], Pitch[11]"},
    {kFrontEnd, "SingleOpVectorDim", "50"},
    {kFrontEnd, "DcOffsetConstant", "0.9999"},
    {kFrontEnd, "Preemphasis", "0.97"},
    {kFrontEnd, "Window", "Hamming"},
    {kMelFilter, "FftSize", "256"},
    {kMelFilter, "NumMelFilters", "40"},
    {kMelFilter, "MelFiltersNumLog", "27"},
    {kMelFilter, "MelFiltersNumLinear", "13"},
    {kMelFilter, "MelFiltersUpper", "5512.5"},
    {kMelFilter, "MelFiltersLower", "133.333000"},
    {kMelFilter, "MelFiltersLogSpacing", "1.0625"},
    {kMelFilter, "MelFiltersLinSpacing", "66.666664"},
    {kMelFilter, "NoiseSpectrumFilter", "0"},
};

// Keys written back as the specification text, per section.
constexpr const char* kSpecFrontEndKeys[] = {
    "SamplingRate", "NumSamplesFrameAdvance", "NumSamplesPerFrame", "MaxNumFrame", "NumStreams", "Stream-0",
    "Stream-1"};
constexpr const char* kSpecMelKeys[] = {"FftSize",
                                        "NumMelFilters",
                                        "MelFiltersNumLog",
                                        "MelFiltersNumLinear",
                                        "MelFiltersUpper",
                                        "MelFiltersLower",
                                        "MelFiltersLogSpacing",
                                        "MelFiltersLinSpacing",
                                        "NoiseSpectrumFilter"};

std::vector<std::string> Tokens(const std::string& text, const char* separators) {
  std::vector<std::string> tokens;
  std::string current;
  for (char c : text) {
    if (std::strchr(separators, c) != nullptr) {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

bool ParseInt(const std::string& text, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || v < -1000000 || v > 1000000) return false;
  value = static_cast<int>(v);
  return true;
}

// Name and dimension pairs of a feature list such as "Cepstrum[13],Pitch[11]".
bool ParseFeatureList(const std::string& text, std::vector<std::pair<std::string, int>>& list) {
  const std::vector<std::string> tokens = Tokens(text, " ,\n\t\r[];");
  if (tokens.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < tokens.size(); i += 2) {
    int dim = 0;
    if (!ParseInt(tokens[i + 1], dim)) return false;
    list.emplace_back(tokens[i], dim);
  }
  return true;
}

int Fail(const char* message) {
  std::printf("%s\n", message);
  return -1;
}

}  // namespace

int C_rFrontEnd::setup_Std(int inputs) {
  C_rParameterSet parameters;
  for (const BuiltIn& entry : kBuiltIn) parameters.Put(entry.section, entry.key, entry.value);
  buildSpecText(parameters);
  return configure(parameters, inputs);
}

int C_rFrontEnd::readResourceFile(const char* path, int inputs) {
  C_rParameterSet parameters(path);
  buildSpecText(parameters);
  return configure(parameters, inputs);
}

void C_rFrontEnd::buildSpecText(C_rParameterSet& parameters) {
  std::string frontEnd = "[FrontEnd]\n";
  for (const char* key : kSpecFrontEndKeys)
    frontEnd += std::string(key) + " = " + parameters.GetString(kFrontEnd, key, kAbsent) + ";\n";
  std::string mel = "[MelFilter]\n";
  for (const char* key : kSpecMelKeys)
    mel += std::string(key) + " = " + parameters.GetString(kMelFilter, key, kAbsent) + ";\n";
  specText_ = frontEnd + "\n\n" + mel;
}

int C_rFrontEnd::configure(C_rParameterSet& parameters, int inputs) {
  if (configured_) {
    std::printf("Re-assignment error in C_rCache_CepstrumFeature::allocate_CacheMemory.\n");
    return SR_Exit("Error");
  }
  if (inputs < 1 || inputs > 1024) {
    std::printf("Error in C_rFrontEnd, number of inputs = %d\n", inputs);
    return -1;
  }
  samplingRate_ = parameters.GetInt(kFrontEnd, "SamplingRate", -1);
  maxNumFrame_ = parameters.GetInt(kFrontEnd, "MaxNumFrame", 1500);
  storeFrames_ = parameters.GetInt(kFrontEnd, "MaxNumFrame", 500);
  frameLength_ = parameters.GetInt(kFrontEnd, "NumSamplesPerFrame", -1);
  frameShift_ = parameters.GetInt(kFrontEnd, "NumSamplesFrameAdvance", -1);
  if (samplingRate_ <= 0) return Fail("Error : C_rFrontEnd::readResourceFile, SamplingRate not set.");
  if (frameLength_ <= 0) return Fail("Error :  C_rFrontEnd::readResourceFile, NumSamplesPerFramee not set.");
  if (frameShift_ <= 0) return Fail("Error : C_rFrontEnd::readResourceFile, NumSamplesFrameAdvance not set.");
  if (frameShift_ > frameLength_)
    return Fail("Error : C_rFrontEnd::readResourceFile, NumSamplesFrameAdvance exceeds NumSamplesPerFrame.");
  if (maxNumFrame_ <= 0 || storeFrames_ <= 0)
    return Fail("Error : C_rFrontEnd::readResourceFile, MaxNumFrame must be positive.");
  overlap_ = frameLength_ - frameShift_;

  if (readLayout(parameters) != 0 || readStreams(parameters) != 0) return -1;
  int cepstrumDim = 0;
  int pitchDim = 0;
  if (readFeatures(parameters, cepstrumDim, pitchDim) != 0) return -1;

  C_rPreProcessOptions pre;
  pre.frameLength = frameLength_;
  pre.frameShift = frameShift_;
  pre.dcOffsetConstant = parameters.GetFloat(kFrontEnd, "DcOffsetConstant", 0.9999f);
  pre.preemphasis = parameters.GetFloat(kFrontEnd, "Preemphasis", 0.97f);
  pre.window = parameters.GetString(kFrontEnd, "Window", "Hamming");
  if (preProcess_.initPreProcess(pre) != 0) return -1;

  fftSize_ = parameters.GetInt(kMelFilter, "FftSize", 256);
  if (!RealFft::IsValidSize(fftSize_) || fftSize_ < frameLength_) {
    std::printf("Error : FftSize = %d must be a power of two of at least NumSamplesPerFrame = %d\n", fftSize_,
                frameLength_);
    return -1;
  }
  if (cepstrumDim > 0) {
    C_rCepstrumOptions options;
    if (readCepstrumOptions(parameters, cepstrumDim, options) != 0) return -1;
    cepstrum_.emplace();
    if (cepstrum_->init(options) != 0) return -1;
  }
  if (pitchDim > 0) {
    pitch_.emplace();
    if (pitch_->init(static_cast<float>(samplingRate_), fftSize_, pitchDim) != 0) return -1;
  }
  inputs_.clear();
  for (int i = 0; i < inputs; ++i) {
    inputs_.push_back(std::make_unique<C_rFrontEndInput>());
    createInput(*inputs_.back());
  }
  configured_ = true;
  return 0;
}

int C_rFrontEnd::readLayout(C_rParameterSet& parameters) {
  std::vector<std::pair<std::string, int>> list;
  if (!ParseFeatureList(parameters.GetString(kFrontEnd, "SingleOpVector", kAbsent), list) || list.empty())
    return Fail("Error : C_rFrontEnd::readResourceFile, SingleOpVector not set.");
  singleDim_ = parameters.GetInt(kFrontEnd, "SingleOpVectorDim", -1);
  int sum = 0;
  for (const auto& [name, dim] : list) sum += std::max(dim, 0);
  if (sum != singleDim_) {
    std::printf("Check sum of SingleOpVector dim, and SingleOpVector does not match.\n");
    return -1;
  }
  int position = 0;
  for (const auto& [name, dim] : list) {
    Feature feature;
    if (name == "Cepstrum") {
      feature = Feature::kCepstrum;
    } else if (name == "Cepstrum::DeltaCepstrum") {
      feature = Feature::kDeltaCepstrum;
    } else if (name == "Cepstrum::DeltaDeltaCepstrum") {
      feature = Feature::kDeltaDeltaCepstrum;
    } else if (name == "Pitch") {
      feature = Feature::kPitch;
    } else {
      std::printf("Error : SingleOpVector entry %s (feature not supported)\n", name.c_str());
      return -1;
    }
    if (dim <= 0 || positions_[static_cast<int>(feature)] >= 0) {
      std::printf("Error : SingleOpVector entry %s[%d] repeated or empty\n", name.c_str(), dim);
      return -1;
    }
    positions_[static_cast<int>(feature)] = position;
    layout_.push_back({feature, dim});
    position += dim;
  }
  return 0;
}

int C_rFrontEnd::readStreams(C_rParameterSet& parameters) {
  const int numStreams = parameters.GetInt(kFrontEnd, "NumStreams", -1);
  if (numStreams <= 0 || numStreams > 255)
    return Fail("Error : C_rFrontEnd::readResourceFile, numStreams not set.");
  for (int s = 0; s < numStreams; ++s) {
    char key[32];
    std::snprintf(key, sizeof key, "Stream-%d", s);
    const std::vector<std::string> tokens =
        Tokens(parameters.GetString(kFrontEnd, key, kAbsent), " ,\n\t\r;");
    if (tokens.empty()) {
      std::printf("Expecting %s assignment.\n", key);
      return Fail("Error :  C_rFrontEnd::readResourceFile, stream not set");
    }
    std::vector<int> positions;
    for (std::size_t e = 0; e < tokens.size(); ++e) {
      int position = -1;
      if (!ParseInt(tokens[e], position) || position < 0 || position >= singleDim_) {
        std::printf(" %s, entry %d = %d idx out of range. Valid range is 0..%d\n", key, static_cast<int>(e),
                    position, singleDim_ - 1);
        return Fail("Error : C_rFrontEnd::readResourceFile idx out of range");
      }
      positions.push_back(position);
    }
    streamDims_.push_back(static_cast<int>(positions.size()));
    streamPositions_.push_back(std::move(positions));
  }
  return 0;
}

int C_rFrontEnd::readFeatures(C_rParameterSet& parameters, int& cepstrumDim, int& pitchDim) {
  std::vector<std::pair<std::string, int>> basic;
  std::vector<std::pair<std::string, int>> derived;
  if (!ParseFeatureList(parameters.GetString(kFrontEnd, "BasicFeature", kAbsent), basic) ||
      !ParseFeatureList(parameters.GetString(kFrontEnd, "DeriveFeature", kAbsent), derived))
    return Fail("Error :  C_rFrontEnd::readResourceFile, feature list not readable.");
  int dims[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < basic.size() + derived.size(); ++i) {
    const bool isBasic = i < basic.size();
    const auto& [name, dim] = isBasic ? basic[i] : derived[i - basic.size()];
    int feature = -1;
    if (isBasic && name == "Cepstrum") feature = 0;
    if (isBasic && name == "Pitch") feature = 3;
    if (!isBasic && name == "Cepstrum::DeltaCepstrum") feature = 1;
    if (!isBasic && name == "Cepstrum::DeltaDeltaCepstrum") feature = 2;
    if (feature < 0) {
      std::printf("Error : Basic Feature [%d] = %s, (feature not supported)\n", static_cast<int>(i),
                  name.c_str());
      return SR_Exit("Error :  C_rFrontEnd::readResourceFile.");
    }
    if (dim <= 0) {
      std::printf("Error : Feature [%d] = %s, dim = %d (dimension error)\n", static_cast<int>(i),
                  name.c_str(), dim);
      return SR_Exit("Error :  C_rFrontEnd::readResourceFile.");
    }
    dims[feature] = dim;
  }
  // A derived feature has the cepstrum's dimension; every entry of the single
  // vector must be computed with the dimension it is given there.
  for (int f = 1; f <= 2; ++f) {
    if (dims[f] != 0 && dims[f] != dims[0]) {
      std::printf("Error : derived feature dim = %d, Cepstrum dim = %d (dimension error)\n", dims[f],
                  dims[0]);
      return SR_Exit("Error :  C_rFrontEnd::readResourceFile.");
    }
  }
  for (const LayoutEntry& entry : layout_) {
    if (dims[static_cast<int>(entry.feature)] != entry.dimension) {
      std::printf("Error : SingleOpVector dim = %d does not match the computed feature (dim %d)\n",
                  entry.dimension, dims[static_cast<int>(entry.feature)]);
      return SR_Exit("Error :  C_rFrontEnd::readResourceFile.");
    }
  }
  cepstrumDim = dims[0];
  pitchDim = dims[3];
  if (dims[1] > 0) {
    cacheDepth_ = std::max(cacheDepth_, 6);
    holdBack_ = std::max(holdBack_, 3);
  }
  if (dims[2] > 0) {
    cacheDepth_ = std::max(cacheDepth_, 7);
    holdBack_ = std::max(holdBack_, 4);
  }
  return 0;
}

int C_rFrontEnd::readCepstrumOptions(C_rParameterSet& parameters, int dimension,
                                     C_rCepstrumOptions& options) {
  options.dimension = dimension;
  C_rMelFilterOptions& mel = options.mel;
  mel.samplingRate = static_cast<float>(samplingRate_);
  mel.fftSize = fftSize_;
  mel.numFilters = parameters.GetInt(kMelFilter, "NumMelFilters", 40);
  mel.numLog = parameters.GetInt(kMelFilter, "MelFiltersNumLog", 27);
  mel.numLinear = parameters.GetInt(kMelFilter, "MelFiltersNumLinear", 13);
  mel.upper = parameters.GetFloat(kMelFilter, "MelFiltersUpper", 5512.5f);
  mel.lower = parameters.GetFloat(kMelFilter, "MelFiltersLower", 133.333f);
  mel.logSpacing = parameters.GetFloat(kMelFilter, "MelFiltersLogSpacing", 1.0625f);
  mel.linSpacing = parameters.GetFloat(kMelFilter, "MelFiltersLinSpacing", 66.666664f);
  options.noiseSpectrumFilter = parameters.GetInt(kMelFilter, "NoiseSpectrumFilter", 0) == 1;
  C_rNoiseSpectrumOptions& noise = options.noise;
  noise.adaptConstFast = parameters.GetFloat(kMelFilter, "fAdaptConstFast", 0.75f);
  noise.adaptConstSlow = parameters.GetFloat(kMelFilter, "fAdaptConstSlow", 0.9375f);
  noise.minSpectralPercentage = parameters.GetFloat(kMelFilter, "fMinSpectralPercentage", 7.82f);
  noise.maxSpectralPercentage = parameters.GetFloat(kMelFilter, "fMaxSpectralPercentage", 27.4f);
  noise.speechPercentageTotal = parameters.GetFloat(kMelFilter, "fSpeechPercentageTotal", 40.0f);
  noise.noiseMaxSNR = parameters.GetFloat(kMelFilter, "fNoiseMaxSNR", 80.0f);
  return 0;
}

void C_rFrontEnd::createInput(C_rFrontEndInput& in) const {
  in.samples.assign(static_cast<std::size_t>(frameLength_), 0);
  in.raw.assign(static_cast<std::size_t>(fftSize_), 0.0f);
  in.processed.assign(static_cast<std::size_t>(fftSize_), 0.0f);
  if (cepstrum_) {
    in.cepstrumWork = cepstrum_->makeWork();
    in.cepstra.allocate(cepstrum_->dimension(), storeFrames_);
  }
  if (pitch_) {
    in.pitchWork = pitch_->makeWork();
    in.pitch.allocate(pitch_->dimension(), storeFrames_);
    in.pitchBestShift.assign(static_cast<std::size_t>(storeFrames_), 0);
  }
  in.single.assign(static_cast<std::size_t>(singleDim_), 0.0f);
  in.streams.clear();
  in.streamPointers.clear();
  for (int dim : streamDims_) in.streams.emplace_back(static_cast<std::size_t>(dim), 0.0f);
  for (auto& stream : in.streams) in.streamPointers.push_back(stream.data());
  in.output.numStreams = static_cast<int>(streamDims_.size());
  in.output.dims = streamDims_.data();
  in.output.vectors = in.streamPointers.data();
  in.needed = frameLength_;
  in.framesProcessed = 0;
}

C_rFrontEndInput* C_rFrontEnd::input(int idx, const char* function) {
  return const_cast<C_rFrontEndInput*>(static_cast<const C_rFrontEnd*>(this)->input(idx, function));
}

const C_rFrontEndInput* C_rFrontEnd::input(int idx, const char* function) const {
  if (!SR_CheckInputIndex(idx, static_cast<int>(inputs_.size()), function)) return nullptr;
  return inputs_[idx].get();
}

int C_rFrontEnd::resetEnvironment(int idx) {
  C_rFrontEndInput* in = input(idx, "C_rFrontEnd::resetEnvironment");
  if (in == nullptr) return -1;
  in->framesProcessed = 0;
  in->cepstra.count = 0;
  in->pitch.count = 0;
  return 0;
}

int C_rFrontEnd::resetBuffer(int idx) {
  C_rFrontEndInput* in = input(idx, "C_rFrontEnd::resetBuffer");
  if (in == nullptr) return -1;
  // Cleared in place: the buffers stay those allocated at set-up.
  auto zero = [](std::vector<float>& v) { std::fill(v.begin(), v.end(), 0.0f); };
  std::fill(in->samples.begin(), in->samples.end(), std::int16_t{0});
  in->needed = frameLength_;
  in->framesProcessed = 0;
  zero(in->raw);
  zero(in->processed);
  in->preProcess.carry = 0.0f;
  zero(in->cepstrumWork.noise);
  zero(in->pitchWork.previous);
  zero(in->pitchWork.current);
  in->pitchWork.rowsSet = false;
  zero(in->cepstra.rows);
  zero(in->pitch.rows);
  in->cepstra.count = 0;
  in->pitch.count = 0;
  zero(in->single);
  for (auto& stream : in->streams) zero(stream);
  return 0;
}

int C_rFrontEnd::insert_LiveWaveData(int idx, const std::int16_t* samples, int count) {
  C_rFrontEndInput* in = input(idx, "C_rFrontEnd::insert_LiveWaveData");
  if (in == nullptr || count < 0 || (count > 0 && samples == nullptr)) return -1;
  while (count > 0) {
    const int take = std::min(count, in->needed);
    const int filled = frameLength_ - in->needed;
    std::copy(samples, samples + take, in->samples.begin() + filled);
    samples += take;
    count -= take;
    in->needed -= take;
    if (in->needed == 0) {
      processFrame(*in, in->samples.data());
      std::copy(in->samples.begin() + frameShift_, in->samples.end(), in->samples.begin());
      in->needed = frameShift_;
    }
  }
  return get_numFrame(idx);
}

int C_rFrontEnd::generate_Feature_Buffer(int idx, const std::int16_t* samples, int count) {
  if (resetEnvironment(idx) != 0 || resetBuffer(idx) != 0) return -1;
  if (count < 0 || (count > 0 && samples == nullptr)) return -1;
  C_rFrontEndInput& in = *inputs_[idx];
  for (int start = 0; count - start >= frameLength_; start += frameShift_) processFrame(in, samples + start);
  return get_numFrame(idx);
}

int C_rFrontEnd::get_numFrame(int idx) const {
  const C_rFrontEndInput* in = input(idx, "C_rFrontEnd::get_numFrame");
  if (in == nullptr) return -1;
  int frames = in->framesProcessed;
  if (cepstrum_) frames = std::min(frames, in->cepstra.count);
  if (pitch_) frames = std::min(frames, in->pitch.count);
  return std::max(frames - holdBack_, 0);
}

void C_rFrontEnd::processFrame(C_rFrontEndInput& in, const std::int16_t* frame) {
  for (int i = 0; i < frameLength_; ++i) in.raw[i] = static_cast<float>(frame[i]);
  ++in.framesProcessed;
  if (cepstrum_) {
    if (in.cepstra.count >= in.cepstra.capacity) {
      std::printf("Out of Buffer memory in C_rCepstrumFeature::generate_BasicFeature()\n");
      std::printf("max idx = %d reached.\n", in.cepstra.capacity);
    } else {
      preProcess_.process(in.raw, in.processed, in.preProcess);
      cepstrum_->compute(in.processed, in.cepstrumWork,
                         std::span<float>(in.cepstra.row(in.cepstra.count), in.cepstra.dimension));
      ++in.cepstra.count;
    }
  }
  if (pitch_) {
    if (in.pitch.count >= in.pitch.capacity) {
      std::printf("Out of Buffer memory in C_rPitchFeature::generate_BasicFeature()\n");
      std::printf("max idx = %d reached.\n", in.pitch.capacity);
    } else {
      in.pitchBestShift[in.pitch.count] = pitch_->compute(
          in.raw, in.pitchWork, std::span<float>(in.pitch.row(in.pitch.count), in.pitch.dimension));
      ++in.pitch.count;
    }
  }
}

void C_rFrontEnd::delta(const C_rFeatureStore& c, int t, float* out) const {
  const int total = c.count;
  const int dim = c.dimension;
  if (total < 5) {
    std::fill(out, out + dim, 0.0f);
    return;
  }
  int plus = t + 2, minus = t - 2;
  if (t < 3) {
    minus = 0;
  } else if (t >= total - 2) {
    plus = total - 1;
    minus = total - 5;
  }
  for (int d = 0; d < dim; ++d) out[d] = c.row(plus)[d] - c.row(minus)[d];
}

void C_rFrontEnd::deltaDelta(const C_rFeatureStore& c, int t, float* out) const {
  const int total = c.count;
  const int dim = c.dimension;
  if (total < 7) {
    std::fill(out, out + dim, 0.0f);
    return;
  }
  if (t >= total - 4) t = total - 4;
  const int far = std::max(t - 3, 0);
  const int near = std::max(t - 1, 0);
  for (int d = 0; d < dim; ++d)
    out[d] = (c.row(t + 3)[d] - c.row(t + 1)[d]) + (c.row(far)[d] - c.row(near)[d]);
}

bool C_rFrontEnd::buildSingle(C_rFrontEndInput& in, int t) {
  if (cepstrum_ && (t < 0 || t >= in.cepstra.count)) {
    std::printf("Out of range error in C_rCepstrumFeature:: read_BasicFeature(%d), idx valid = 0..%d\n", t,
                in.cepstra.count - 1);
    SR_Exit("Error");
    return false;
  }
  if (pitch_ && (t < 0 || t >= in.pitch.count)) {
    std::printf("Out of range error in C_rPitchFeature:: read_BasicFeature(%d), idx valid = 0..%d\n", t,
                in.pitch.count - 1);
    SR_Exit("Error");
    return false;
  }
  float* out = in.single.data();
  for (const LayoutEntry& entry : layout_) {
    switch (entry.feature) {
      case Feature::kCepstrum:
        std::copy(in.cepstra.row(t), in.cepstra.row(t) + entry.dimension, out);
        break;
      case Feature::kDeltaCepstrum:
        delta(in.cepstra, t, out);
        break;
      case Feature::kDeltaDeltaCepstrum:
        deltaDelta(in.cepstra, t, out);
        break;
      case Feature::kPitch:
        std::copy(in.pitch.row(t), in.pitch.row(t) + entry.dimension, out);
        break;
    }
    out += entry.dimension;
  }
  return true;
}

const float* C_rFrontEnd::get_SingleOpVector(int idx, int t) {
  C_rFrontEndInput* in = input(idx, "C_rFrontEnd::get_SingleOpVector");
  if (in == nullptr || !buildSingle(*in, t)) return nullptr;
  return in->single.data();
}

const C_rStreamVectors* C_rFrontEnd::generate_op_frame(int idx, int t) {
  C_rFrontEndInput* in = input(idx, "C_rFrontEnd::generate_op_frame");
  if (in == nullptr || !buildSingle(*in, t)) return nullptr;
  for (std::size_t s = 0; s < streamPositions_.size(); ++s)
    for (std::size_t e = 0; e < streamPositions_[s].size(); ++e)
      in->streams[s][e] = in->single[streamPositions_[s][e]];
  return &in->output;
}
