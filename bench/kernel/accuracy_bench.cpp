// Accuracy and speed of the kernel on synthetic handwriting: characters of
// the stroke data written under seeds that the dictionary builder never uses,
// in three graded sets (neat; hasty; very hasty: strong slant, rotation and
// size changes, low-frequency wobble, uneven pen speed, most strokes joined),
// recognized against dictionaries built from the same data. Prints the build
// time, then top-1 and top-10 accuracy and microseconds per character (CPU
// time of the recognizing thread) for each set of each code page, and the
// same for zinnia where it is installed (its wall time, start included).
// Below each kernel row: top-1 of the match alone, before re-ranking by
// segment lists, and for Big5 top-1 of its first-level and second-level
// characters apart, since re-ranking weighs the second level's segment
// distances double.
// --seed-set N writes every set under seeds of its own, still never the
// builder's, to check that a change holds beyond the usual seeds.
//   accuracy_bench [PACKAGE-DIR] [--characters N] [--code-page gb2312|big5] [--no-peer]
//                  [--seed-set N]
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include <time.h>
#include <unistd.h>

#include "bench/cpu_time.h"
#include "bench/kernel/peer_recognizer.h"
#include "kernel/code_page.h"
#include "kernel/kernel_core.h"
#include "kernel/olzun.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_dictionaries/ink_synthesis.h"

namespace {

struct Options {
  std::string data = WRENDLE_STROKE_DATA_DIR;
  std::size_t characters_per_set = 3000;
  bool gb2312 = true;
  bool big5 = true;
  bool peer = true;
  // Shifts the seeds of every set; 0 keeps the usual ones.
  std::uint64_t seed_set = 0;
};

struct InkSet {
  const char* name;
  build_dictionaries::InkStyle style;
  std::uint64_t first_seed;
};

// The hasty set keeps the seeds of the earlier single set, so its figures
// stay comparable. The sets lie 2^32 seeds apart; other seed sets start
// 2^34 apart above them.
const InkSet kSets[] = {
    {"neat", build_dictionaries::NeatStyle(), build_dictionaries::kBenchmarkSeedBase + (1ull << 32)},
    {"hasty", build_dictionaries::HastyStyle(), build_dictionaries::kBenchmarkSeedBase},
    {"very hasty", build_dictionaries::VeryHastyStyle(),
     build_dictionaries::kBenchmarkSeedBase + (2ull << 32)},
};

// Big5's first and second level of characters.
struct LevelFigures {
  std::size_t written = 0;
  std::size_t top1 = 0;
};

struct Figures {
  std::size_t written = 0;
  std::size_t top1 = 0;
  std::size_t top10 = 0;
  std::size_t empty = 0;       // no candidate (refused cell or nothing close enough)
  std::size_t match_top1 = 0;  // the match's best record, before re-ranking
  std::array<LevelFigures, 2> levels{};
  double microseconds = 0;
  // The inks and their characters, for the peer recognizer.
  std::vector<std::vector<wrendle::StrokeEntry>> inks;
  std::vector<std::string> answers;
};

using Character = std::pair<std::uint16_t, const build_dictionaries::StrokeCharacter*>;

// The code of the match's best record for `ink`, 0 when it makes no cell or
// matches nothing.
std::uint16_t MatchBest(const kernel::KernelCore& core, std::span<const wrendle::StrokeEntry> ink) {
  const auto strokes = wrendle::StrokeListView::Parse(ink);
  if (!strokes) return 0;
  const auto cell = kernel::TakeCell(*strokes);
  if (!cell) return 0;
  const auto table = core.Match(core.Analyze(*cell, core.QuickSegments(*cell).segments));
  return table.empty() ? 0 : core.CodeOf(table.front().record);
}

constexpr std::uint64_t kSeedSetSpacing = 1ull << 34;
constexpr std::uint64_t kMaxSeedSet = 1000;

Figures Measure(kernel::Olzun& olzun, const kernel::KernelCore& core, kernel::CodePage code_page,
                const std::vector<Character>& characters, const InkSet& set, std::uint64_t seed_set) {
  Figures figures;
  const std::uint64_t first_seed = set.first_seed + seed_set * kSeedSetSpacing;
  double spent = 0;
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const auto& [code, character] = characters[i];
    const auto ink = build_dictionaries::SynthesizeInk(character->medians, set.style, first_seed + i);
    std::array<std::uint16_t, 10> codes{};
    const double start = bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const int found = olzun.Recognize(ink, codes, 0);
    spent += bench::CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    figures.inks.push_back(ink);
    figures.answers.push_back(character->utf8);
    ++figures.written;
    if (found <= 0 || found > 10) ++figures.empty;
    const int listed = found >= 1 && found <= 10 ? found : 0;
    const auto end = codes.begin() + listed;
    const bool first = listed > 0 && codes[0] == code;
    if (first) ++figures.top1;
    if (std::find(codes.begin(), end, code) != end) ++figures.top10;
    if (MatchBest(core, ink) == code) ++figures.match_top1;
    if (code_page == kernel::CodePage::kBig5) {
      const int category = kernel::GetCharCategory(code_page, code);
      if (category == 1 || category == 2) {
        LevelFigures& level = figures.levels[static_cast<std::size_t>(category - 1)];
        ++level.written;
        if (first) ++level.top1;
      }
    }
  }
  figures.microseconds = figures.written == 0 ? 0 : spent * 1e6 / static_cast<double>(figures.written);
  return figures;
}

