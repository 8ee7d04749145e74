// The stack decoder on a synthetic lattice of 300 frames x 30 entries over a
// 60,000-word lexicon and a 500-class bigram (decode, N-best, alternatives),
// and on a 40-syllable lattice through a backward pronunciation tree.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "engine/SyllableLatticeEngine/stack_decoder.h"
#include "engine/SyllableLatticeEngine/testing/decoder_workload.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"

namespace {

constexpr int kFrames = 300;
constexpr int kEntriesPerFrame = 30;
constexpr int kSyllableFrames = 40;
using vok_testing::kWorkloadSyllables;
using vok_testing::kWorkloadWords;

const vok_testing::DecoderLanguage& TheLanguage() {
  static const vok_testing::DecoderLanguage language(
      (std::filesystem::temp_directory_path() / "stack_decoder_bench_").string());
  return language;
}

std::unique_ptr<vok::StackDecoder> Decoder() { return vok_testing::MakeWorkloadDecoder(TheLanguage()); }

void BM_Decode(benchmark::State& state) {
  vok::BackTraceTable table(20000, 10, 1);
  vok_testing::FillWorkloadLattice(&table, kFrames, kEntriesPerFrame, 4, kWorkloadWords, 3);
  auto decoder = Decoder();
  int64_t theories = 0;
  for (auto _ : state) {
    decoder->Decode(&table, nullptr, 300, 5000);
    theories += decoder->theories_extended();
  }
  state.counters["theories/s"] =
      benchmark::Counter(static_cast<double>(theories), benchmark::Counter::kIsRate);
  state.counters["theories/decode"] = static_cast<double>(decoder->theories_extended());
  state.counters["entries/decode"] = static_cast<double>(decoder->entries_offered());
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

void BM_NBest(benchmark::State& state) {
  vok::BackTraceTable table(20000, 10, 1);
  vok_testing::FillWorkloadLattice(&table, kFrames, kEntriesPerFrame, 4, kWorkloadWords, 3);
  auto decoder = Decoder();
  decoder->Decode(&table, nullptr, 300, 5000);
  vok::NBestList list(50);
  for (auto _ : state) {
    list.Reset(0, 1);
    benchmark::DoNotOptimize(decoder->GetNBest(&list, -10000));
  }
  state.counters["sentences"] = list.count();
}
BENCHMARK(BM_NBest)->Unit(benchmark::kMicrosecond);

void BM_Alternatives(benchmark::State& state) {
  vok::BackTraceTable table(20000, 10, 1);
  vok_testing::FillWorkloadLattice(&table, kFrames, kEntriesPerFrame, 4, kWorkloadWords, 3);
  auto decoder = Decoder();
  decoder->Decode(&table, nullptr, 300, 5000);
  vok::NBestList list(1);
  list.Reset(0, 1);
  decoder->GetNBest(&list, -10000);
  std::vector<uint16_t> ids(static_cast<std::size_t>(vok::Hypothesis::kMaxIds) + 1);
  list.Get(0).GetIds(ids.data(), static_cast<int>(ids.size()));
  std::vector<vok::CAlternativeList> records(ids.size() + 1);
  for (auto _ : state) benchmark::DoNotOptimize(decoder->GetAlternatives(ids.data(), records.data()));
  state.counters["words"] = ids[0];
}
BENCHMARK(BM_Alternatives)->Unit(benchmark::kMicrosecond);

void BM_SyllableLattice(benchmark::State& state) {
  const vok_testing::DecoderLanguage& language = TheLanguage();
  vok::BackTraceTable table(20000, 10, 1);
  // Syllable entries of one frame each.
  vok_testing::FillWorkloadLattice(&table, kSyllableFrames, 10, 1, kWorkloadSyllables, 0);
  auto decoder = Decoder();
  for (auto _ : state) benchmark::DoNotOptimize(decoder->Decode(&table, language.tree.get(), 300, 5000));
  state.counters["theories/decode"] = static_cast<double>(decoder->theories_extended());
  state.counters["entries/decode"] = static_cast<double>(decoder->entries_offered());
}
BENCHMARK(BM_SyllableLattice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
