// build_language_data: the vocabulary of one dialect folder: "Syllable",
// "Pron.txt", "Pron" and the homophone map "HMap", from the open word lists
// (word frequencies, or the words of the n-gram statistics by their
// unigrams; the CC-CEDICT dictionary, the character database's readings).
// The language model of the folder comes from build_language_models.
// "build_language_data keyboard ..." and "... converter ..." make the
// keyboard map and the script converter's files of the data folder.
#include <charconv>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/homophone_map.h"
#include "tools/build_language_data/keyboard_converter_stages.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/pinyin.h"
#include "tools/build_language_data/pronunciation_sources.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/build_language_data/word_frequencies.h"

namespace {

namespace bld = build_language_data;

void PrintUsage() {
  std::cerr
      << "usage: build_language_data --script simplified|traditional\n"
         "                           (--frequencies FILE | --statistics NGRAM-LISTING --statistics-words "
         "TABLE)\n"
         "                           --dictionary cedict_ts.u8.js --readings Unihan_Readings.txt[.bz2]\n"
         "                           --out DIR [--models HMM-NAMES] [--words N]\n";
}

// The dictionary text inside its JavaScript module wrapper.
std::string Unwrapped(const std::string& module) {
  const std::size_t open = module.find('`');
  const std::size_t close = module.rfind('`');
  if (open == std::string::npos || close <= open) return module;
  return module.substr(open + 1, close - open - 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::string_view(argv[1]) == "keyboard" || std::string_view(argv[1]) == "converter")) {
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    return std::string_view(argv[1]) == "keyboard" ? bld::RunKeyboardStage(arguments)
                                                   : bld::RunConverterStage(arguments);
  }
  std::string script_name, frequencies, statistics_listing, statistics_words, dictionary, readings, out,
      models_path;
  int words = bld::kDefaultLexiconWords;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--script") {
      script_name = value;
    } else if (flag == "--frequencies") {
      frequencies = value;
    } else if (flag == "--statistics") {
      statistics_listing = value;
    } else if (flag == "--statistics-words") {
      statistics_words = value;
    } else if (flag == "--dictionary") {
      dictionary = value;
    } else if (flag == "--readings") {
      readings = value;
    } else if (flag == "--out") {
      out = value;
    } else if (flag == "--models") {
      models_path = value;
    } else if (flag == "--words") {
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), words);
      if (error != std::errc() || end != value.data() + value.size() || words < 1 || words > 65500) {
        PrintUsage();
        return 2;
      }
    } else {
      PrintUsage();
      return 2;
    }
  }
  const bool simplified = script_name == "simplified";
  const bool by_statistics = !statistics_listing.empty();
  if ((!simplified && script_name != "traditional") || frequencies.empty() == !by_statistics ||
      by_statistics == statistics_words.empty() || dictionary.empty() || readings.empty() || out.empty() ||
      argc % 2 == 0) {
    PrintUsage();
    return 2;
  }
  const auto dictionary_text = bld::ReadSourceText(dictionary);
  const auto readings_text = bld::ReadSourceText(readings);
  if (!dictionary_text || !readings_text) {
    std::cerr << "build_language_data: cannot read the sources\n";
    return 1;
  }
  std::vector<bld::WordCount> word_counts;
  if (by_statistics) {
    const auto listing = bld::ReadSourceText(statistics_listing);
    const auto table = bld::ReadSourceText(statistics_words);
    bld::NgramStatistics statistics;
    const std::string error = listing && table ? bld::ReadNgramStatistics(*listing, *table, &statistics)
                                               : std::string("cannot read the statistics");
    if (!error.empty()) {
      std::cerr << "build_language_data: " << error << "\n";
      return 1;
    }
    word_counts = bld::StatisticsWordCounts(statistics);
  } else {
    const auto frequency_text = bld::ReadSourceText(frequencies);
    if (!frequency_text) {
      std::cerr << "build_language_data: cannot read " << frequencies << "\n";
      return 1;
    }
    word_counts = bld::ReadWordCounts(*frequency_text);
  }
  std::optional<std::vector<std::string>> models;
  if (!models_path.empty()) {
    const auto text = bld::ReadSourceText(models_path);
    if (!text) {
      std::cerr << "build_language_data: cannot read " << models_path << "\n";
      return 1;
    }
    models.emplace();
    std::istringstream names(*text);
    for (std::string name; names >> name;) models->push_back(name);
  }
  bld::PronunciationSources sources;
  const int entries = sources.AddDictionary(Unwrapped(*dictionary_text));
  const int characters = sources.AddCharacterReadings(*readings_text);
  const bld::CodePageText code_page(simplified ? "GB2312" : "BIG5");
  if (!code_page.valid()) {
    std::cerr << "build_language_data: no code-page conversion\n";
    return 1;
  }
  const auto* model_list = models ? &*models : nullptr;
  const auto spellable = [&](const std::string& syllable) {
    return bld::SpellSyllable(syllable, model_list).has_value();
  };
  const auto lexicon = bld::SelectLexicon(word_counts, sources,
                                          simplified ? bld::PronunciationSources::Script::kSimplified
                                                     : bld::PronunciationSources::Script::kTraditional,
                                          code_page, words, spellable);
  std::string error = bld::WriteVocabulary(lexicon, model_list, out);
  if (error.empty()) error = bld::WriteHomophoneMap(lexicon, out);
  if (!error.empty()) {
    std::cerr << "build_language_data: " << error << "\n";
    return 1;
  }
  std::cout << out << ": " << lexicon.size() << " words, " << bld::LexiconSyllables(lexicon).size()
            << " syllables (" << entries << " dictionary entries, " << characters << " character readings)\n";
  return 0;
}
