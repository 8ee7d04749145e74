// build_language_models: the language model of one dialect folder whose
// vocabulary build_language_data wrote ("Pron.txt"): "Lexicon.txt",
// "Lexicon", "LM1", "LM2" and "PLMCache" from the n-gram statistics (carried
// to Traditional words through the conversion tables for the traditional
// script) with the unigram counts of the folder's frequency list (or the
// statistics' own unigrams) and the word n-grams of the listed domain
// documents, then the held-out checks on the listed documents.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/page_lm.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/held_out.h"
#include "tools/build_language_data/language_model.h"
#include "tools/build_language_data/ngram_statistics.h"
#include "tools/build_language_data/script_conversion.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_language_data/vocabulary.h"
#include "tools/build_language_data/word_cutter.h"
#include "tools/build_language_data/word_frequencies.h"

namespace {

namespace bld = build_language_data;

void PrintUsage() {
  std::cerr
      << "usage: build_language_models --script simplified|traditional --folder DIR\n"
         "                             (--frequencies FILE | --unigrams statistics (simplified))\n"
         "                             --ngrams NGRAM-LISTING --ngram-words WORD-TABLE\n"
         "                             [--phrases TABLE --characters TABLE] (traditional)\n"
         "                             [--held-out DOCUMENT-LIST] [--jobs N] [--passes N] [--movable N]\n"
         "                             [--core-classes N] [--page-classes N] [--page-words on|off]\n"
         "                             [--domain-text DOCUMENT-LIST [--domain-weight W] [--domain-discount "
         "D]\n"
         "                              [--exclude-sentences FILE]]\n";
}

bool ParseCount(const std::string& text, int* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= 0;
}

bool ParseShare(const std::string& text, double* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= 0;
}

// The file's text, or nothing once it has said that it cannot be read.
std::optional<std::string> ReadOrReport(const std::string& path) {
  auto text = bld::ReadSourceText(path);
  if (!text) std::cerr << "build_language_models: cannot read " << path << "\n";
  return text;
}

// The sentences of the listed documents as word ids; false when one cannot
// be read.
bool AddDocumentSentences(const std::vector<std::string>& paths, bld::WordCutter* cutter,
                          std::vector<std::vector<int>>* sentences) {
  for (const std::string& path : paths) {
    const auto text = ReadOrReport(path);
    if (!text) return false;
    cutter->AddSentences(*text, sentences);
  }
  return true;
}

void PrintFigures(const char* name, const bld::HeldOutFigures& f) {
  const auto pp = bld::HeldOutFigures::Perplexity;
  std::printf("%s: %d documents, %lld sentences, %lld words (%.2f %% unknown)\n", name, f.documents,
              static_cast<long long>(f.sentences), static_cast<long long>(f.words),
              f.words > 0 ? 100.0 * static_cast<double>(f.unknown) / static_cast<double>(f.words) : 0.0);
  std::printf("  per-word perplexity, model:        unigram %.0f, class bigram %.0f, class trigram %.0f\n",
              pp(f.unigram), pp(f.bigram), pp(f.trigram));
  std::printf("  per-word perplexity, engine bytes: unigram %.0f, class bigram %.0f, class trigram %.0f\n",
              pp(f.engine_unigram), pp(f.engine_bigram), pp(f.engine_trigram));
}

}  // namespace

