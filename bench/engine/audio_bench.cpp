// The capture path of the engine's audio session per 4290-sample block (26
// frames, 389 ms of audio): the 22050 Hz converter, the end-pointer, and a
// whole file-input session that stores the utterances of the espeak-ng
// phrase (repeated to a minute) in a wave folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "engine/api/audio_session.h"

namespace {

using vok::api::CAudioSession;

std::vector<std::int16_t> Phrase() {
  vok::api::CWaveFile file;
  std::vector<std::int16_t> samples;
  if (file.OpenForReading(VOK_AUDIO_FIXTURE)) {
    samples.resize(file.SampleCount());
    file.Read(samples);
  }
  return samples;
}

void BM_ReSampleBlock(benchmark::State& state) {
  const auto phrase = Phrase();
  vok::api::C_ReSample converter;
  converter.init_ReSample(22050, 11025);
  std::size_t at = 0;
  for (auto _ : state) {
    std::size_t produced = 0;
    for (std::size_t i = 0; i < 2 * CAudioSession::kBlockSamples; ++i) {
      produced += converter.do_ReSample(phrase[at]).size();
      at = (at + 1) % phrase.size();
    }
    benchmark::DoNotOptimize(produced);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReSampleBlock);

void BM_EndPointerBlock(benchmark::State& state) {
  const auto phrase = Phrase();
  vok::api::CEndPointer pointer;
  std::size_t at = 0;
  for (auto _ : state) {
    for (std::size_t f = 0; f < CAudioSession::kBlockSamples / vok::api::kFrameSamples; ++f) {
      if (at + vok::api::kFrameSamples > phrase.size()) at = 0;
      benchmark::DoNotOptimize(pointer.ProcessFrame({phrase.data() + at, vok::api::kFrameSamples}));
      at += vok::api::kFrameSamples;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EndPointerBlock);

void BM_FileSessionPerBlock(benchmark::State& state) {
  const auto phrase = Phrase();
  const auto folder = std::filesystem::temp_directory_path() / "vok_audio_bench";
  std::filesystem::create_directories(folder / "WAVE");
  const std::string input = (folder / "input.wav").string();
  {
    vok::api::CWaveFile out;
    out.OpenForWriting(input);
    for (int i = 0; i < 15; ++i) out.Append(phrase);
  }
  std::size_t blocks = 0;
  for (auto _ : state) {
    vok::api::AudioDevices devices;
    devices.sleep = [](unsigned) {};
    CAudioSession session(std::move(devices));
    session.SetUtteranceFolder((folder / "WAVE").string());
    session.SelectInputFile(input.c_str());
    session.Start();
    while (session.running()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    blocks += (15 * phrase.size() + CAudioSession::kBlockSamples - 1) / CAudioSession::kBlockSamples;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(blocks));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FileSessionPerBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
