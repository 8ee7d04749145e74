// Accuracy and speed of the engine's handwriting recognizers on synthetic
// handwriting that the model generators never saw:
// - characters: the benchmark's 3,000 characters per code page under seeds
//   from kBenchmarkSeedBase (the kernel benchmark's own inks), recognized by
//   the simplified (GB2312) and the traditional (Big5) recognizer from the
//   generated models, beside the kernel with the generated base
//   dictionaries and, on GB2312, the peer;
// - letters and digits: the Latin recognizer on the letter benchmark's
//   held-out letters, beside the letter recognizer;
// - lines: ten-character lines of held-out text through the handwriting
//   sentence system (segmentation, cell recognition, lattice, back end).
// Prints top-1 and top-10 accuracy, microseconds per character, the models'
// load times and the time per line.
//   hwr_accuracy_bench [--data PACKAGE-DIR] [--models DIALECT-DIR] [--fonts SVG-FONT-DIR]
//                      [--only characters|letters|lines]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "bench/cpu_time.h"
#include "bench/hwr/latin_bench.h"
#include "bench/hwr/line_bench.h"
#include "bench/kernel/peer_recognizer.h"
#include "engine/core/hwr_code_mapping.h"
#include "engine/core/hwr_recognizer.h"
#include "kernel/olzun.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_hwr_models/ink_samples.h"

