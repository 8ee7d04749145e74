// build_hwr_models: writes the engine's handwriting model of one script
// ("HWRSC" from GB2312 characters, "HWRTC" from Big5 characters) from the
// stroke data of the hanzi-writer-data package, with its character
// frequencies from a word-count list and its character bigrams from the
// n-gram statistics of the language models (or from the word list); with
// --gestures also the default gesture templates "Gestures" and the
// anti-gesture templates "HWRANTIG"; with --fonts the punctuation templates
// "HWRPUN" in the script's code page. --latin writes the Latin model
// "HWRRom" from the single-stroke SVG fonts (alone when no script is given).
#include <charconv>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

#include "engine/core/hwr_code_mapping.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "platform/file_access.h"
#include "tools/build_hwr_models/gesture_shapes.h"
#include "tools/build_hwr_models/language_statistics.h"
#include "tools/build_hwr_models/latin_model_builder.h"
#include "tools/build_hwr_models/model_builder.h"
#include "tools/build_hwr_models/punctuation_templates.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/source_text.h"

namespace {

namespace fs = std::filesystem;

struct Arguments {
  std::string data;
  std::string out;
  std::string script;  // "sc", "tc" or empty
  std::string words;
  std::string ngrams;
  std::string ngram_words;
  std::string fonts;
  bool gestures = false;
  bool latin = false;
  build_hwr_models::HwrBuildOptions options;
};

void PrintUsage() {
  std::cerr << "usage: build_hwr_models --out DIR [--data PACKAGE-DIR --script sc|tc [--words WORD-COUNTS]\n"
               "                        [--ngrams NGRAMS --ngram-words WORDS] [--gestures]] [--fonts "
               "SVG-FONT-DIR]\n"
               "                        [--latin] [--variants N] [--jobs N]\n";
}

bool ParseCount(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool Parse(int argc, char** argv, Arguments& a) {
  a.options.jobs = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    int count = 0;
    if (arg == "--gestures") {
      a.gestures = true;
    } else if (arg == "--latin") {
      a.latin = true;
    } else if (i + 1 >= argc) {
      return false;
    } else if (std::string* value = arg == "--data"          ? &a.data
                                    : arg == "--out"         ? &a.out
                                    : arg == "--script"      ? &a.script
                                    : arg == "--words"       ? &a.words
                                    : arg == "--ngrams"      ? &a.ngrams
                                    : arg == "--ngram-words" ? &a.ngram_words
                                    : arg == "--fonts"       ? &a.fonts
                                                             : nullptr) {
      *value = argv[++i];
    } else if (arg == "--variants" && ParseCount(argv[i + 1], count)) {
      a.options.variants = count;
      ++i;
    } else if (arg == "--jobs" && ParseCount(argv[i + 1], count)) {
      a.options.jobs = static_cast<unsigned>(count);
      ++i;
    } else {
      return false;
    }
  }
  const bool chinese = a.script == "sc" || a.script == "tc";
  return !a.out.empty() && (chinese || (a.script.empty() && a.latin)) && (!chinese || !a.data.empty()) &&
         a.ngrams.empty() == a.ngram_words.empty() && (!a.latin || !a.fonts.empty());
}

bool Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (platform::WriteWholeFile(path.string(), bytes)) return true;
  std::cerr << "build_hwr_models: cannot write " << path.string() << '\n';
  return false;
}

bool ReadLanguage(const Arguments& a, build_hwr_models::LanguageStatistics* language) {
  if (!a.words.empty() && !build_hwr_models::ReadWordCounts(a.words, language)) {
    std::cerr << "build_hwr_models: cannot read " << a.words << '\n';
    return false;
  }
  if (a.ngrams.empty()) return true;
  const auto text = build_language_data::ReadSourceText(a.ngrams);
  const auto table = build_language_data::ReadSourceText(a.ngram_words);
  build_language_data::NgramStatistics statistics;
  const std::string problem = text && table
                                  ? build_language_data::ReadNgramStatistics(*text, *table, &statistics)
                                  : "cannot read " + (text ? a.ngram_words : a.ngrams);
  if (!problem.empty()) {
    std::cerr << "build_hwr_models: " << problem << '\n';
    return false;
  }
  build_hwr_models::TakeNgramBigrams(statistics, language);
  return true;
}

// The script's model, templates and punctuation marks.
int WriteScriptFiles(const Arguments& a, const fs::path& folder) {
  const auto characters = build_dictionaries::LoadStrokeData(a.data);
  if (characters.empty()) {
    std::cerr << "build_hwr_models: no stroke data in " << a.data << '\n';
    return 1;
  }
  build_hwr_models::LanguageStatistics language;
  if (!ReadLanguage(a, &language)) return 1;
  const bool simplified = a.script == "sc";
  build_hwr_models::ChineseModelSource source;
  source.triple = simplified ? vok::kScModelTriple : vok::kTcModelTriple;
  source.code_page = simplified ? kernel::CodePage::kGb2312 : kernel::CodePage::kBig5;
  source.class_of_code = simplified ? [](std::uint16_t code) { return vok::ScIndex(code); }
                                    : [](std::uint16_t code) { return vok::TcIndex(code); };
  source.language = a.words.empty() && a.ngrams.empty() ? nullptr : &language;
  std::cerr << "build_hwr_models: " << (simplified ? "HWRSC" : "HWRTC") << '\n';
  const auto model = build_hwr_models::BuildChineseModel(characters, source, a.options);
  if (!Write(folder / (simplified ? "HWRSC" : "HWRTC"), vok_testing::WriteHwrCharacterModel(model).bytes))
    return 1;
  if (a.gestures) {
    if (!Write(folder / "Gestures", build_hwr_models::DefaultGestureFile())) return 1;
    if (!Write(folder / "HWRANTIG", build_hwr_models::AntiGestureFile(characters))) return 1;
  }
  if (!a.fonts.empty()) {
    const auto punctuation = build_hwr_models::PunctuationFile(a.fonts, source.code_page);
    if (punctuation.empty()) {
      std::cerr << "build_hwr_models: no SVG fonts in " << a.fonts << '\n';
      return 1;
    }
    if (!Write(folder / "HWRPUN", punctuation)) return 1;
  }
  return 0;
}

int WriteLatinModel(const Arguments& a, const fs::path& folder) {
  const auto fonts = letter_templates::LoadLetterFonts(a.fonts);
  if (!fonts) return 1;
  std::cerr << "build_hwr_models: HWRRom\n";
  const auto model = build_hwr_models::BuildLatinModel(*fonts, a.options);
  return Write(folder / "HWRRom", vok_testing::WriteHwrLatinModel(model).bytes) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!Parse(argc, argv, arguments)) {
    PrintUsage();
    return 2;
  }
  const fs::path folder(arguments.out);
  std::filesystem::create_directories(folder);
  if (!arguments.script.empty() && WriteScriptFiles(arguments, folder) != 0) return 1;
  if (arguments.latin && WriteLatinModel(arguments, folder) != 0) return 1;
  return 0;
}
