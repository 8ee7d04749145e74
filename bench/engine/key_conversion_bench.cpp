// Per-key conversion through the engine's keyboard controller on the real
// installation tree: with the per-key switch on, every key queues the
// conversion of the whole key buffer, and the client's window gets its
// result. Timed from the key handed to the worker to the post of its
// WM_PENRESULT (wall clock; the next key waits for it, so no request is
// dropped), over the key strings of held-out sentences (the documentation
// text that no generator reads, in toneless full pinyin through the
// dialect's lexicon). The peers convert the same prefixes once each, which
// is the work a converter does per key when it converts the whole input
// again. Keys that take 30 ms or more are listed on stderr.
//   key_conversion_bench [--tree INSTALL-TREE] [--sentences FILE] [--count N] [--no-peer]
// The tree defaults to this build's engine-install (target
// engine_install_tree); it needs "Data/Keyboard".
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "bench/decoders/lexicon_readings.h"
#include "bench/decoders/pinyin_peers.h"
#include "bench/percentile.h"
#include "engine/api/shared_section.h"
#include "engine/api/vok_library.h"
#include "platform/registry_store.h"
#include "tools/text_codec/text_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr platform::WindowHandle kWindow = 1;
constexpr std::uint32_t kPerKeyParameter = 0x3002;
constexpr double kTargetMs = 30;

// The client's window: wakes the bench at each result and returns the
// records.
class ResultWindow : public platform::WindowNotifier {
 public:
  explicit ResultWindow(vok::api::VokLibrary*& library) : library_(library) {}
  bool IsWindow(platform::WindowHandle window) override { return window == kWindow; }
  bool Post(platform::WindowHandle, std::uint32_t message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    if (message != vok::api::kNotifyResult && message != vok::api::kNotifyKeyRefused) return true;
    if (message == vok::api::kNotifyResult) {
      library_->records().Delete(reinterpret_cast<vok::api::VokResult*>(wparam));
      library_->records().Delete(reinterpret_cast<vok::api::VokResult*>(lparam));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ++answers_;
    answered_.notify_all();
    return true;
  }
  std::optional<std::uintptr_t> Send(platform::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t,
                                     std::uint32_t) override {
    return 0;
  }
  std::uint64_t answers() {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_;
  }
  void WaitFor(std::uint64_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [&] { return answers_ >= count; });
  }

 private:
  vok::api::VokLibrary*& library_;
  std::mutex mutex_;
  std::condition_variable answered_;
  std::uint64_t answers_ = 0;
};

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrintRow(const char* name, const std::vector<double>& ms) {
  double sum = 0;
  std::size_t slow = 0;
  for (const double m : ms) {
    sum += m;
    if (m >= kTargetMs) ++slow;
  }
  std::printf("| %-40s | %7zu | %8.2f | %8.2f | %8.2f | %8.2f | %8zu |\n", name, ms.size(),
              ms.empty() ? 0.0 : sum / static_cast<double>(ms.size()), bench::Percentile(ms, 0.5),
              bench::Percentile(ms, 0.95), bench::Percentile(ms, 1.0), slow);
}

}  // namespace

