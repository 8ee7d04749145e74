// Start-up and shut-down of the engine over an install tree (the data files
// of the first argument's dialect folder when given, else a small tree), and
// the time from inserting a request to the post of its result.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

#include "engine/api/result_queue.h"
#include "engine/api/utterance_set_header.h"
#include "engine/api/vok_library.h"

namespace {

std::filesystem::path g_dialect_source;

// Counts posts and wakes the benchmark at each result.
class CountingWindows : public platform::WindowNotifier {
 public:
  bool IsWindow(platform::WindowHandle window) override { return window == 1; }
  bool Post(platform::WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    if (message == vok::api::kNotifyResult) {
      std::lock_guard<std::mutex> lock(mutex);
      ++results;
      posted.notify_all();
    }
    return true;
  }
  std::optional<std::uintptr_t> Send(platform::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t,
                                     std::uint32_t) override {
    return 0;
  }
  std::mutex mutex;
  std::condition_variable posted;
  std::uint64_t results = 0;
};

class EmptyOwner : public vok::api::CRecognizer {
 public:
  EmptyOwner() : CRecognizer(vok::api::kPenKind) {}
  void Recognize(vok::api::VokRequest&) override {}
};

void QueueInsertToDelivery(benchmark::State& state) {
  CountingWindows windows;
  vok::api::CNotifier notifier(windows, [](std::uint32_t) {});
  notifier.SetWindow(1);
  vok::api::ResultRecords records;
  vok::api::CResultQueue queue(notifier, records);
  EmptyOwner owner;
  queue.Start();
  std::uint64_t expected = 0;
  for (auto _ : state) {
    auto* request = new vok::api::VokRequest;
    request->owner = &owner;
    queue.Insert(request);
    ++expected;
    std::unique_lock<std::mutex> lock(windows.mutex);
    windows.posted.wait(lock, [&] { return windows.results >= expected; });
  }
  queue.Stop();
}
BENCHMARK(QueueInsertToDelivery);

class BenchTree {
 public:
  BenchTree()
      : root_(std::filesystem::temp_directory_path() /
              ("vok_bench_" + std::to_string(std::random_device{}()))) {
    const auto china = root_ / "Data" / "China";
    std::filesystem::create_directories(china);
    std::filesystem::create_directories(root_ / "Users" / "ChinaMale");
    if (!g_dialect_source.empty()) {
      std::filesystem::copy(g_dialect_source, china, std::filesystem::copy_options::recursive);
    }
    for (const char* file : {"Lexicon", "Pron", "HMap"}) {
      if (!std::filesystem::exists(china / file)) std::ofstream(china / file) << "ba x\n";
    }
    vok::api::UtteranceSetHeader header;
    header.dialect = 0x10;
    const auto bytes = vok::api::EncodeUtteranceSetHeader(header);
    std::ofstream(root_ / "Users" / "ChinaMale" / "enroll", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~BenchTree() { std::filesystem::remove_all(root_); }
  std::string root() const { return root_.string(); }

 private:
  std::filesystem::path root_;
};

void StartUpAndShutDown(benchmark::State& state) {
  BenchTree tree;
  platform::MemoryRegistryStore machine, user;
  machine.WriteText(vok::api::kEngineRegistryKey, "InstallPath", tree.root());
  machine.WriteText(vok::api::kEngineRegistryKey, "User", "ChinaMale");
  CountingWindows windows;
  vok::api::VokLibrary library(
      {machine, user, windows, [](const std::string&) { return false; }, [](std::uint32_t) {}});
  for (auto _ : state) {
    if (library.InitializeEx(0) != vok::api::kVokOk) {
      state.SkipWithError("the engine did not start");
      break;
    }
    library.Destroy();
  }
}
BENCHMARK(StartUpAndShutDown)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) g_dialect_source = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
