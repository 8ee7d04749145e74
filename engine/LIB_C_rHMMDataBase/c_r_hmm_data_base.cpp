#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_log_table.h"
#include "engine/LIB_C_rHMMDataBase/c_r_model_file_reader.h"
#include "engine/LIB_C_rHMMDataBase/sr_exit.h"
#include "engine/core/file_io.h"
#include "engine/core/resources.h"
#include "engine/core/symbol_table.h"

namespace {

constexpr float kNotSet = -99.0f;
constexpr float kTrainingBeam = 999.0f;

}  // namespace

C_rHMMDataBase::C_rHMMDataBase() = default;

C_rHMMDataBase::~C_rHMMDataBase() { free_all(); }

void C_rHMMDataBase::reset() {
  free_all();
  memory_ = nullptr;
  keepVariances_ = false;
}

void C_rHMMDataBase::free_all() {
  threads_.clear();
  names_.reset();
  global_ = C_rGlobal{};
  decoders_.clear();
  pairs_ = C_rCenterVariancePairCB{};
  codeBooks_ = C_rGaussianCodeBookCB{};
  mixtures_ = C_rGMixCB{};
  mixtureGroups_ = C_rMixtureGroups{};
  states_ = C_rStateCB{};
  transProbs_.clear();
  hmms_.clear();
  lda_.clear();
  ldaRows_ = ldaColumns_ = 0;
  loaded_ = false;
  threadsSet_ = false;
}

int C_rHMMDataBase::read_file(const char* path, int threads, const vok::Resources& resources) {
  if (loaded_) {
    std::printf("C_rHMMDataBase::read_file, a model is already loaded.\n");
    return -1;
  }
  if (memory_ == nullptr) {
    std::printf("C_rHMMDataBase::read_file, no memory manager set.\n");
    return -1;
  }
  C_rHMMLogTable::table();
  std::FILE* file = vok::FileOpen(path, "rb");
  if (file == nullptr) {
    std::printf("File open [%s] error.\n", path);
    return -1;
  }
  bool ok = false;
  try {
    C_rModelFileReader in(file);
    ok = in.readByteOrder("C_rHMMDataBase::read_file", __LINE__);
    if (ok) {
      readModel(in, path);
      C_rBuildMixtureGroups(*memory_, codeBooks_, mixtures_, mixtureGroups_);
    }
  } catch (const C_rModelFileReader::Failure&) {
    ok = false;
  } catch (const std::bad_alloc&) {
    std::printf("Out of memory reading [%s]\n", path);
    ok = false;
  }
  vok::FileClose(file);
  if (!ok) {
    free_all();
    return SR_Exit("Error in C_rHMMDataBase::read_file");
  }
  names_ = std::make_unique<vok::SymbolTable>(static_cast<int>(hmms_.size()));
  for (const C_rHMM& hmm : hmms_) names_->AddNew(hmm.name.c_str());
  loaded_ = true;
  if (set_max_num_thread(threads) != 0 || readSettings(resources) != 0) {
    free_all();
    return -1;
  }
  return 0;
}

int C_rHMMDataBase::readSettings(const vok::Resources& resources) {
  std::string text;
  if (resources.Get("Vastel", "StreamWeights", &text) != 0) {
    std::printf("Error: Expecting Distributions (StreamWeights) field in resource file\n");
    return -1;
  }
  const int streams = global_.numStreams;
  std::vector<float> weights(streams, kNotSet);
  int taken = 0;
  for (char* p = text.data(); taken < streams;) {
    p += std::strspn(p, " _,\t\n\r");
    if (*p == '\0') break;
    weights[taken++] = static_cast<float>(std::strtod(p, &p));
    p += std::strcspn(p, " _,\t\n\r");
  }
  for (float w : weights) {
    if (w == kNotSet) {
      std::printf("Error in setting StreamWeights, not initialised. Field [Vastel] StreamWeight missing\n");
      return -1;
    }
    if (!std::isfinite(w)) {
      std::printf("Error in setting StreamWeights, weight %g is not a number\n", w);
      return -1;
    }
  }
  for (int i = 0; i < states_.count; ++i)
    for (int s = 0; s < streams; ++s)
      states_.streamWeights[static_cast<std::size_t>(i) * streams + s] = weights[s];

  float density = 0.0f;
  if (resources.GetFloat("Vastel", "LogDensityWeight", &density) != 0) {
    std::printf("Error: Expecting [Vastel] LogDenistyWeight field in resource file\n");
    return -1;
  }
  if (!std::isfinite(density)) {
    std::printf("Error: [Vastel] LogDensityWeight %g is not a number\n", density);
    return -1;
  }
  float beam = 0.0f;
  if (resources.GetRequiredFloat("Vastel", "HMMBailOut", &beam) != 0) {
    std::printf("Error: Expecting [Vastel] HMMBailOut field in resource file\n");
    return -1;
  }
  // Every input thread gets the same density weight and beam.
  for (int t = 0; t < get_NumThreads(); ++t)
    if (set_LogDensityWeight(t, density) != 0 || set_HMMDataBaseBeamWidth(t, beam) != 0) return -1;

  std::string lda;
  if (resources.Get("Vastel", "LDA_MatrixFileName", &lda) == 0 && !lda.empty()) return readLDA(lda.c_str());
  return 0;
}

