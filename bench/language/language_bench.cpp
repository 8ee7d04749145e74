// Loading the syllable table and the 60,000-word pronunciation tree of the
// generated China folder, walking the tree, and the back-trace table's record
// and path enumeration rates; loading the binary lexicon with its core class
// bigram model, the core model's score rates and the cache model's update.
// The folder may be given as the first argument.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/back_trace_table.h"
#include "engine/core/cache_lm.h"
#include "engine/core/core_lm.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/syllable_table.h"
#include "engine/core/symbol_table.h"

namespace {

std::string data_folder = WRENDLE_LANGUAGE_DATA_DIR;

std::string DataPath(const char* name) { return data_folder + "/" + name; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// The HMM names that "Syllable" spells its syllables with, and "SIL".
std::unique_ptr<vok::SymbolTable> ModelNames() {
  auto names = std::make_unique<vok::SymbolTable>(4096);
  names->Add("SIL");
  std::ifstream in(DataPath("Syllable"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line[0] == '%') continue;
    std::istringstream fields(line);
    std::string syllable, model;
    fields >> syllable;
    while (fields >> model) names->Add(model.c_str());
  }
  return names;
}

// Heap bytes in use (glibc): what a structure holds, whatever the heap kept
// from earlier runs.
long long HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

bool NeedData(benchmark::State& state, const char* name) {
  if (Exists(DataPath(name))) return true;
  state.SkipWithError(("no " + DataPath(name) + ": build the language data first").c_str());
  return false;
}

void BM_SyllableTableText(benchmark::State& state) {
  if (!NeedData(state, "Syllable")) return;
  const auto names = ModelNames();
  const std::string path = DataPath("Syllable");
  int syllables = 0;
  for (auto _ : state) {
    vok::CSyllableTable table(path.c_str(), names.get());
    syllables = table.syllable_count();
  }
  state.counters["syllables"] = syllables;
}
BENCHMARK(BM_SyllableTableText)->Unit(benchmark::kMillisecond);

void BM_SyllableTableBinary(benchmark::State& state) {
  if (!NeedData(state, "Syllable")) return;
  const auto names = ModelNames();
  const std::string path = DataPath("Syllable");
  { vok::CSyllableTable writes_twin(path.c_str(), names.get()); }
  const std::string twin = path + vok::CSyllableTable::kTwinSuffix;
  for (auto _ : state) {
    vok::CSyllableTable table(twin.c_str(), names.get());
    benchmark::DoNotOptimize(table.syllable_count());
  }
}
BENCHMARK(BM_SyllableTableBinary)->Unit(benchmark::kMillisecond);

// Binary load of the tree; the target is below 50 ms, and below 10 MB held.
void BM_PronunciationTreeBinary(benchmark::State& state) {
  if (!NeedData(state, "Pron")) return;
  const std::string path = DataPath("Pron");
  long long memory = 0, heap = 0;
  {
    const long long before = HeapBytes();
    const vok::CLexTree tree(path.c_str(), "-");
    heap = HeapBytes() - before;
    memory = tree.GetMemoryUsage();
  }
  int entries = 0;
  for (auto _ : state) {
    vok::CLexTree tree(path.c_str(), "-");
    entries = tree.entry_count();
  }
  state.counters["entries"] = entries;
  state.counters["GetMemoryUsage_MB"] = static_cast<double>(memory) / (1 << 20);
  state.counters["heap_MB"] = static_cast<double>(heap) / (1 << 20);
}
BENCHMARK(BM_PronunciationTreeBinary)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PronunciationTreeText(benchmark::State& state) {
  if (!NeedData(state, "Pron.txt")) return;
  const vok::CSyllableTable syllables(DataPath("Syllable").c_str());
  const std::string path = DataPath("Pron.txt");
  int nodes = 0;
  for (auto _ : state) {
    vok::CLexTree tree(path.c_str(), *syllables.syllables(), "-", false);
    nodes = tree.node_count();
  }
  state.counters["nodes"] = nodes;
}
BENCHMARK(BM_PronunciationTreeText)->Unit(benchmark::kMillisecond);

// Walks from the root to the end of a word's first pronunciation, as the
// searches step through the tree.
void BM_PronunciationTreeWalk(benchmark::State& state) {
  if (!NeedData(state, "Pron")) return;
  const vok::CLexTree tree(DataPath("Pron").c_str(), "-");
  std::vector<std::vector<uint16_t>> paths;
  uint16_t list[256];
  for (int entry = 0; entry < tree.entry_count(); ++entry) {
    if (tree.GetPathSyllables(tree.GetLeaf(entry), list, 256) == 0)
      paths.emplace_back(list + 1, list + 1 + list[0]);
  }
  std::mt19937 random(7);
  std::shuffle(paths.begin(), paths.end(), random);
  std::size_t next = 0;
  for (auto _ : state) {
    int node = 0;
    for (const uint16_t syllable : paths[next]) node = tree.FindChild(node, syllable);
    benchmark::DoNotOptimize(node);
    next = next + 1 == paths.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PronunciationTreeWalk);

// A lattice of 2000 frames with 50 word ends each, the words 10 to 40 frames
// long.
void FillLattice(vok::BackTraceTable* table, std::mt19937* random) {
  table->Reset(0);
  table->AddStart();
  table->EndFrame();
  for (int f = 1; f < vok::BackTraceTable::kMaxFrame; ++f) {
    for (int r = 0; r < 50; ++r) {
      const int back = std::max(0, f - 10 - static_cast<int>((*random)() % 31));
      table->AddRecord(static_cast<uint16_t>((*random)() % 60000),
                       static_cast<int16_t>(-((*random)() % 2000)), back);
    }
    table->EndFrame();
  }
}

void BM_BackTraceRecords(benchmark::State& state) {
  vok::BackTraceTable table(2000, 50, 1);
  std::mt19937 random(3);
  for (auto _ : state) FillLattice(&table, &random);
  state.SetItemsProcessed(state.iterations() * 1999 * 50);
}
BENCHMARK(BM_BackTraceRecords)->Unit(benchmark::kMillisecond);

// 100-best paths over the whole lattice: the target is below 20 ms (the
// searches' frame budget is 9.98 ms).
void BM_BackTraceEnumerate100Best(benchmark::State& state) {
  vok::BackTraceTable table(2000, 50, 1);
  std::mt19937 random(3);
  vok::NBestList nbest(100);
  int paths = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FillLattice(&table, &random);
    table.SetFinal(table.BestFinalRecord(), 0);
    nbest.Reset();
    state.ResumeTiming();
    table.EnumeratePaths(&nbest);
    paths = nbest.count();
  }
  state.counters["paths"] = paths;
}
BENCHMARK(BM_BackTraceEnumerate100Best)->Unit(benchmark::kMillisecond);

// The binary lexicon bound to its core model (class bigram table read from
// "CoreLM"); the target is below 200 ms and 40 MB with the page model.
void BM_LexiconAndCoreModelLoad(benchmark::State& state) {
  if (!NeedData(state, "Lexicon") || !NeedData(state, "CoreLM")) return;
  const std::string lexicon_path = DataPath("Lexicon");
  const std::string model_path = DataPath("CoreLM");
  long long heap = 0;
  int entries = 0, classes = 0;
  {
    const long long before = HeapBytes();
    vok::CoreLM core(nullptr, model_path.c_str());
    vok::CLexicon lexicon(lexicon_path.c_str(), &core, nullptr, 0);
    heap = HeapBytes() - before;
    entries = lexicon.entry_count();
    classes = core.class_count();
  }
  for (auto _ : state) {
    vok::CoreLM core(nullptr, model_path.c_str());
    vok::CLexicon lexicon(lexicon_path.c_str(), &core, nullptr, 0);
    benchmark::DoNotOptimize(lexicon.entry_count());
  }
  state.counters["entries"] = entries;
  state.counters["classes"] = classes;
  state.counters["heap_MB"] = static_cast<double>(heap) / 1e6;
}
BENCHMARK(BM_LexiconAndCoreModelLoad)->Unit(benchmark::kMillisecond);

// A loaded core model and a stream of word ids drawn from the lexicon.
struct CoreModelFixture {
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::CLexicon> lexicon;
  std::vector<uint16_t> ids;
  bool Load(benchmark::State& state) {
    if (!NeedData(state, "Lexicon") || !NeedData(state, "CoreLM")) return false;
    core = std::make_unique<vok::CoreLM>(nullptr, DataPath("CoreLM").c_str());
    lexicon = std::make_unique<vok::CLexicon>(DataPath("Lexicon").c_str(), core.get(), nullptr, 0);
    std::mt19937 random(7);
    // Frequent words more often: ids are by falling frequency.
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int k = 0; k < 1 << 16; ++k)
      ids.push_back(static_cast<uint16_t>(std::pow(u(random), 3.0) * (lexicon->entry_count() - 1)));
    return lexicon->status() == 0;
  }
};

void BM_CoreGetWordScore(benchmark::State& state) {
  CoreModelFixture f;
  if (!f.Load(state)) return;
  std::size_t k = 0;
  int previous = f.core->ScoringClass(f.ids[0]);
  for (auto _ : state) {
    const uint16_t w = f.ids[k++ & 0xFFFF];
    benchmark::DoNotOptimize(f.core->GetWordScore(previous, w, nullptr));
    previous = f.core->ScoringClass(w);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CoreGetWordScore);

void BM_CoreGetBigramScore(benchmark::State& state) {
  CoreModelFixture f;
  if (!f.Load(state)) return;
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f.core->GetBigramScore(f.ids[k & 0xFFFF], f.ids[(k + 1) & 0xFFFF]));
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CoreGetBigramScore);

// A full ring of 200 accepted words turned into score bytes.
void BM_CacheLMUpdate(benchmark::State& state) {
  CoreModelFixture f;
  if (!f.Load(state)) return;
  vok::CacheLM cache(nullptr, 65535, f.core->in_class_bias(), f.core->in_class_shift());
  std::vector<uint16_t> list{200};
  list.insert(list.end(), f.ids.begin(), f.ids.begin() + 200);
  cache.AddWords(list.data());
  for (auto _ : state) benchmark::DoNotOptimize(cache.Update());
}
BENCHMARK(BM_CacheLMUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) data_folder = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
