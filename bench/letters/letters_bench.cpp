// Accuracy and speed of the letter recognizer with the generated template
// file: letters of both fonts written under seeds and a style the generator
// never uses (held out), and for comparison under the generator's own seeds
// (the chosen set). Prints top-1 accuracy (exact, and counting look-alike
// pairs such as o/O/0 as right), the not-confident and refused rates,
// microseconds per call and the template file's load time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "shapes/letters/helvane_library.h"
#include "shapes/letters/letter_decision.h"
#include "shapes/letters/letter_recognizer.h"
#include "tools/build_letter_templates/letter_corpus.h"
#include "tools/build_letter_templates/letter_ink.h"

namespace {

constexpr int kVariants = 40;

struct Figures {
  int written = 0;
  int top1 = 0;
  int top1_alike = 0;
  int top10 = 0;
  int not_confident = 0;
  int refused = 0;
  double microseconds = 0;
};

Figures Measure(letters::HelvaneLibrary& library, const std::vector<letter_templates::InkSample>& samples) {
  Figures figures;
  std::chrono::nanoseconds spent{0};
  for (const auto& sample : samples) {
    std::uint8_t codes[20] = {};
    const auto start = std::chrono::steady_clock::now();
    const int found = library.Recognize(nullptr, sample.ink.data(), codes);
    spent += std::chrono::steady_clock::now() - start;
    ++figures.written;
    if (found == letters::kNotConfident) ++figures.not_confident;
    if (found == 0) ++figures.refused;
    if (found <= 0) continue;
    const auto code = static_cast<std::uint8_t>(sample.code);
    figures.top1 += codes[0] == code;
    figures.top1_alike += letters::CodesAlike(codes[0], code);
    for (int i = 0; i < found; ++i) figures.top10 += codes[2 * i] == code;
  }
  figures.microseconds = std::chrono::duration<double, std::micro>(spent).count() / figures.written;
  return figures;
}

void Print(const char* name, const Figures& f) {
  const auto percent = [&f](int n) { return 100.0 * n / f.written; };
  std::printf(
      "%-10s %5d letters  top-1 %5.1f %%  top-1 with look-alikes %5.1f %%  in list %5.1f %%  "
      "not confident %5.1f %%  refused %4.1f %%  %6.0f us per call\n",
      name, f.written, percent(f.top1), percent(f.top1_alike), percent(f.top10), percent(f.not_confident),
      percent(f.refused), f.microseconds);
}

class QuietSink : public letters::LoaderMessageSink {
 public:
  void Show(const std::string& text) override { std::fputs(text.c_str(), stderr); }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string template_folder = argc > 1 ? argv[1] : WRENDLE_TEMPLATE_FOLDER;
  const std::string fonts_folder = argc > 2 ? argv[2] : WRENDLE_LETTER_FONTS_DIR;
  const auto fonts = letter_templates::LoadLetterFonts(fonts_folder);
  if (!fonts) return 1;

  QuietSink sink;
  letters::HelvaneLibrary library(sink);
  const std::string prefix = template_folder + "/";
  constexpr int kLoads = 20;
  const auto load_start = std::chrono::steady_clock::now();
  for (int i = 0; i < kLoads; ++i) {
    if (library.Create(prefix.c_str()) == nullptr) return 1;
    library.Free(library.Create(prefix.c_str()));
    library.Free(library.Create(prefix.c_str()));
    library.Free(library.Create(prefix.c_str()));
  }
  const double load_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - load_start).count() /
      kLoads;
  if (library.Create(prefix.c_str()) == nullptr) return 1;
  std::printf("template file %sHELVANE.TPL: %.2f ms to load\n", prefix.c_str(), load_ms);

  const auto held_out = letter_templates::WriteLetters(*fonts, letter_templates::HeldOutInkStyle(),
                                                       letter_templates::HeldOutSeed, kVariants);
  const auto chosen = letter_templates::WriteLetters(*fonts, letter_templates::TemplateInkStyle(),
                                                     letter_templates::TemplateSeed, kVariants);
  Print("held out", Measure(library, held_out));
  Print("chosen", Measure(library, chosen));
  return 0;
}
