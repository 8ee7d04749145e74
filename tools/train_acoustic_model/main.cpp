// train_acoustic_model: the acoustic models of a dialect folder from a speech
// corpus: "Speech" (and "SpeechM", "SpeechF" when the corpus labels its
// speakers), the HMM names for the vocabulary stage, and the "Vastel" and
// "Search" keys of the folder's "Resources".
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_access.h"
#include "tools/train_acoustic_model/acoustic_training.h"

namespace {

namespace tam = train_acoustic_model;

void PrintUsage() {
  std::cerr << "usage: train_acoustic_model --corpus DIR --syllables SYLLABLE-FILE --out DIR\n"
               "                            [--names FILE] [--front-end SPEC] [--gaussians N]\n"
               "                            [--phone-gaussians N] [--iterations N] [--min-context N]\n"
               "                            [--log-density-weight N] [--jobs N]\n"
               "  DIR/train.list and DIR/heldout.list: wave<TAB>speaker<TAB>M|F|-<TAB>toned pinyin\n";
}

bool ParseCount(const std::string& text, int low, int high, int* out) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
  *out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  tam::TrainingOptions options;
  std::string corpus, syllables, out, names;
  bool ok = argc % 2 == 1;
  for (int i = 1; ok && i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--corpus") {
      corpus = value;
    } else if (flag == "--syllables") {
      syllables = value;
    } else if (flag == "--out") {
      out = value;
    } else if (flag == "--names") {
      names = value;
    } else if (flag == "--front-end") {
      options.frontEndSpec = value;
    } else if (flag == "--gaussians") {
      int n = 0;
      ok = ParseCount(value, 2, 256, &n);
      options.gaussians = static_cast<std::size_t>(n);
    } else if (flag == "--iterations") {
      ok = ParseCount(value, 0, 100, &options.iterations);
    } else if (flag == "--min-context") {
      ok = ParseCount(value, 1, 1000000, &options.minContextOccurrences);
    } else if (flag == "--log-density-weight") {
      int n = 0;
      ok = ParseCount(value, 1, 1000, &n);
      options.logDensityWeight = static_cast<float>(n);
    } else if (flag == "--phone-gaussians") {
      ok = ParseCount(value, 1, 256, &options.phoneGaussians);
    } else if (flag == "--jobs") {
      int n = 0;
      ok = ParseCount(value, 1, 64, &n);
      options.jobs = static_cast<unsigned>(n);
    } else {
      ok = false;
    }
  }
  if (!ok || corpus.empty() || syllables.empty() || out.empty()) {
    PrintUsage();
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  const int result = tam::TrainDialectFolder(corpus, syllables, out, names, options, std::cout, std::cerr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (result == 0) std::printf("trained in %.1f s\n", seconds);
  return result;
}
