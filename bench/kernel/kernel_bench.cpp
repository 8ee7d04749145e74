// Recognition of one character against base dictionaries of realistic size
// (6,700 GB2312 or 13,000 Big5 characters, three records each), by stage.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

#include "kernel/kernel_core.h"
#include "kernel/ligature_removal.h"
#include "kernel/tests/reference_features.h"
#include "kernel/tests/reference_matching.h"
#include "kernel/tests/synthetic_dictionary.h"

namespace {

using kernel::CodePage;

constexpr std::uint32_t kVariants = 3;
constexpr std::size_t kClusters = 400;
constexpr std::uint32_t kQueries = 64;

struct Setup {
  ~Setup() {
    std::error_code ignored;
    if (!directory.empty()) std::filesystem::remove_all(directory, ignored);
  }
  std::filesystem::path directory;
  std::unique_ptr<kernel::KernelCore> core;
  std::vector<kernel::Cell> cells;   // unseen writings of dictionary characters
  std::vector<std::uint16_t> codes;  // their characters
};

std::uint32_t Characters(CodePage code_page) { return code_page == CodePage::kBig5 ? 13000 : 6700; }

Setup& Prepared(CodePage code_page) {
  static std::map<CodePage, Setup> setups;
  auto found = setups.find(code_page);
  if (found != setups.end()) return found->second;
  Setup& setup = setups[code_page];
  setup.directory = std::filesystem::temp_directory_path() /
                    (code_page == CodePage::kBig5 ? "wrendle-kernel-bench-big5" : "wrendle-kernel-bench-gb");
  std::filesystem::create_directories(setup.directory);
  const std::uint32_t characters = Characters(code_page);
  kernel_testing::WriteBaseFiles(
      setup.directory.string(),
      kernel_testing::BuildBaseFiles(
          code_page, kernel_testing::SyntheticSamples(code_page, characters, kVariants), kClusters));
  auto created = kernel::KernelCore::Create({code_page, setup.directory.string(), setup.directory.string()});
  setup.core = std::move(std::get<std::unique_ptr<kernel::KernelCore>>(created));
  for (std::uint32_t q = 0; q < kQueries; ++q) {
    const auto strokes = kernel_testing::SyntheticCharacter(q * (characters / kQueries), 7);
    setup.cells.push_back(*kernel::TakeCell(*wrendle::StrokeListView::Parse(strokes)));
    setup.codes.push_back(kernel_testing::CharacterCode(code_page, q * (characters / kQueries)));
  }
  return setup;
}

CodePage CodePageOf(const benchmark::State& state) {
  return state.range(0) == 0 ? CodePage::kGb2312 : CodePage::kBig5;
}

void BM_QuickSegments(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(setup.core->QuickSegments(setup.cells[i++ % setup.cells.size()]));
  }
}

void BM_LigaturesRasterFeatures(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::vector<std::vector<kernel::SegmentRecord>> quick;
  for (const auto& cell : setup.cells) quick.push_back(setup.core->QuickSegments(cell).segments);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ % setup.cells.size();
    benchmark::DoNotOptimize(setup.core->Analyze(setup.cells[k], quick[k]));
  }
}

void BM_RasterFeaturesOnly(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::size_t i = 0;
  for (auto _ : state) {
    const kernel::Cell& cell = setup.cells[i++ % setup.cells.size()];
    benchmark::DoNotOptimize(kernel::ComputeRawFeatures(kernel::RasterizeInk(cell.points, cell.box)));
  }
}

// The plain raster and features kept as the reference in the tests: the
// figure before the fast path, from the same run.
void BM_RasterFeaturesOnlyReference(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::size_t i = 0;
  for (auto _ : state) {
    const kernel::Cell& cell = setup.cells[i++ % setup.cells.size()];
    benchmark::DoNotOptimize(kernel_reference::ReferenceRawFeatures(
        kernel_reference::ReferenceRasterizeInk(cell.points, cell.box)));
  }
}

void BM_MatchReference(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::vector<kernel::CellAnalysis> analyses;
  for (const auto& cell : setup.cells)
    analyses.push_back(setup.core->Analyze(cell, setup.core->QuickSegments(cell).segments));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kernel_reference::ReferenceMatchAll(*setup.core, analyses[i++ % analyses.size()].description));
  }
}