int main(int argc, char** argv) {
  std::string script, folder, frequencies, ngrams, ngram_words, phrases, characters, held_out, domain_text,
      excluded_sentences;
  bld::LanguageModelOptions options;
  bool statistics_unigrams = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string value = argv[i + 1];
    bool ok = true;
    if (flag == "--script") {
      script = value;
    } else if (flag == "--folder") {
      folder = value;
    } else if (flag == "--frequencies") {
      frequencies = value;
    } else if (flag == "--ngrams") {
      ngrams = value;
    } else if (flag == "--ngram-words") {
      ngram_words = value;
    } else if (flag == "--phrases") {
      phrases = value;
    } else if (flag == "--characters") {
      characters = value;
    } else if (flag == "--held-out") {
      held_out = value;
    } else if (flag == "--domain-text") {
      domain_text = value;
    } else if (flag == "--domain-weight") {
      ok = ParseShare(value, &options.domain.weight);
    } else if (flag == "--domain-discount") {
      ok = ParseShare(value, &options.domain.discount) && options.domain.discount < 1;
    } else if (flag == "--exclude-sentences") {
      excluded_sentences = value;
    } else if (flag == "--jobs") {
      ok = ParseCount(value, &options.exchange.threads) && options.exchange.threads > 0;
    } else if (flag == "--passes") {
      ok = ParseCount(value, &options.exchange.passes);
    } else if (flag == "--core-classes") {
      ok = ParseCount(value, &options.core_classes);
    } else if (flag == "--page-classes") {
      ok = ParseCount(value, &options.page_classes);
    } else if (flag == "--page-words") {
      options.page_of_words = value == "on";
      ok = options.page_of_words || value == "off";
    } else if (flag == "--unigrams") {
      statistics_unigrams = value == "statistics";
      ok = statistics_unigrams;
    } else if (flag == "--movable") {
      ok = ParseCount(value, &options.exchange.movable);
    } else {
      ok = false;
    }
    if (!ok) {
      PrintUsage();
      return 2;
    }
  }
  const bool traditional = script == "traditional";
  if ((!traditional && script != "simplified") || folder.empty() ||
      frequencies.empty() == !statistics_unigrams || ngrams.empty() || ngram_words.empty() || argc % 2 == 0 ||
      (traditional && (phrases.empty() || characters.empty() || statistics_unigrams))) {
    PrintUsage();
    return 2;
  }
  const auto pron_text = bld::ReadSourceText(folder + "/Pron.txt");
  const auto frequency_text =
      statistics_unigrams ? std::optional<std::string>("") : bld::ReadSourceText(frequencies);
  const auto ngram_text = bld::ReadSourceText(ngrams);
  const auto word_table = bld::ReadSourceText(ngram_words);
  if (!pron_text || !frequency_text || !ngram_text || !word_table) {
    std::cerr << "build_language_models: cannot read the sources\n";
    return 1;
  }
  bld::ScriptConversion conversion;
  if (traditional) {
    const auto phrase_text = bld::ReadSourceText(phrases);
    const auto character_text = bld::ReadSourceText(characters);
    if (!phrase_text || !character_text || conversion.AddTable(*phrase_text) == 0 ||
        conversion.AddTable(*character_text) == 0) {
      std::cerr << "build_language_models: cannot read the conversion tables\n";
      return 1;
    }
  }
  const bld::CodePageText code_page(traditional ? "BIG5" : "GB2312");
  if (!code_page.valid()) {
    std::cerr << "build_language_models: no code-page conversion\n";
    return 1;
  }
  bld::NgramStatistics statistics;
  const std::string statistics_error = bld::ReadNgramStatistics(*ngram_text, *word_table, &statistics);
  if (!statistics_error.empty()) {
    std::cerr << "build_language_models: " << statistics_error << "\n";
    return 1;
  }

  bld::LanguageModelInput input;
  input.words = bld::PronunciationWords(*pron_text);
  std::unordered_map<std::string, int> ids;
  for (std::size_t w = 0; w < input.words.size(); ++w) ids.emplace(input.words[w], static_cast<int>(w));
  input.counts.assign(input.words.size(), 0.0);
  const std::vector<bld::WordCount> word_counts =
      statistics_unigrams ? bld::StatisticsWordCounts(statistics) : bld::ReadWordCounts(*frequency_text);
  for (const bld::WordCount& c : word_counts) {
    const auto bytes = code_page.Convert(c.word);
    if (!bytes) continue;
    const auto it = ids.find(*bytes);
    if (it != ids.end() && input.counts[static_cast<std::size_t>(it->second)] == 0)
      input.counts[static_cast<std::size_t>(it->second)] = static_cast<double>(c.count);
  }
  // The statistics' words as lexicon words, or spelt by several.
  const int unknown = static_cast<int>(input.words.size()) + bld::kUnknownToken;
  bld::WordCutter cutter(input.words, unknown, code_page);
  input.pieces_of.resize(statistics.words.size());
  int whole = 0, spelt = 0;
  for (std::size_t id = 0; id < statistics.words.size(); ++id) {
    if (statistics.words[id].empty()) continue;
    if (!bld::HasHanCharacter(statistics.words[id])) {  // marks, digits, letters end sentences
      input.pieces_of[id] = {bld::kBoundaryPiece};
      continue;
    }
    const auto bytes =
        code_page.Convert(traditional ? conversion.Convert(statistics.words[id]) : statistics.words[id]);
    if (!bytes) continue;
    std::vector<int> pieces = cutter.Words(*bytes);
    if (std::find(pieces.begin(), pieces.end(), unknown) != pieces.end()) continue;
    ++(pieces.size() == 1 ? whole : spelt);
    input.pieces_of[id] = std::move(pieces);
  }

  // The domain's sentences, without any that the measured texts hold: the
  // held-out documents and the keyboard benchmark's sentences.
  const auto read_list = [](const std::string& path) -> std::optional<std::vector<std::string>> {
    const auto list = ReadOrReport(path);
    if (!list) return std::nullopt;
    return bld::HeldOutDocuments(*list);
  };
  std::vector<std::string> documents;
  if (!held_out.empty()) {
    auto listed = read_list(held_out);
    if (!listed) return 1;
    documents = std::move(*listed);
  }
  if (!domain_text.empty()) {
    const auto domain_documents = read_list(domain_text);
    if (!domain_documents) return 1;
    std::vector<std::vector<int>> measured, sentences;
    std::vector<std::string> measured_texts = documents;
    if (!excluded_sentences.empty()) measured_texts.push_back(excluded_sentences);
    if (!AddDocumentSentences(measured_texts, &cutter, &measured) ||
        !AddDocumentSentences(*domain_documents, &cutter, &sentences))
      return 1;
    int64_t dropped = 0;
    input.domain_sentences = bld::WithoutExcluded(
        std::move(sentences), std::set<std::vector<int>>(measured.begin(), measured.end()), &dropped);
    int64_t words = 0;
    for (const auto& sentence : input.domain_sentences) words += static_cast<int64_t>(sentence.size());
    std::printf(
        "domain text: %zu documents, %zu sentences of %lld words (%lld more left out: sentences of the "
        "measured texts), weight %.3g, discount %.3g\n",
        domain_documents->size(), input.domain_sentences.size(), static_cast<long long>(words),
        static_cast<long long>(dropped), options.domain.weight, options.domain.discount);
  }

  bld::LanguageModel model;
  const std::string error = bld::WriteLanguageModel(input, statistics, options, folder, &model);
  if (!error.empty()) {
    std::cerr << "build_language_models: " << error << "\n";
    return 1;
  }
  std::printf(
      "%s: language model of %d words (statistics words: %d of them, %d spelt by several), %d core and "
      "%d page classes, shift %d; page model %d blocks, %d trigrams; cache %d keys; every n-gram read back\n",
      folder.c_str(), model.words, whole, spelt, options.core_classes,
      options.page_of_words ? model.words : options.page_classes, model.shift, model.page_blocks,
      model.page_trigrams, model.cache_entries);
  if (held_out.empty()) return 0;

  vok::CoreLM core(nullptr, (folder + "/LM1").c_str());
  vok::PageLM page((folder + "/LM2").c_str(), vok::PageLM::kOrder, 1.0f, vok::PageLM::kDefaultCacheSize);
  vok::CLexicon lexicon((folder + "/Lexicon").c_str(), &core, &page, 0);
  page.LoadCache((folder + "/PLMCache").c_str());
  if (lexicon.status() != 0) {
    std::cerr << "build_language_models: the written models do not load\n";
    return 1;
  }
  const bld::HeldOutFigures check = bld::EvaluateHeldOut(documents, 0, model, &cutter, &core, &page);
  const bld::HeldOutFigures test = bld::EvaluateHeldOut(documents, 1, model, &cutter, &core, &page);
  PrintFigures("held-out check set", check);
  PrintFigures("held-out test set", test);
  // On the check set the classes must beat the unigram, the page model must
  // not lose to the core model, and the engine's bytes must keep the
  // models' costs within 15 % of perplexity. A word trigram is compared by
  // the engine's bytes: its file backs off with one weight for every
  // history, where the model in double precision discounts each history by
  // its own.
  const double slack = std::log(1.15) * 10000.5;
  const double page_cost = options.page_of_words ? check.engine_trigram : check.trigram;
  const double core_cost = options.page_of_words ? check.engine_bigram : check.bigram;
  if (check.words > 0 &&
      !(check.bigram < check.unigram && page_cost < core_cost + std::log(1.01) * 10000.5 &&
        check.engine_bigram < check.bigram + slack && check.engine_trigram < check.trigram + slack)) {
    std::cerr << "build_language_models: the held-out check set does not hold what the models promise\n";
    return 1;
  }
  return 0;
}
