#include "bench/hwr/latin_bench.h"

#include "bench/cpu_time.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/core/hwr_recognizer.h"
#include "shapes/letters/helvane_library.h"
#include "tools/build_hwr_models/ink_samples.h"
#include "tools/build_letter_templates/letter_corpus.h"
#include "tools/build_letter_templates/letter_ink.h"

namespace hwr_bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kVariants = 40;

struct Figures {
  int written = 0;
  int top1 = 0;
  int listed = 0;
  double microseconds = 0;
};

void Print(const char* who, const Figures& f, const char* note) {
  const double n = f.written ? f.written : 1;
  std::printf("%-7s %-23s %6d %7.1f%% %7.1f%% %8s %9.0f %s\n", "Latin", who, f.written, 100.0 * f.top1 / n,
              100.0 * f.listed / n, "", f.microseconds, note);
}

class QuietSink : public letters::LoaderMessageSink {
 public:
  void Show(const std::string&) override {}
};

}  // namespace

bool RunLatinBench(const std::string& model_folder, const std::string& fonts_folder,
                   const std::string& template_folder) {
  const auto fonts = letter_templates::LoadLetterFonts(fonts_folder);
  if (!fonts) return false;
  const auto samples = letter_templates::WriteLetters(*fonts, letter_templates::HeldOutInkStyle(),
                                                      letter_templates::HeldOutSeed, kVariants);
  vok::CHWRRomRecognizer engine;
  const std::string model = model_folder + "/HWRRom";
  const auto load_start = Clock::now();
  const bool loaded = engine.Load(model.c_str());
  const double load_ms = std::chrono::duration<double, std::milli>(Clock::now() - load_start).count();
  if (loaded) {
    Figures f;
    double spent = 0;
    for (const auto& sample : samples) {
      const auto ink = build_hwr_models::ToEngineInk(sample.ink);
      vok::HwrCandidate candidates[10];
      const double start = bench::ThreadCpuSeconds();
      const int found = engine.Recognize(ink.points.data(), static_cast<int>(ink.counts.size()),
                                         ink.counts.data(), candidates, 10);
      spent += bench::ThreadCpuSeconds() - start;
      ++f.written;
      const auto code = static_cast<uint16_t>(static_cast<uint8_t>(sample.code) << 8);
      if (found > 0 && candidates[0].code == code) ++f.top1;
      if (std::any_of(candidates, candidates + std::max(found, 0),
                      [code](const auto& c) { return c.code == code; }))
        ++f.listed;
    }
    f.microseconds = 1e6 * spent / std::max(1, f.written);
    char note[64];
    std::snprintf(note, sizeof note, "(model load %.1f ms)", load_ms);
    Print("engine CHWRRomRecognizer", f, note);
  } else {
    std::printf("%-7s engine model %s missing (build the hwr_models target)\n", "Latin", model.c_str());
  }

  QuietSink sink;
  letters::HelvaneLibrary library(sink);
  const std::string prefix = template_folder + "/";
  if (library.Create(prefix.c_str()) == nullptr) {
    std::printf("%-7s letter templates missing in %s (build the letter_templates target)\n", "Latin",
                template_folder.c_str());
    return true;
  }
  Figures f;
  double spent = 0;
  for (const auto& sample : samples) {
    std::uint8_t codes[20] = {};
    const double start = bench::ThreadCpuSeconds();
    const int found = library.Recognize(nullptr, sample.ink.data(), codes);
    spent += bench::ThreadCpuSeconds() - start;
    ++f.written;
    const auto code = static_cast<std::uint8_t>(sample.code);
    if (found > 0 && codes[0] == code) ++f.top1;
    for (int i = 0; i < found; ++i) f.listed += codes[2 * i] == code;
  }
  f.microseconds = 1e6 * spent / std::max(1, f.written);
  Print("letter recognizer", f, "(HELVANE.TPL)");
  return true;
}

}  // namespace hwr_bench
