// Expanding a grammar of 500 units and 5,000 words of the generated China
// vocabulary, and parsing typical and worst-case ambiguous texts. The
// vocabulary folder may be given as the first argument.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/symbol_table.h"

namespace {

std::string data_folder = WRENDLE_LANGUAGE_DATA_DIR;
constexpr int kUnits = 500;
constexpr int kWordsPerUnit = 10;

// The vocabulary's words in id order (most frequent first).
const std::vector<std::string>& Vocabulary() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> list;
    std::ifstream in(data_folder + "/Pron.txt", std::ios::binary);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      list.push_back(line.substr(line.find_last_of(' ') + 1));
    }
    return list;
  }();
  return words;
}

struct Setup {
  vok::SymbolTable lexicon{65536};
  std::unique_ptr<vok::LexiconOwner> owner;
  std::string folder;

  Setup() {
    for (const std::string& word : Vocabulary()) lexicon.Add(word.c_str());
    owner = std::make_unique<vok::LexiconOwner>(&lexicon);
    folder = std::filesystem::temp_directory_path().string();
  }

  std::unique_ptr<vok::CGrammar> Load(const std::string& name, const std::string& text) {
    const std::string path = folder + "/grammar_bench_" + name;
    std::ofstream(path, std::ios::binary) << text;
    auto grammar = std::make_unique<vok::CGrammar>(path.c_str(), 600, owner.get());
    std::remove(path.c_str());
    return grammar;
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

bool NeedData(benchmark::State& state) {
  if (Vocabulary().size() >= 20000) return true;
  state.SkipWithError(("no vocabulary in " + data_folder + ": build the language data first").c_str());
  return false;
}

// Unit i holds ten alternatives of words 10i..10i+9 (two- and more-character
// words of the vocabulary, 5,000 in all) and optional references to units
// 2i+1 and 2i+2, so that every unit is expanded once.
std::string TreeGrammar(std::vector<std::string>* unit_words) {
  std::vector<std::string> words;
  for (const std::string& word : Vocabulary()) {
    if (word.size() >= 4) words.push_back(word);
    if (words.size() == static_cast<std::size_t>(kUnits * kWordsPerUnit)) break;
  }
  std::string text;
  for (int u = 0; u < kUnits; ++u) {
    text += "%BEGIN <U" + std::to_string(u) + ">\n(";
    for (int k = 0; k < kWordsPerUnit; ++k)
      text += (k ? " | " : " ") + words[static_cast<std::size_t>(u * kWordsPerUnit + k)];
    text += " )";
    for (int child : {2 * u + 1, 2 * u + 2}) {
      if (child < kUnits) text += " [ <U" + std::to_string(child) + "> ]";
    }
    text += "\n%END\n";
  }
  if (unit_words) *unit_words = words;
  return text;
}

void BM_ExpandTreeGrammar(benchmark::State& state) {
  if (!NeedData(state)) return;
  auto grammar = Shared().Load("tree", TreeGrammar(nullptr));
  for (auto _ : state) {
    state.PauseTiming();
    grammar->RemoveUnusedSymbols();  // marks the grammar changed
    state.ResumeTiming();
    const vok::GrammarUnit* network = grammar->GetNetwork();
    if (!network) state.SkipWithError("expansion failed");
    benchmark::DoNotOptimize(network);
  }
  if (const vok::GrammarUnit* network = grammar->GetNetwork()) {
    state.counters["nodes"] = network->NodeCount();
    state.counters["arcs"] = network->TransitionCount();
  }
}
BENCHMARK(BM_ExpandTreeGrammar)->Unit(benchmark::kMillisecond);

// A text along the unit tree: the first word of units 0, 1, 3, 7, ...
void BM_ParseTypical(benchmark::State& state) {
  if (!NeedData(state)) return;
  std::vector<std::string> words;
  auto grammar = Shared().Load("tree", TreeGrammar(&words));
  std::string text;
  for (int u = 0; u < kUnits && text.size() + words[static_cast<std::size_t>(u * kWordsPerUnit)].size() <= 98;
       u = 2 * u + 1) {
    text += words[static_cast<std::size_t>(u * kWordsPerUnit)];
  }
  vok::CParseToken tokens[vok::CGrammar::kParseTokens];
  for (auto _ : state) {
    if (!grammar->Parse(text.c_str(), tokens)) state.SkipWithError("typical text not parsed");
  }
  state.counters["characters"] = static_cast<double>(text.size() / 2);
}
BENCHMARK(BM_ParseTypical)->Unit(benchmark::kMillisecond);

// Any sequence of the 5,000 most frequent words, over a text of 48
// characters of frequent words: many segmentations. With `accepted` 0 the
// grammar asks for a final word the text lacks, so every candidate is
// matched and refused.
void BM_ParseAmbiguous(benchmark::State& state) {
  if (!NeedData(state)) return;
  const bool accepted = state.range(0) != 0;
  const std::string last = accepted ? "" : " " + Vocabulary()[6000];
  std::string body = "%BEGIN <TOP>\n<W>+" + last + "\n%END\n%BEGIN <W>\n";
  std::string text;
  for (std::size_t i = 0; i < 5000 && i < Vocabulary().size(); ++i) {
    const std::string& word = Vocabulary()[i];
    body += (i ? "| " : "") + word + "\n";
    if (text.size() + word.size() <= 96) text += word;
  }
  body += "%END\n";
  auto grammar = Shared().Load("ambiguous", body);
  vok::CParseToken tokens[vok::CGrammar::kParseTokens];
  for (auto _ : state) {
    if ((grammar->Parse(text.c_str(), tokens) != 0) != accepted)
      state.SkipWithError("unexpected parse result");
  }
  state.counters["characters"] = static_cast<double>(text.size() / 2);
}
BENCHMARK(BM_ParseAmbiguous)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The worst case for the candidate list: every run of one character is a
// word, 49 characters, and the text is refused.
void BM_ParseEveryRunAWord(benchmark::State& state) {
  if (!NeedData(state)) return;
  const std::string character = Vocabulary()[0].substr(0, 2);
  std::string body = "%BEGIN <TOP>\n<W>+ " + Vocabulary()[1] + "\n%END\n%BEGIN <W>\n";
  std::string run;
  for (int n = 1; n <= 8; ++n) {
    run += character;
    body += (n > 1 ? "| " : "") + run + "\n";
  }
  body += "%END\n";
  auto grammar = Shared().Load("runs", body);
  std::string text;
  for (int i = 0; i < 49; ++i) text += character;
  for (auto _ : state) {
    if (grammar->Parse(text.c_str(), nullptr) != 0) state.SkipWithError("unexpected parse result");
  }
}
BENCHMARK(BM_ParseEveryRunAWord)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) data_folder = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
