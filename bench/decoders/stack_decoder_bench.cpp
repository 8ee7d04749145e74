// The stack decoder on a synthetic lattice of 300 frames x 30 entries over a
// 60,000-word lexicon and a 500-class bigram (decode, N-best, alternatives),
// and on a 40-syllable lattice through a backward pronunciation tree.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/stack_decoder.h"
#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"

namespace {

constexpr int kWords = 60000;
constexpr int kClasses = 500;
constexpr int kFrames = 300;
constexpr int kEntriesPerFrame = 30;
constexpr int kSyllables = 400;
constexpr int kSyllableFrames = 40;

struct Language {
  Language() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "stack_decoder_bench";
    std::filesystem::create_directories(folder);
    std::mt19937 rng(60000);
    std::uniform_int_distribution<int> byte(0, 120), word_class(3, kClasses - 1), count(1, 500);
    std::vector<uint8_t> bytes(kClasses * kClasses);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(rng));
    std::vector<vok_testing::FixtureWord> words = {{"<S>", 0, 1000}, {"</S>", 1, 1000}, {"<UNK>", 2, 10}};
    for (int i = 3; i < kWords; ++i) words.push_back({"w" + std::to_string(i), word_class(rng), count(rng)});
    const std::string model = (folder / "model.bin").string(),
                      lexicon_path = (folder / "lexicon.txt").string();
    vok_testing::WriteClassBigramModel(model, kClasses, bytes);
    vok_testing::WriteTextLexicon(lexicon_path, kClasses, words);
    core = std::make_unique<vok::CoreLM>(nullptr, model.c_str());
    lexicon = std::make_unique<vok::CLexicon>(nullptr, lexicon_path.c_str(), core.get(), nullptr);
    options.PutInt("LMBackend", "WordInsertionPenalty", -50);
    // Word ids equal tree entries: every word gets one to three syllables.
    tree = std::make_unique<vok::CLexTree>(kWords, "-", true);
    for (int s = 0; s < kSyllables; ++s) tree->AddSyllable(("s" + std::to_string(s)).c_str());
    std::uniform_int_distribution<int> syllable(0, kSyllables - 1), length(1, 3);
    for (int i = 0; i < kWords; ++i) {
      std::string pron;
      for (int n = length(rng); n > 0; --n)
        pron += (pron.empty() ? "s" : "-s") + std::to_string(syllable(rng));
      tree->AddPron(pron.c_str(), false, false);
    }
    std::filesystem::remove_all(folder);
  }
  vok::Resources options;
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::CLexicon> lexicon;
  std::unique_ptr<vok::CLexTree> tree;
};

const Language& TheLanguage() {
  static const Language language;
  return language;
}

// Frames 1..frames with `per_frame` entries each, spanning up to `span`
// frames, and the finishing frame.
void FillLattice(vok::BackTraceTable* table, int frames, int per_frame, int span, int labels,
                 int first_label) {
  std::mt19937 rng(static_cast<unsigned>(frames * 31 + per_frame));
  std::uniform_int_distribution<int> label(first_label, labels - 1), score(-100, 0);
  table->Reset(0);
  for (int t = 1; t <= frames; ++t) {
    table->EndFrame();
    std::uniform_int_distribution<int> start(std::max(0, t - span), t - 1);
    for (int k = 0; k < per_frame; ++k) {
      table->AddRecord(static_cast<uint16_t>(label(rng)), static_cast<int16_t>(score(rng)), start(rng));
    }
  }
  table->EndFrame();
}

std::unique_ptr<vok::StackDecoder> Decoder() {
  const Language& language = TheLanguage();
  auto decoder = std::make_unique<vok::StackDecoder>(&language.options, language.core.get());
  decoder->set_lexicon(language.lexicon.get());
  return decoder;
}

void BM_Decode(benchmark::State& state) {
  vok::BackTraceTable table(20000, 10, 1);
  FillLattice(&table, kFrames, kEntriesPerFrame, 4, kWords, 3);
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
  FillLattice(&table, kFrames, kEntriesPerFrame, 4, kWords, 3);
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
  FillLattice(&table, kFrames, kEntriesPerFrame, 4, kWords, 3);
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
  const Language& language = TheLanguage();
  vok::BackTraceTable table(20000, 10, 1);
  // Syllable entries of one frame each.
  FillLattice(&table, kSyllableFrames, 10, 1, kSyllables, 0);
  auto decoder = Decoder();
  for (auto _ : state) benchmark::DoNotOptimize(decoder->Decode(&table, language.tree.get(), 300, 5000));
  state.counters["theories/decode"] = static_cast<double>(decoder->theories_extended());
  state.counters["entries/decode"] = static_cast<double>(decoder->entries_offered());
}
BENCHMARK(BM_SyllableLattice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