int main(int argc, char** argv) {
  std::string tree = VOK_BENCH_INSTALL_TREE;
  std::string sentences_path = WRENDLE_HELDOUT_DIR "/simplified.txt";
  std::size_t count = 100;
  bool peers_wanted = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--tree" && i + 1 < argc) {
      tree = argv[++i];
    } else if (a == "--sentences" && i + 1 < argc) {
      sentences_path = argv[++i];
    } else if (a == "--count" && i + 1 < argc) {
      count = std::stoul(argv[++i]);
    } else if (a == "--no-peer") {
      peers_wanted = false;
    } else {
      std::cerr << "usage: key_conversion_bench [--tree INSTALL-TREE] [--sentences FILE] [--count N] "
                   "[--no-peer]\n";
      return 2;
    }
  }
  const std::string china = tree + "/Data/China";
  bench::LexiconReadings readings;
  if (!readings.Load(china) || !std::filesystem::exists(tree + "/Data/Keyboard")) {
    std::cerr << "key_conversion_bench: " << tree << " has no China folder or no Data/Keyboard\n";
    return 1;
  }
  // Sentences evenly spread over the held-out text.
  const tools::TextCodec to_gb("UTF-8", "GB2312");
  std::vector<std::string> usable;
  std::ifstream input(sentences_path);
  for (std::string line; std::getline(input, line);) {
    const auto gb = to_gb.Convert(line);
    if (!gb) continue;
    if (const auto syllables = readings.Syllables(*gb)) usable.push_back(bench::JoinedKeys(*syllables));
  }
  if (usable.empty()) {
    std::cerr << "key_conversion_bench: no usable sentence in " << sentences_path << "\n";
    return 1;
  }
  std::vector<std::string> keys;
  const double step = std::max(1.0, static_cast<double>(usable.size()) / static_cast<double>(count));
  for (double k = 0; k < static_cast<double>(usable.size()) && keys.size() < count; k += step)
    keys.push_back(usable[static_cast<std::size_t>(k)]);

  vok::api::VokLibrary* library = nullptr;
  ResultWindow window(library);
  platform::MemoryRegistryStore machine, user;
  machine.WriteText(vok::api::kEngineRegistryKey, "InstallPath", tree);
  machine.WriteText(vok::api::kEngineRegistryKey, "User", "ChinaMale");
  vok::api::SharedSection().instance_count.store(0);
  vok::api::VokLibrary engine(
      {machine, user, window, [](const std::string&) { return true; }, [](std::uint32_t) {}});
  library = &engine;
  const auto start = Clock::now();
  if (engine.InitializeEx(vok::api::kKeyboardRecognizerFlag) != vok::api::kVokOk ||
      engine.SetNotification(kWindow) != vok::api::kVokOk ||
      engine.SetParam(kPerKeyParameter, 1) != vok::api::kVokOk) {
    std::cerr << "key_conversion_bench: the engine does not start on " << tree << "\n";
    return 1;
  }
  const double start_ms = Milliseconds(Clock::now() - start);

  std::vector<double> per_key;
  std::size_t typed = 0;
  for (const std::string& sentence : keys) {
    for (const char key : sentence) {
      const std::uint64_t before = window.answers();
      const auto t0 = Clock::now();
      if (engine.KRProcessKey(static_cast<std::uint8_t>(key)) != vok::api::kVokOk) break;
      window.WaitFor(before + 1);
      per_key.push_back(Milliseconds(Clock::now() - t0));
      if (per_key.back() >= kTargetMs)
        std::fprintf(stderr, "%.1f ms at key %zu of %s\n", per_key.back(), typed, sentence.c_str());
      ++typed;
    }
    const std::uint64_t before = window.answers();
    if (engine.KRRecognize() == vok::api::kVokOk) window.WaitFor(before + 1);
  }
  std::printf(
      "key_conversion_bench: %zu held-out sentences of %s, %zu keys typed one by one; engine start-up "
      "with the keyboard recognizer %.0f ms\n",
      keys.size(), sentences_path.c_str(), typed, start_ms);
  std::printf("| %-40s | %7s | %8s | %8s | %8s | %8s | %8s |\n", "per key (ms)", "keys", "mean", "median",
              "p95", "max", ">= 30");
  std::printf("|%s|---------|----------|----------|----------|----------|----------|\n",
              std::string(42, '-').c_str());
  PrintRow("engine keyboard controller (target < 30)", per_key);
  engine.Destroy();

  if (peers_wanted) {
    const std::string work = (std::filesystem::temp_directory_path() / "key_conversion_bench_peers").string();
    for (const auto& peer : bench::MakePinyinPeers(work)) {
      std::vector<double> ms;
      for (const std::string& sentence : keys) {
        for (std::size_t n = 1; n <= sentence.size(); ++n) {
          const auto t0 = Clock::now();
          peer->Convert(std::string_view(sentence).substr(0, n));
          ms.push_back(Milliseconds(Clock::now() - t0));
        }
      }
      PrintRow(peer->name(), ms);
    }
  }
  return 0;
}
