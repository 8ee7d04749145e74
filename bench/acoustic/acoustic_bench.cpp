// Front end per second of audio, and state scoring per frame on a model of
// realistic size against the real-time budget of one 110-sample frame shift.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/testing/reference_state_scorer.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/core/resources.h"

namespace {

constexpr double kFrameBudgetMs = 9.98;

std::vector<std::int16_t> Audio(int count) {
  std::vector<std::int16_t> out(count);
  std::uint32_t seed = 17;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double voiced = 6000.0 * std::sin(2.0 * 3.14159265358979 * (150.0 + 0.05 * i) * i / 11025.0);
    out[i] = static_cast<std::int16_t>(voiced + static_cast<int>(seed >> 22) - 512);
  }
  return out;
}

// One second of audio per iteration; x_real_time is seconds of audio per
// second of processing.
void BM_FrontEndOneSecond(benchmark::State& state) {
  C_rFrontEnd frontEnd;
  if (frontEnd.setup_Std(1) != 0) {
    state.SkipWithError("front end set-up failed");
    return;
  }
  const std::vector<std::int16_t> samples = Audio(11025);
  for (auto _ : state) {
    frontEnd.resetEnvironment(0);
    frontEnd.resetBuffer(0);
    const int frames = frontEnd.insert_LiveWaveData(0, samples.data(), static_cast<int>(samples.size()));
    for (int t = 0; t < frames; ++t) benchmark::DoNotOptimize(frontEnd.generate_op_frame(0, t));
  }
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrontEndOneSecond)->Unit(benchmark::kMillisecond);

// 150 code books of 256 Gaussians (75 per stream) and 5,001 states.
class ScoringModel {
 public:
  explicit ScoringModel(const std::string& beam) {
    hmm_model_writer::SyntheticShape shape;
    shape.codeBooksPerStream = 75;
    shape.gaussiansPerCodeBook = 256;
    shape.numStates = 5001;
    const auto path = (std::filesystem::temp_directory_path() / "acoustic_bench_model.bin").string();
    hmm_model_writer::Write(hmm_model_writer::Synthetic(shape), hmm_model_writer::ByteOrder::kBigEndian)
        .Save(path);
    vok::Resources resources;
    resources.Put("Vastel", "StreamWeights", "1.0 1.0");
    resources.Put("Vastel", "LogDensityWeight", "1.0");
    resources.Put("Vastel", "HMMBailOut", beam.c_str());
    db_.set_Memory(&memory_);
    ok_ = db_.read_file(path.c_str(), 1, resources) == 0;
    std::filesystem::remove(path);
    std::uint32_t seed = 5;
    for (int f = 0; f < 16; ++f) {
      std::vector<float> v;
      for (int d = 0; d < 50; ++d) {
        seed = seed * 1664525u + 1013904223u;
        v.push_back(static_cast<float>(static_cast<int>(seed >> 20) % 400 - 200) / 100.0f);
      }
      frames_.push_back(v);
    }
  }

  bool ok() const { return ok_; }
  const C_rHMMDataBase& db() const { return db_; }
  int numHMM() const { return db_.get_numHMM(); }

  // Observation of frame f, then the scores of every stride-th HMM's states,
  // from the database or from the plain reference scorer of the tests.
  void scoreFrame(int f, int stride, C_rReferenceStateScorer* reference = nullptr) {
    const std::vector<float>& v = frames_[f % frames_.size()];
    const float* vectors[2] = {v.data(), v.data() + 39};
    if (reference != nullptr) {
      reference->assign(f, {2, dims_, vectors});
    } else {
      db_.assign_ThreadInput(0, f, {2, dims_, vectors});
    }
    for (int h = 0; h < db_.get_numHMM(); h += stride) {
      for (int s = 0; s < 3; ++s)
        benchmark::DoNotOptimize(reference != nullptr ? reference->stateScore(h, s)
                                                      : db_.get_StateScore(h, s, 0));
    }
  }

 private:
  C_rMemory memory_;
  C_rHMMDataBase db_;
  std::vector<std::vector<float>> frames_;
  int dims_[2] = {39, 11};
  bool ok_ = false;
};

ScoringModel& Model(const std::string& beam) {
  static std::map<std::string, std::unique_ptr<ScoringModel>> models;
  auto& model = models[beam];
  if (!model) model = std::make_unique<ScoringModel>(beam);
  return *model;
}

void ScoreFrames(benchmark::State& state, const std::string& beam, int stride, bool plain = false) {
  ScoringModel& model = Model(beam);
  if (!model.ok()) {
    state.SkipWithError("model load failed");
    return;
  }
  std::unique_ptr<C_rReferenceStateScorer> reference;
  if (plain) reference = std::make_unique<C_rReferenceStateScorer>(model.db(), 0);
  // One frame before the clock starts: a search asks for much the same
  // states frame after frame, which the database's own caches use.
  int frame = 0;
  model.scoreFrame(frame++, stride, reference.get());
  for (auto _ : state) model.scoreFrame(frame++, stride, reference.get());
  state.counters["states"] = static_cast<double>((model.numHMM() + stride - 1) / stride * 3);
  state.counters["budget_ms"] = kFrameBudgetMs;
}

// Every state scored each frame: the worst case of a search.
void BM_StateScoringAllStatesBeam999(benchmark::State& state) { ScoreFrames(state, "999", 1); }
BENCHMARK(BM_StateScoringAllStatesBeam999)->Unit(benchmark::kMillisecond);

void BM_StateScoringAllStatesBeam50(benchmark::State& state) { ScoreFrames(state, "50", 1); }
BENCHMARK(BM_StateScoringAllStatesBeam50)->Unit(benchmark::kMillisecond);

// The same through the plain scorer of the tests: the figure before the
// mixture groups, from the same run.
void BM_StateScoringAllStatesBeam50Reference(benchmark::State& state) { ScoreFrames(state, "50", 1, true); }
BENCHMARK(BM_StateScoringAllStatesBeam50Reference)->Unit(benchmark::kMillisecond);

// A pruned search that asks for a fifth of the states.
void BM_StateScoringFifthOfStatesBeam50(benchmark::State& state) { ScoreFrames(state, "50", 5); }
BENCHMARK(BM_StateScoringFifthOfStatesBeam50)->Unit(benchmark::kMillisecond);

void BM_StateScoringFifthOfStatesBeam50Reference(benchmark::State& state) {
  ScoreFrames(state, "50", 5, true);
}
BENCHMARK(BM_StateScoringFifthOfStatesBeam50Reference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
