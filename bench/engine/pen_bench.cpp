// Pen recognition as the dispatcher's UI thread waits for it: one character
// of hasty synthetic ink (the stroke data package, seeds the dictionary
// builder never uses) through the dispatcher's engine recognizer, from the
// strokes handed to the engine to the candidates read from its result
// message, on the real engine module and installation tree. The counter
// "top1" is the share of characters whose first candidate is the one
// written.
//   pen_bench [INSTALL-TREE] [benchmark options]
// The tree defaults to this build's engine-install (target
// engine_install_tree).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/zunmain.h"
#include "platform/profile_store.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_dictionaries/stroke_data.h"
#include "tools/recognize/candidate_text.h"

namespace {

constexpr std::size_t kCharacters = 500;

std::string g_install_tree = VOK_BENCH_INSTALL_TREE;

struct WrittenCharacter {
  std::vector<wrendle::StrokeEntry> ink;
  std::string utf8;
};

// The first characters of the package that GB2312 holds.
std::vector<WrittenCharacter> Characters() {
  std::vector<WrittenCharacter> written;
  const auto data = build_dictionaries::LoadStrokeData(WRENDLE_STROKE_DATA_DIR);
  const build_dictionaries::CodePageMap gb2312(kernel::CodePage::kGb2312);
  for (std::size_t i = 0; i < data.size() && written.size() < kCharacters; ++i) {
    if (!gb2312.CodeOf(data[i].utf8)) continue;
    written.push_back({build_dictionaries::SynthesizeInk(data[i].medians, build_dictionaries::HastyStyle(),
                                                         build_dictionaries::kBenchmarkSeedBase + i),
                       data[i].utf8});
  }
  return written;
}

// A Windows folder of its own holding the engine module, as the dispatcher
// loads it from there.
class WindowsFolder {
 public:
  WindowsFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("pen_bench_" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
    std::filesystem::copy_file(VOK_BENCH_ENGINE_MODULE,
                               path_ / std::filesystem::path(VOK_BENCH_ENGINE_MODULE).filename());
  }
  ~WindowsFolder() { std::filesystem::remove_all(path_); }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

void PenRecognitionToResult(benchmark::State& state) {
  const auto characters = Characters();
  if (characters.empty()) {
    state.SkipWithError("no stroke data: run tools/setup-debian.sh");
    return;
  }
  setenv("WRENDLE_ENGINE_INSTALL_PATH", g_install_tree.c_str(), 1);
  WindowsFolder windows;
  auto profiles = platform::MakeIniFileProfileStore(windows.path());
  wrendle::Zunmain zunmain(*profiles, windows.path());
  if (zunmain.InitRecognition(wrendle::kLanguageSimplifiedChinese, wrendle::kModeEngine) != 1) {
    state.SkipWithError(("the engine did not start on " + g_install_tree).c_str());
    return;
  }
  zunmain.SetRange(wrendle::kRangeChinese);
  std::size_t next = 0, recognized = 0, top1 = 0;
  for (auto _ : state) {
    const WrittenCharacter& character = characters[next];
    next = (next + 1) % characters.size();
    std::array<std::uint16_t, 11> candidates{};
    const int found = zunmain.Recognition(character.ink.data(), candidates.data(), 0);
    ++recognized;
    if (found > 0 &&
        wrendle::CandidateText(candidates[0], wrendle::kLanguageSimplifiedChinese) == character.utf8)
      ++top1;
  }
  state.counters["top1"] = static_cast<double>(top1) / static_cast<double>(recognized);
  state.SetItemsProcessed(static_cast<std::int64_t>(recognized));
  zunmain.FreeRecognition();
}
BENCHMARK(PenRecognitionToResult)->Unit(benchmark::kMillisecond)->Iterations(kCharacters);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) g_install_tree = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
