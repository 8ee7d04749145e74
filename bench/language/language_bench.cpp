// Loading the syllable table and the 60,000-word pronunciation tree of the
// generated China folder, walking the tree, and the back-trace table's record
// and path enumeration rates; loading the binary lexicon with its core and
// page models and the pronunciation tree, the core model's score rates, the
// page model's class trigram lookups on the sentences of held-out
// documentation (through its cache and without one), and the cache model's
// update. The folder may be given as the first argument.
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
#include "engine/core/page_lm.h"
#include "engine/core/syllable_table.h"
#include "engine/core/symbol_table.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/held_out.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_language_data/word_cutter.h"

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

// The binary lexicon bound to its core and page models, the page cache and
// the pronunciation tree; the target is below 200 ms and 40 MB.
void BM_LexiconAndModelsLoad(benchmark::State& state) {
  for (const char* name : {"Lexicon", "LM1", "LM2", "PLMCache", "Pron"})
    if (!NeedData(state, name)) return;
  const auto load = [](int* entries, int* page_classes) {
    vok::CoreLM core(nullptr, DataPath("LM1").c_str());
    vok::PageLM page(DataPath("LM2").c_str(), vok::PageLM::kOrder, 1.0f, vok::PageLM::kDefaultCacheSize);
    page.LoadCache(DataPath("PLMCache").c_str());
    vok::CLexicon lexicon(DataPath("Lexicon").c_str(), &core, &page, 0);
    vok::CLexTree tree(DataPath("Pron").c_str(), "-");
    *entries = lexicon.entry_count();
    *page_classes = page.class_count();
    return HeapBytes();
  };
  int entries = 0, page_classes = 0;
  const long long before = HeapBytes();
  const long long heap = load(&entries, &page_classes) - before;
  for (auto _ : state) benchmark::DoNotOptimize(load(&entries, &page_classes));
  state.counters["entries"] = entries;
  state.counters["page_classes"] = page_classes;
  state.counters["heap_MB"] = static_cast<double>(heap) / 1e6;
}
BENCHMARK(BM_LexiconAndModelsLoad)->Unit(benchmark::kMillisecond);

// Loaded models and a stream of word ids drawn from the lexicon.
struct ModelsFixture {
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::PageLM> page;
  std::unique_ptr<vok::CLexicon> lexicon;
  std::vector<uint16_t> ids;
  bool Load(benchmark::State& state, int page_cache) {
    for (const char* name : {"Lexicon", "LM1", "LM2"})
      if (!NeedData(state, name)) return false;
    core = std::make_unique<vok::CoreLM>(nullptr, DataPath("LM1").c_str());
    page = std::make_unique<vok::PageLM>(DataPath("LM2").c_str(), vok::PageLM::kOrder, 1.0f, page_cache);
    if (page_cache > 0) page->LoadCache(DataPath("PLMCache").c_str());
    lexicon = std::make_unique<vok::CLexicon>(DataPath("Lexicon").c_str(), core.get(), page.get(), 0);
    std::mt19937 random(7);
    // Frequent words more often: ids are by falling frequency.
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int k = 0; k < 1 << 16; ++k)
      ids.push_back(static_cast<uint16_t>(std::pow(u(random), 3.0) * (lexicon->entry_count() - 1)));
    return lexicon->status() == 0;
  }
};

void BM_CoreGetWordScore(benchmark::State& state) {
  ModelsFixture f;
  if (!f.Load(state, 0)) return;
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
  ModelsFixture f;
  if (!f.Load(state, 0)) return;
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f.core->GetBigramScore(f.ids[k & 0xFFFF], f.ids[(k + 1) & 0xFFFF]));
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CoreGetBigramScore);

// The sentences of the first held-out documents as word ids of the lexicon.
std::vector<std::vector<int>> HeldOutSentences(const vok::CLexicon& lexicon) {
  std::vector<std::vector<int>> sentences;
  const auto list = build_language_data::ReadSourceText(WRENDLE_HELD_OUT_LIST);
  if (!list) return sentences;
  std::vector<std::string> words;
  for (int id = 0; id < lexicon.entry_count(); ++id) {
    const char* word = lexicon.WordIDToString(id);
    words.push_back(word ? word : "");
  }
  const build_language_data::CodePageText gb2312("GB2312");
  build_language_data::WordCutter cutter(words, lexicon.StringToWordID("<UNK>"), gb2312);
  const auto documents = build_language_data::HeldOutDocuments(*list);
  for (std::size_t d = 1; d < documents.size() && sentences.size() < 20000; d += 2)
    if (const auto text = build_language_data::ReadSourceText(documents[d]))
      cutter.AddSentences(*text, &sentences);
  return sentences;
}

// Class trigram lookups of held-out sentences in the order a sentence scores
// them; state.range(0) is the cache size (0: every lookup reads the file,
// from the system's file cache).
void BM_PageTrigrams(benchmark::State& state) {
  ModelsFixture f;
  if (!f.Load(state, static_cast<int>(state.range(0)))) return;
  const std::vector<std::vector<int>> sentences = HeldOutSentences(*f.lexicon);
  if (sentences.empty()) {
    state.SkipWithError("no held-out documents");
    return;
  }
  const uint16_t start = f.page->token_id(vok::PageLM::kStart);
  const uint16_t end = f.page->token_id(vok::PageLM::kEnd);
  int64_t lookups = 0;
  const auto score = [&](const std::vector<int>& sentence) {
    uint16_t w1 = start, w2 = start;
    for (std::size_t i = 0; i <= sentence.size(); ++i) {
      const uint16_t w = i < sentence.size() ? static_cast<uint16_t>(sentence[i]) : end;
      benchmark::DoNotOptimize(i == 0 ? f.page->GetBigramScore(w2, w) : f.page->GetTrigramScore(w1, w2, w));
      w1 = w2;
      w2 = w;
      ++lookups;
    }
  };
  // The cache's hit ratio on one pass over the sentences, from the cache file.
  f.page->StartUtterance();
  for (const std::vector<int>& sentence : sentences) score(sentence);
  const double first_pass = f.page->lookups() > 0 ? 100.0 * f.page->hits() / f.page->lookups() : 0.0;
  f.page->EndUtterance();
  lookups = 0;
  f.page->StartUtterance();
  std::size_t s = 0;
  for (auto _ : state) score(sentences[s++ % sentences.size()]);
  const double hits = f.page->lookups() > 0 ? 100.0 * f.page->hits() / f.page->lookups() : 0.0;
  f.page->EndUtterance();
  state.counters["first_pass_hit_percent"] = first_pass;
  state.SetItemsProcessed(lookups);
  state.counters["hit_percent"] = hits;
  state.counters["disk_reads"] = f.page->trigram_disk_accesses() + f.page->bigram_disk_accesses();
}
BENCHMARK(BM_PageTrigrams)->Arg(vok::PageLM::kDefaultCacheSize)->Arg(0)->Unit(benchmark::kMicrosecond);

// A full ring of 200 accepted words turned into score bytes.
void BM_CacheLMUpdate(benchmark::State& state) {
  ModelsFixture f;
  if (!f.Load(state, 0)) return;
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