int C_rHMMDataBase::readLDA(const char* path) {
  std::printf("\nLoading LDA matrix from %s ... ", path);
  std::FILE* file = vok::FileOpen(path, "r");
  if (file == nullptr) return -1;
  int rows = 0, columns = 0;
  bool ok = std::fscanf(file, "%d %d", &rows, &columns) == 2;
  const int dim = global_.dims[0];
  if (ok) std::printf("%d X %d\n", rows, columns);
  // The projection keeps stream 0's dimension: its Gaussians are scored on it.
  if (ok && (rows != dim || columns != dim)) {
    std::printf("LDA matrix %d X %d does not fit stream 0 of dimension %d\n", rows, columns, dim);
    ok = false;
  }
  std::vector<float> values;
  for (int i = 0; ok && i < rows * columns; ++i) {
    float v = 0.0f;
    ok = std::fscanf(file, "%f", &v) == 1 && std::isfinite(v);
    values.push_back(v);
  }
  vok::FileClose(file);
  if (!ok) {
    std::printf("Error reading LDA matrix [%s]\n", path);
    return -1;
  }
  lda_ = std::move(values);
  ldaRows_ = rows;
  ldaColumns_ = columns;
  return 0;
}

int C_rHMMDataBase::set_max_num_thread(int n) {
  if (threadsSet_) {
    std::printf("Can only set max_num_thread once in C_rHMMDataBase::set_max_num_thread\n");
    return SR_Exit("Error");
  }
  if (n < 1 || n > 1024) {
    std::printf("C_rHMMDataBase::set_max_num_thread, %d threads out of range 1..1024\n", n);
    return SR_Exit("Error");
  }
  std::printf("Setting C_rHMMDataBase max_num_thread = %d\n", n);
  const int streams = global_.numStreams;
  for (int i = 0; i < n; ++i) {
    auto t = std::make_unique<C_rInputThread>();
    for (int s = 0; s < streams; ++s) t->observation.emplace_back(global_.dims[s], 0.0f);
    t->norms.assign(streams, 0.0f);
    t->projection.assign(global_.dims[0], 0.0f);
    t->densityScale.assign(streams, 0.0f);
    t->bestGaussian.assign(streams, kFloorScore);
    t->gaussianThreshold.assign(streams, kFloorScore);
    t->bestComponent.assign(streams, kFloorScore);
    t->fallback.assign(streams, kFloorScore);
    t->stateCache.allocate(*memory_, "THREAD_HMM_C_rInputThread", states_.count);
    t->codeBookStamp.allocate(*memory_, "THREAD_HMM_C_rInputThread", codeBooks_.count);
    t->keptCount.allocate(*memory_, "THREAD_HMM_C_rInputThread", codeBooks_.count);
    t->keptScores.allocate(*memory_, "THREAD_HMM_C_rInputThread", codeBooks_.pairs.size());
    t->keptIndices.allocate(*memory_, "THREAD_HMM_C_rInputThread", codeBooks_.pairs.size());
    t->mixtureStamp.allocate(*memory_, "THREAD_HMM_C_rInputThread", mixtures_.count);
    t->mixtureScore.allocate(*memory_, "THREAD_HMM_C_rInputThread", mixtures_.count);
    t->summedStamp.allocate(*memory_, "THREAD_HMM_C_rInputThread", mixtures_.count);
    t->summedTotals.allocate(*memory_, "THREAD_HMM_C_rInputThread", mixtures_.count);
    t->summedBest.allocate(*memory_, "THREAD_HMM_C_rInputThread", mixtures_.count);
    t->scratch.assign(codeBooks_.maxSize, 0.0f);
    t->passMixtures.reserve(C_rMixtureGroups::kLanes);
    threads_.push_back(std::move(t));
  }
  threadsSet_ = true;
  return 0;
}

C_rInputThread* C_rHMMDataBase::thread(int idx, const char* function) {
  if (!SR_CheckInputIndex(idx, static_cast<int>(threads_.size()), function)) return nullptr;
  return threads_[idx].get();
}

const C_rInputThread* C_rHMMDataBase::get_InputThread(int idx) const {
  return idx >= 0 && idx < static_cast<int>(threads_.size()) ? threads_[idx].get() : nullptr;
}

const C_rHMM* C_rHMMDataBase::get_HMM(int hmm) const {
  return hmm >= 0 && hmm < static_cast<int>(hmms_.size()) ? &hmms_[hmm] : nullptr;
}

const C_rTransProb* C_rHMMDataBase::get_TransProb(int index) const {
  return index >= 0 && index < static_cast<int>(transProbs_.size()) ? &transProbs_[index] : nullptr;
}

int C_rHMMDataBase::set_HMMDataBaseBeamWidth(int idx, float value) {
  C_rInputThread* t = thread(idx, "C_rHMMDataBase::set_HMMDataBaseBeamWidth");
  if (t == nullptr) return -1;
  if (!(value >= 0.0f)) {
    std::printf("Error in set_HMMDataBaseBeamWidth.\n");
    std::printf("Value should be 0 -> 999\n");
    return SR_Exit("Error");
  }
  if (value != kTrainingBeam) {
    std::printf("During Training, The beam = 999. All values calculated, no BailOut\n");
    std::printf(" We will use BeamWidth = %.5e for TRAINING\n", value);
    std::printf("Warning at %s, Line %d, havent set v_BeamWidth to 999 for training.\n", __FILE__, __LINE__);
  }
  t->beam = value;
  return 0;
}

int C_rHMMDataBase::set_LogDensityWeight(int idx, float weight) {
  C_rInputThread* t = thread(idx, "C_rHMMDataBase::set_LogDensityWeight");
  if (t == nullptr) return -1;
  for (int s = 0; s < global_.numStreams; ++s)
    t->densityScale[s] = weight / static_cast<float>(global_.dims[s]);
  return 0;
}

int C_rHMMDataBase::get_HMMIndex(const char* name) const { return names_ ? names_->Find(name) : -1; }
