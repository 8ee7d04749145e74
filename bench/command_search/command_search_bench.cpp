// The command search on a synthetic acoustic model of realistic size: 1,200
// three-state models over 150 code books of 256 Gaussians, a syllable table
// of 1,478 syllables spelled by an initial and a final model (296 end in '1'
// and loop as fillers), items of two to four syllables, the options 0x11 and
// a silence loop at the start. Decoding one second of audio per iteration:
// milliseconds per frame against the 9.98 ms of audio a frame holds, and the
// theories (active models) per frame; and the time to build the network of
// 1,000 items.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"

namespace {

constexpr double kFrameBudgetMs = 9.98;
constexpr int kSyllables = 1478;
constexpr int kInitials = 199;  // models 1 to 199; finals from 200

std::string SyllableName(int i) { return "Y" + std::to_string(i / 5) + std::to_string(i % 5 + 1); }

std::vector<std::int16_t> Audio(int count) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(count));
  std::uint32_t seed = 17;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double voiced = 6000.0 * std::sin(2.0 * 3.14159265358979 * (150.0 + 0.05 * i) * i / 11025.0);
    out[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(voiced + static_cast<int>(seed >> 22) - 512);
  }
  return out;
}

class CommandSide {
 public:
  CommandSide() {
    hmm_model_writer::SyntheticShape shape;
    shape.codeBooksPerStream = 75;
    shape.gaussiansPerCodeBook = 256;
    shape.numStates = 3600;
    const auto folder = std::filesystem::temp_directory_path();
    const std::string model = (folder / "command_search_bench_model.bin").string();
    hmm_model_writer::Write(hmm_model_writer::Synthetic(shape), hmm_model_writer::ByteOrder::kLittleEndian)
        .Save(model);
    vok::Resources settings;
    settings.Put("Vastel", "StreamWeights", "1.0 0.5");
    settings.Put("Vastel", "LogDensityWeight", "1.0");
    settings.Put("Vastel", "HMMBailOut", "50");
    db_.set_Memory(&memory_);
    ok_ = db_.read_file(model.c_str(), 1, settings) == 0 && front_end_.setup_Std(1) == 0;
    std::filesystem::remove(model);

    std::string text = "%BEGIN <SYLLABLE>\n";
    for (int i = 0; i < kSyllables; ++i) {
      text += SyllableName(i) + " hmm" + std::to_string(1 + i % kInitials) + " hmm" +
              std::to_string(200 + i % 1000) + "\n";
    }
    text += "%END\n";
    const std::string table = (folder / "command_search_bench_syllables").string();
    if (std::FILE* file = std::fopen(table.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), file);
      std::fclose(file);
    }
    syllables_ = std::make_unique<vok::CSyllableTable>(table.c_str(), db_.get_HMMNameTable());
    std::filesystem::remove(table);
    ok_ = ok_ && syllables_->status() == 0;
    resources_.Put("Search", "LogProbMultiple", "13.0");
    resources_.PutInt("Search", "HMMSkipState", 0);
  }

  bool ok() const { return ok_; }
  vok::AcousticModels models() { return {&db_, &front_end_, syllables_.get()}; }
  const vok::Resources& resources() const { return resources_; }
  int frame_advance() const { return front_end_.get_NumSamplesFrameAdvance(); }

  // `items` items of two to four syllables, the options 0x11 and a silence
  // loop at the start, as the speech controller builds a command network.
  std::unique_ptr<vok::NetSearchEngine> Network(int items, vok::BackTraceTable* table) {
    auto engine = std::make_unique<vok::NetSearchEngine>(resources_, models(), table);
    std::uint32_t seed = 99;
    for (int id = 0; id < items; ++id) {
      std::string pron;
      const int length = 2 + id % 3;
      for (int s = 0; s < length; ++s) {
        seed = seed * 1664525u + 1013904223u;
        pron += (s ? "-" : "") + SyllableName(static_cast<int>((seed >> 8) % kSyllables));
      }
      engine->AddItemPron(pron.c_str(), id, 1);
    }
    engine->AddFillerLoops();
    engine->AddRejectionPath();
    engine->AddSilenceLoops(1);
    return engine;
  }

 private:
  C_rMemory memory_;
  C_rHMMDataBase db_;
  C_rFrontEnd front_end_;
  std::unique_ptr<vok::CSyllableTable> syllables_;
  vok::Resources resources_;
  bool ok_ = false;
};

// The engine's loading lines go nowhere.
CommandSide& Side() {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  static CommandSide side;
  return side;
}

void BM_DecodeOneSecond(benchmark::State& state) {
  CommandSide& side = Side();
  if (!side.ok()) {
    state.SkipWithError("model set-up failed");
    return;
  }
  vok::BackTraceTable table(200, 50, 1);
  auto engine = side.Network(static_cast<int>(state.range(0)), &table);
  const std::vector<std::int16_t> samples = Audio(11025);
  const int frames = static_cast<int>(samples.size()) / side.frame_advance();
  int64_t decoded = 0, theories = 0;
  double cpu_ms = 0.0;
  for (auto _ : state) {
    // The process's processor time: the search runs in this one thread.
    const std::clock_t started = std::clock();
    engine->RecognizeSamples(frames, samples.data(), nullptr);
    int item = 0;
    benchmark::DoNotOptimize(engine->GetBestItem(&item));
    cpu_ms += 1000.0 * static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
    decoded += engine->frames();
    theories += engine->utterance_theories();
  }
  const double frames_run = static_cast<double>(decoded);
  state.counters["ms_per_frame"] = frames_run > 0 ? cpu_ms / frames_run : 0.0;
  state.counters["budget_ms"] = kFrameBudgetMs;
  state.counters["theories_per_frame"] = frames_run > 0 ? static_cast<double>(theories) / frames_run : 0.0;
  state.counters["transitions"] = engine->TransitionCount();
}
BENCHMARK(BM_DecodeOneSecond)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_BuildNetwork(benchmark::State& state) {
  CommandSide& side = Side();
  if (!side.ok()) {
    state.SkipWithError("model set-up failed");
    return;
  }
  vok::BackTraceTable table(200, 50, 1);
  for (auto _ : state) benchmark::DoNotOptimize(side.Network(static_cast<int>(state.range(0)), &table));
}
BENCHMARK(BM_BuildNetwork)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