namespace {

constexpr std::size_t kCharactersPerCodePage = 3000;
using Clock = std::chrono::steady_clock;

struct Figures {
  std::size_t written = 0;
  std::size_t top1 = 0;
  std::size_t top10 = 0;
  std::size_t empty = 0;  // no candidate
  double microseconds = 0;
};

struct Ink {
  std::vector<wrendle::StrokeEntry> list;
  std::uint16_t code;  // caller's form, lead byte low
  std::string utf8;
};

std::vector<Ink> BenchmarkInks(kernel::CodePage code_page,
                               const std::vector<build_dictionaries::StrokeCharacter>& characters) {
  const build_dictionaries::CodePageMap map(code_page);
  std::vector<std::pair<std::uint16_t, const build_dictionaries::StrokeCharacter*>> in_page;
  for (const auto& character : characters) {
    if (const auto code = map.CodeOf(character.utf8)) in_page.push_back({*code, &character});
  }
  std::vector<Ink> inks;
  const std::size_t count = std::min(kCharactersPerCodePage, in_page.size());
  for (std::size_t i = 0; i < count; ++i) {
    const auto& [code, character] = in_page[i * in_page.size() / count];
    inks.push_back({build_dictionaries::SynthesizeInk(character->medians, build_dictionaries::HastyStyle(),
                                                      build_dictionaries::kBenchmarkSeedBase + i),
                    code, character->utf8});
  }
  return inks;
}

void Count(Figures& f, const std::uint16_t* codes, int found, std::uint16_t expected) {
  ++f.written;
  const int listed = std::clamp(found, 0, 10);
  if (listed == 0) ++f.empty;
  if (listed > 0 && codes[0] == expected) ++f.top1;
  if (std::find(codes, codes + listed, expected) != codes + listed) ++f.top10;
}

Figures RunEngine(vok::CHWRRecognizer& recognizer, const std::vector<Ink>& inks) {
  Figures f;
  double spent = 0;
  for (const Ink& ink : inks) {
    const auto engine_ink = build_hwr_models::ToEngineInk(ink.list);
    std::array<vok::HwrCandidate, 10> candidates{};
    const double start = bench::ThreadCpuSeconds();
    const int found =
        recognizer.Recognize(engine_ink.points.data(), static_cast<int>(engine_ink.counts.size()),
                             engine_ink.counts.data(), candidates.data(), 10);
    spent += bench::ThreadCpuSeconds() - start;
    std::array<std::uint16_t, 10> codes{};
    for (int i = 0; i < std::min(found, 10); ++i) {
      codes[i] = static_cast<std::uint16_t>(candidates[i].code >> 8 | (candidates[i].code & 0xFF) << 8);
    }
    Count(f, codes.data(), found, ink.code);
  }
  f.microseconds = 1e6 * spent / static_cast<double>(std::max<std::size_t>(1, f.written));
  return f;
}

std::optional<Figures> RunKernel(kernel::CodePage code_page, const std::string& folder,
                                 const std::vector<Ink>& inks) {
  if (!std::filesystem::exists(folder + "/bqothfet.dbs")) return std::nullopt;
  auto olzun = kernel::Olzun::Create({code_page, folder, folder});
  if (!olzun) return std::nullopt;
  olzun->SetRange(kernel::kRangeChinese);
  Figures f;
  double spent = 0;
  for (const Ink& ink : inks) {
    std::array<std::uint16_t, 10> codes{};
    const double start = bench::ThreadCpuSeconds();
    const int found = olzun->Recognize(ink.list, codes, 0);
    spent += bench::ThreadCpuSeconds() - start;
    Count(f, codes.data(), found >= 1 && found <= 10 ? found : 0, ink.code);
  }
  f.microseconds = 1e6 * spent / static_cast<double>(std::max<std::size_t>(1, f.written));
  return f;
}

void Print(const char* set, const char* who, const Figures& f, const char* note = "") {
  const double n = f.written == 0 ? 1 : static_cast<double>(f.written);
  std::printf("%-7s %-23s %6zu %7.1f%% %7.1f%% %7.1f%% %9.0f %s\n", set, who, f.written, 100.0 * f.top1 / n,
              100.0 * f.top10 / n, 100.0 * f.empty / n, f.microseconds, note);
}

void RunCharacterBench(const std::vector<build_dictionaries::StrokeCharacter>& characters,
                       const std::string& models) {
  const struct {
    const char* set;
    kernel::CodePage code_page;
    const char* model;
    const char* kernel_folder;
    bool simplified;
  } runs[] = {{"GB2312", kernel::CodePage::kGb2312, "HWRSC", "gb2312", true},
              {"Big5", kernel::CodePage::kBig5, "HWRTC", "big5", false}};
  for (const auto& run : runs) {
    const auto inks = BenchmarkInks(run.code_page, characters);
    std::unique_ptr<vok::CHWRRecognizer> recognizer;
    if (run.simplified) {
      recognizer = std::make_unique<vok::CHWRSCRecognizer>();
    } else {
      recognizer = std::make_unique<vok::CHWRTCRecognizer>();
    }
    const std::string path = models + "/" + run.model;
    const auto start = Clock::now();
    const bool loaded = recognizer->Load(path.c_str());
    const double load_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (loaded) {
      char note[64];
      std::snprintf(note, sizeof note, "(model load %.0f ms)", load_ms);
      Print(run.set, run.simplified ? "engine CHWRSCRecognizer" : "engine CHWRTCRecognizer",
            RunEngine(*recognizer, inks), note);
    } else {
      std::printf("%-7s engine model %s missing (build the hwr_models target)\n", run.set, path.c_str());
    }
    if (const auto kernel =
            RunKernel(run.code_page, std::string(WRENDLE_KERNEL_DATA_DIR) + "/" + run.kernel_folder, inks)) {
      Print(run.set, "kernel", *kernel);
    } else {
      std::printf("%-7s kernel dictionaries missing (build the base_dictionaries target)\n", run.set);
    }
    if (!run.simplified) continue;
    std::vector<std::vector<wrendle::StrokeEntry>> lists;
    std::vector<std::string> answers;
    for (const Ink& ink : inks) {
      lists.push_back(ink.list);
      answers.push_back(ink.utf8);
    }
    const auto directory =
        std::filesystem::temp_directory_path() / ("hwr_accuracy_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    if (const auto peer = bench::RunPeer(lists, answers, directory.string())) {
      Figures f{peer->written, peer->top1, peer->top10, 0, peer->microseconds};
      Print(run.set, "peer", f, "(zinnia, tegaki model)");
    } else {
      std::printf("%-7s peer not run (install zinnia-utils and tegaki-zinnia-simplified-chinese)\n", run.set);
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = WRENDLE_STROKE_DATA_DIR;
  std::string models = std::string(WRENDLE_ENGINE_DATA_DIR) + "/China";
  std::string fonts = WRENDLE_LETTER_FONTS_DIR;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view arg = argv[i];
    if (arg == "--data") {
      data = argv[i + 1];
    } else if (arg == "--models") {
      models = argv[i + 1];
    } else if (arg == "--fonts") {
      fonts = argv[i + 1];
    } else if (arg == "--only") {
      only = argv[i + 1];
    } else {
      std::fprintf(stderr,
                   "usage: hwr_accuracy_bench [--data PACKAGE-DIR] [--models DIALECT-DIR] [--fonts DIR]\n"
                   "                          [--only characters|letters|lines]\n");
      return 2;
    }
  }
  const auto characters = build_dictionaries::LoadStrokeData(data);
  if (characters.empty()) {
    std::fprintf(stderr, "hwr_accuracy_bench: no stroke data in %s (run tools/setup-debian.sh)\n",
                 data.c_str());
    return 1;
  }
  std::printf("%-7s %-23s %6s %8s %8s %8s %9s\n", "set", "recognizer", "chars", "top-1", "top-10", "none",
              "us/char");
  if (only.empty() || only == "characters") RunCharacterBench(characters, models);
  if ((only.empty() || only == "letters") &&
      !hwr_bench::RunLatinBench(models, fonts, WRENDLE_KERNEL_DATA_DIR)) {
    std::printf("Latin   fonts missing in %s\n", fonts.c_str());
  }
  if (only.empty() || only == "lines")
    hwr_bench::RunLineBench(characters, models, "/usr/share/man/zh_CN/man1");
  return 0;
}
