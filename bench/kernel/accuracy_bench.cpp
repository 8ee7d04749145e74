// Accuracy and speed of the kernel on synthetic handwriting: characters of
// the stroke data written under seeds that the dictionary builder never uses
// (affine distortion, elastic wobble, uneven point spacing, some strokes
// joined as in cursive writing), recognized against dictionaries built from
// the same data. Prints top-1 and top-10 accuracy and microseconds per
// character for each code page.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

#include "bench/kernel/peer_recognizer.h"
#include "kernel/olzun.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_dictionaries/ink_synthesis.h"

namespace {

constexpr std::size_t kCharactersPerCodePage = 3000;

struct Figures {
  std::size_t written = 0;
  std::size_t top1 = 0;
  std::size_t top10 = 0;
  std::size_t empty = 0;  // no candidate (refused cell or nothing close enough)
  double microseconds = 0;
  // The inks and their characters, for the peer recognizer.
  std::vector<std::vector<wrendle::StrokeEntry>> inks;
  std::vector<std::string> answers;
};

Figures Measure(kernel::CodePage code_page,
                const std::vector<build_dictionaries::StrokeCharacter>& characters,
                const std::filesystem::path& directory) {
  const build_dictionaries::CodePageMap map(code_page);
  build_dictionaries::BuildOptions options;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  const auto dictionary = build_dictionaries::BuildBaseDictionary(code_page, characters, map, options);
  const kernel::BaseFileNames names;
  platform::WriteWholeFile((directory / names.features).string(), dictionary.features);
  platform::WriteWholeFile((directory / names.segment_lists).string(), dictionary.segment_lists);
  platform::WriteWholeFile((directory / names.clusters).string(), dictionary.clusters);
  auto olzun = kernel::Olzun::Create({code_page, directory.string(), directory.string()});
  if (!olzun) return {};
  olzun->SetRange(kernel::kRangeChinese);

  std::vector<std::pair<std::uint16_t, const build_dictionaries::StrokeCharacter*>> in_page;
  for (const auto& character : characters) {
    if (const auto code = map.CodeOf(character.utf8)) in_page.push_back({*code, &character});
  }
  Figures figures;
  const std::size_t count = std::min(kCharactersPerCodePage, in_page.size());
  std::chrono::nanoseconds spent{0};
  for (std::size_t i = 0; i < count; ++i) {
    const auto& [code, character] = in_page[i * in_page.size() / count];
    const auto ink =
        build_dictionaries::SynthesizeInk(character->medians, build_dictionaries::HandwritingStyle(),
                                          build_dictionaries::kBenchmarkSeedBase + i);
    figures.inks.push_back(ink);
    figures.answers.push_back(character->utf8);
    std::array<std::uint16_t, 10> codes{};
    const auto start = std::chrono::steady_clock::now();
    const int found = olzun->Recognize(ink, codes, 0);
    spent += std::chrono::steady_clock::now() - start;
    ++figures.written;
    if (found <= 0 || found > 10) ++figures.empty;
    const int listed = found >= 1 && found <= 10 ? found : 0;
    const auto end = codes.begin() + listed;
    if (listed > 0 && codes[0] == code) ++figures.top1;
    if (std::find(codes.begin(), end, code) != end) ++figures.top10;
  }
  figures.microseconds =
      figures.written == 0 ? 0 : std::chrono::duration<double, std::micro>(spent).count() / figures.written;
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string data = argc > 1 ? argv[1] : WRENDLE_STROKE_DATA_DIR;
  const auto characters = build_dictionaries::LoadStrokeData(data);
  if (characters.empty()) {
    std::fprintf(stderr, "accuracy_bench: no stroke data in %s (run tools/setup-debian.sh)\n", data.c_str());
    return 1;
  }
  const auto directory =
      std::filesystem::temp_directory_path() / ("zun_accuracy_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  std::printf("%-8s %10s %8s %8s %8s %10s\n", "set", "characters", "top-1", "top-10", "none", "us/char");
  for (const auto& [name, code_page] :
       {std::pair{"GB2312", kernel::CodePage::kGb2312}, std::pair{"Big5", kernel::CodePage::kBig5}}) {
    const Figures f = Measure(code_page, characters, directory);
    const double n = f.written == 0 ? 1 : static_cast<double>(f.written);
    std::printf("%-8s %10zu %7.1f%% %7.1f%% %7.1f%% %10.0f\n", name, f.written, 100.0 * f.top1 / n,
                100.0 * f.top10 / n, 100.0 * f.empty / n, f.microseconds);
    // The peer's model is of Simplified Chinese only.
    if (code_page != kernel::CodePage::kGb2312) continue;
    if (const auto peer = bench::RunPeer(f.inks, f.answers, directory.string())) {
      const double m = static_cast<double>(peer->written);
      std::printf("%-8s %10zu %7.1f%% %7.1f%% %8s %10.0f  (zinnia, tegaki model)\n", name, peer->written,
                  100.0 * peer->top1 / m, 100.0 * peer->top10 / m, "-", peer->microseconds);
    } else {
      std::printf("zinnia: not run (install zinnia-utils and tegaki-zinnia-simplified-chinese)\n");
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return 0;
}
