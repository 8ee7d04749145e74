// The related-character providers on the installed data: building the
// phrase file's index, a key's lookup with its groups, and loading the
// homophone table, for both code pages.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/assoc_phrase_provider.h"
#include "app/core/homophone_provider.h"
#include "platform/file_access.h"

namespace {

using wrendle::app::CAssocPhraseProvider;
using wrendle::app::CHomophoneProvider;

struct CodePage {
  int language;
  const char* phrases;
  const char* table;
};
constexpr CodePage kCodePages[] = {{4000, "schar.txt", "GBPhone.Tab"}, {2000, "cchar.txt", "B5Phone.Tab"}};

std::string DataFile(const char* name) { return std::string(WRENDLE_RELATED_DATA_DIR) + "/" + name; }

// The key of every line of the phrase file.
std::vector<std::uint16_t> Keys(const std::string& path) {
  std::vector<std::uint16_t> keys;
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return keys;
  for (std::size_t at = 0; at + 1 < bytes->size();) {
    keys.push_back(static_cast<std::uint16_t>((*bytes)[at] | (*bytes)[at + 1] << 8));
    while (at < bytes->size() && (*bytes)[at] != '\n') ++at;
    ++at;
  }
  return keys;
}

bool NeedData(benchmark::State& state, const std::string& path) {
  if (platform::FileExists(path)) return true;
  state.SkipWithError(("not generated: " + path).c_str());
  return false;
}

void BM_PhraseIndexBuild(benchmark::State& state) {
  const CodePage& code_page = kCodePages[state.range(0)];
  const std::string path = DataFile(code_page.phrases);
  if (!NeedData(state, path)) return;
  const std::uint16_t key = Keys(path).front();
  for (auto _ : state) {
    CAssocPhraseProvider provider(code_page.language, path);
    benchmark::DoNotOptimize(provider.SetKey(key));
  }
}
BENCHMARK(BM_PhraseIndexBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PhraseSetKeyAndSelectGroup(benchmark::State& state) {
  const CodePage& code_page = kCodePages[state.range(0)];
  const std::string path = DataFile(code_page.phrases);
  if (!NeedData(state, path)) return;
  const std::vector<std::uint16_t> keys = Keys(path);
  CAssocPhraseProvider provider(code_page.language, path);
  provider.SetKey(keys.front());
  std::size_t next = 0;
  for (auto _ : state) {
    const int groups = provider.SetKey(keys[next]);
    for (int group = 0; group < groups; ++group) benchmark::DoNotOptimize(provider.SelectGroup(group));
    next = (next + 97) % keys.size();
  }
}
BENCHMARK(BM_PhraseSetKeyAndSelectGroup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PhoneTableLoad(benchmark::State& state) {
  const CodePage& code_page = kCodePages[state.range(0)];
  const std::string path = DataFile(code_page.table);
  if (!NeedData(state, path)) return;
  // The first common character of each code page.
  const std::uint16_t key = code_page.language == 4000 ? 0xC4B5 : 0xBAAA;
  for (auto _ : state) {
    CHomophoneProvider provider(code_page.language, path);
    benchmark::DoNotOptimize(provider.SetKey(key));
  }
}
BENCHMARK(BM_PhoneTableLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