void BM_Match(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::vector<kernel::CellAnalysis> analyses;
  for (const auto& cell : setup.cells)
    analyses.push_back(setup.core->Analyze(cell, setup.core->QuickSegments(cell).segments));
  std::size_t i = 0;
  kernel::MatchTrace total;
  std::size_t runs = 0;
  for (auto _ : state) {
    kernel::MatchTrace trace;
    benchmark::DoNotOptimize(setup.core->Match(analyses[i++ % analyses.size()], &trace));
    total.in_mask += trace.in_mask;
    total.after_segment_filter += trace.after_segment_filter;
    total.first_scored += trace.first_scored;
    total.second_stage += trace.second_stage;
    ++runs;
  }
  state.counters["records"] = static_cast<double>(setup.core->slots()[0]->record_count());
  state.counters["in_mask"] = static_cast<double>(total.in_mask) / runs;
  state.counters["seg_filter"] = static_cast<double>(total.after_segment_filter) / runs;
  state.counters["stage300"] = static_cast<double>(total.second_stage) / runs;
}

void BM_RerankAndAssemble(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::vector<kernel::CellAnalysis> analyses;
  std::vector<std::vector<kernel::ScoredEntry>> tables;
  for (const auto& cell : setup.cells) {
    analyses.push_back(setup.core->Analyze(cell, setup.core->QuickSegments(cell).segments));
    tables.push_back(setup.core->Match(analyses.back()));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ % analyses.size();
    benchmark::DoNotOptimize(setup.core->AssembleCandidates(tables[k], analyses[k]));
  }
}

void BM_WholeCharacter(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::size_t i = 0;
  for (auto _ : state) {
    const kernel::Cell& cell = setup.cells[i++ % setup.cells.size()];
    benchmark::DoNotOptimize(setup.core->Recognize(cell, setup.core->QuickSegments(cell).segments));
  }
  std::size_t first = 0;
  for (std::size_t k = 0; k < setup.cells.size(); ++k) {
    const auto codes =
        setup.core->Recognize(setup.cells[k], setup.core->QuickSegments(setup.cells[k]).segments);
    if (!codes.empty() && codes[0] == setup.codes[k]) ++first;
  }
  state.counters["top1"] = static_cast<double>(first) / static_cast<double>(setup.cells.size());
}

// The stages of KernelCore::Analyze with the reference raster and features.
kernel::CellAnalysis ReferenceAnalyze(const kernel::KernelCore& core, const kernel::Cell& cell) {
  kernel::CellAnalysis analysis;
  analysis.points = cell.points;
  analysis.segments = core.QuickSegments(cell).segments;
  if (analysis.segments.size() > kernel::kLigatureSegmentThreshold)
    analysis.segments = kernel::RemoveLigatures(analysis.points, kernel::kKernelSegmentLimit);
  analysis.raster = kernel_reference::ReferenceRasterizeInk(analysis.points, cell.box);
  analysis.raw = kernel_reference::ReferenceRawFeatures(analysis.raster);
  analysis.description.fine.resize(core.layout().fine_divisors.size());
  analysis.description.coarse.resize(core.layout().coarse_divisors.size());
  kernel::DivideFeatures(analysis.raw, core.layout().fine_divisors, analysis.description.fine);
  kernel::DivideFeatures(std::span<const std::int32_t>(analysis.raw).first(kernel::kCoarseFeatureCount),
                         core.layout().coarse_divisors, analysis.description.coarse);
  analysis.description.segment_count = static_cast<int>(analysis.segments.size());
  return analysis;
}

// The whole character through the reference raster, features and matching
// (the quick pass, ligature removal and re-ranking are the kernel's own).
void BM_WholeCharacterReference(benchmark::State& state) {
  Setup& setup = Prepared(CodePageOf(state));
  std::size_t i = 0;
  for (auto _ : state) {
    const kernel::Cell& cell = setup.cells[i++ % setup.cells.size()];
    const kernel::CellAnalysis analysis = ReferenceAnalyze(*setup.core, cell);
    benchmark::DoNotOptimize(setup.core->AssembleCandidates(
        kernel_reference::ReferenceMatchAll(*setup.core, analysis.description), analysis));
  }
}

// Argument 0: GB2312, 1: Big5.
BENCHMARK(BM_QuickSegments)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LigaturesRasterFeatures)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RasterFeaturesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RasterFeaturesOnlyReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Match)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RerankAndAssemble)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeCharacter)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeCharacterReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
