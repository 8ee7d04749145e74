// The hit-ratio measurement's real-time factor: the held-out espeak-ng
// commands as an utterance set, decoded by an item network of the three
// commands (options 0x11) with models trained at start from the training
// speakers. The counter "rtf" is decoding time over audio time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Vastel/vastel_system.h"
#include "engine/api/command_network.h"
#include "engine/api/hit_ratio.h"
#include "engine/api/utterance_set_file.h"
#include "engine/api/wave_file.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "tools/train_command_models/command_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kCorpus = std::string(WRENDLE_SOURCE_DIR) + "/data/samples/commands";
const char* const kItems[] = {"DA3-KAI1", "GUAN1-BI4", "XIA4-YI2-YE4"};

void BM_HitRatioHeldOut(benchmark::State& state) {
  std::FILE* quiet = std::tmpfile();
  vok::SetMessageStreams(quiet, quiet);
  const std::string folder = (fs::temp_directory_path() / "vok_hit_ratio_bench").string();
  fs::create_directories(folder);
  std::ostringstream log, errors;
  vok::Resources resources;
  VastelSystem acoustic;
  if (train_command_models::TrainCommandFolder(kCorpus, folder, {}, log, errors) != 0 ||
      resources.Merge((folder + "/Resources").c_str()) != 0 || acoustic.Load(resources) != 0) {
    state.SkipWithError("the command models do not train or load");
    return;
  }
  vok::api::VokStatus status = vok::api::kVokOk;
  auto network =
      vok::api::CCommandNetwork::Empty(resources, vok::AcousticModels::Of(acoustic), 0x11, &status);
  for (int i = 0; i < 3; ++i) network->AddItem(i, kItems[i]);

  // The held-out list: wave, speaker, gender, syllables; the reference is
  // the pronunciation.
  vok::api::UtteranceSetContents contents;
  std::ifstream list(kCorpus + "/heldout.list");
  std::size_t samples = 0;
  for (std::string line; std::getline(list, line);) {
    vok::api::CWaveFile wave;
    if (!wave.OpenForReading(kCorpus + "/" + line.substr(0, line.find('\t')))) continue;
    vok::api::UtteranceSetEntry entry;
    entry.samples.resize(wave.SampleCount());
    entry.samples.resize(wave.Read(entry.samples));
    std::string pron;
    std::istringstream syllables(line.substr(line.rfind('\t') + 1));
    for (std::string s; syllables >> s;) pron += (pron.empty() ? "" : "-") + s;
    for (char& c : pron) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    entry.second_text = pron;
    samples += entry.samples.size();
    contents.utterances.push_back(std::move(entry));
  }
  const std::string set = folder + "/heldout.set";
  const auto bytes = vok::api::WriteUtteranceSet(contents, vok::api::kUtteranceSetVersion);
  std::ofstream(set, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const auto decode = [&](std::span<const std::int16_t> audio) {
    std::vector<std::string> texts;
    if (network->RecognizeStored(audio) != 0) return texts;
    for (const std::uint32_t id : network->FirstIds(static_cast<int>(vok::api::kHitRatioHypotheses)))
      texts.emplace_back(id < 3 ? kItems[id] : "");
    return texts;
  };
  float ratio = 0.0f;
  for (auto _ : state) {
    if (vok::api::MeasureHitRatio(set, 165, decode, &ratio) != vok::api::kVokOk) {
      state.SkipWithError("the measurement failed");
      break;
    }
  }
  const double audio_seconds = static_cast<double>(samples) / vok::api::kEngineSampleRate;
  state.counters["hit_ratio"] = ratio;
  state.counters["rtf"] = benchmark::Counter(audio_seconds * static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  vok::SetMessageStreams(nullptr, nullptr);
  std::fclose(quiet);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
BENCHMARK(BM_HitRatioHeldOut)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