void PrintRow(const char* code_page, const char* set, std::size_t written, std::size_t top1,
              std::size_t top10, const std::string& none, double microseconds, const char* recognizer) {
  const double n = written == 0 ? 1 : static_cast<double>(written);
  std::printf("%-7s %-11s %-10s %6zu %7.1f%% %7.1f%% %7s %9.0f\n", code_page, set, recognizer, written,
              100.0 * top1 / n, 100.0 * top10 / n, none.c_str(), microseconds);
}

double Percent(std::size_t part, std::size_t whole) {
  return 100.0 * static_cast<double>(part) / static_cast<double>(std::max<std::size_t>(whole, 1));
}

void PrintStages(const Figures& f) {
  std::printf("  top-1 before re-ranking %.1f%%", Percent(f.match_top1, f.written));
  if (f.levels[0].written + f.levels[1].written > 0) {
    std::printf("; first level %.1f%% of %zu, second level %.1f%% of %zu",
                Percent(f.levels[0].top1, f.levels[0].written), f.levels[0].written,
                Percent(f.levels[1].top1, f.levels[1].written), f.levels[1].written);
  }
  std::printf("\n");
}

bool MeasureCodePage(const char* name, kernel::CodePage code_page,
                     const std::vector<build_dictionaries::StrokeCharacter>& characters,
                     const Options& options, const std::filesystem::path& directory) {
  const build_dictionaries::CodePageMap map(code_page);
  build_dictionaries::BuildOptions build;
  build.jobs = std::max(1u, std::thread::hardware_concurrency());
  const auto build_start = std::chrono::steady_clock::now();
  const double build_cpu_start = bench::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto dictionary = build_dictionaries::BuildBaseDictionary(code_page, characters, map, build);
  const std::chrono::duration<double> build_time = std::chrono::steady_clock::now() - build_start;
  const double build_cpu = bench::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - build_cpu_start;
  if (dictionary.refining_passes != static_cast<std::size_t>(build.refining_passes)) {
    std::fprintf(stderr, "accuracy_bench: the %s records did not load for refining\n", name);
    return false;
  }
  std::printf("%s: %zu characters, %zu records, built in %.1f s on %u threads (%.1f s of CPU time)\n", name,
              dictionary.characters, dictionary.records, build_time.count(), build.jobs, build_cpu);
  const kernel::BaseFileNames names;
  platform::WriteWholeFile((directory / names.features).string(), dictionary.features);
  platform::WriteWholeFile((directory / names.segment_lists).string(), dictionary.segment_lists);
  platform::WriteWholeFile((directory / names.clusters).string(), dictionary.clusters);
  auto olzun = kernel::Olzun::Create({code_page, directory.string(), directory.string()});
  if (!olzun) {
    std::fprintf(stderr, "accuracy_bench: the %s dictionaries do not load\n", name);
    return false;
  }
  olzun->SetRange(kernel::kRangeChinese);
  // A second kernel on the same files, for the match before re-ranking.
  auto created = kernel::KernelCore::Create({code_page, directory.string(), directory.string()});
  if (created.index() != 0) {
    std::fprintf(stderr, "accuracy_bench: the %s dictionaries do not load\n", name);
    return false;
  }
  const kernel::KernelCore& core = *std::get<0>(created);

  std::vector<Character> in_page;
  for (const auto& character : characters) {
    if (const auto code = map.CodeOf(character.utf8)) in_page.push_back({*code, &character});
  }
  const std::size_t count = std::min(options.characters_per_set, in_page.size());
  std::vector<Character> chosen;
  for (std::size_t i = 0; i < count; ++i) chosen.push_back(in_page[i * in_page.size() / count]);

  for (const InkSet& set : kSets) {
    const Figures f = Measure(*olzun, core, code_page, chosen, set, options.seed_set);
    char none[16];
    std::snprintf(none, sizeof none, "%.1f%%", 100.0 * f.empty / std::max<std::size_t>(f.written, 1));
    PrintRow(name, set.name, f.written, f.top1, f.top10, none, f.microseconds, "kernel");
    PrintStages(f);
    // The peer's model is of Simplified Chinese only.
    if (!options.peer || code_page != kernel::CodePage::kGb2312) continue;
    if (const auto peer = bench::RunPeer(f.inks, f.answers, directory.string())) {
      PrintRow(name, set.name, peer->written, peer->top1, peer->top10, "-", peer->microseconds, "zinnia");
    } else {
      std::printf("zinnia: not run (install zinnia-utils and tegaki-zinnia-simplified-chinese)\n");
    }
  }
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--characters" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), options.characters_per_set);
      if (error != std::errc() || end != value.data() + value.size() || options.characters_per_set == 0)
        return false;
    } else if (arg == "--code-page" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      if (value != "gb2312" && value != "big5") return false;
      options.gb2312 = value == "gb2312";
      options.big5 = value == "big5";
    } else if (arg == "--seed-set" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.seed_set);
      if (error != std::errc() || end != value.data() + value.size() || options.seed_set > kMaxSeedSet)
        return false;
    } else if (arg == "--no-peer") {
      options.peer = false;
    } else if (!arg.starts_with("--")) {
      options.data = arg;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(
        stderr,
        "usage: accuracy_bench [PACKAGE-DIR] [--characters N] [--code-page gb2312|big5] [--no-peer]\n"
        "                      [--seed-set N]\n");
    return 2;
  }
  const auto characters = build_dictionaries::LoadStrokeData(options.data);
  if (characters.empty()) {
    std::fprintf(stderr, "accuracy_bench: no stroke data in %s (run tools/setup-debian.sh)\n",
                 options.data.c_str());
    return 1;
  }
  const auto directory =
      std::filesystem::temp_directory_path() / ("zun_accuracy_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  bool measured = true;
  std::printf("%-7s %-11s %-10s %6s %8s %8s %7s %9s\n", "page", "set", "recognizer", "chars", "top-1",
              "top-10", "none", "us/char");
  if (options.gb2312)
    measured &= MeasureCodePage("GB2312", kernel::CodePage::kGb2312, characters, options, directory);
  if (options.big5)
    measured &= MeasureCodePage("Big5", kernel::CodePage::kBig5, characters, options, directory);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return measured ? 0 : 1;
}
