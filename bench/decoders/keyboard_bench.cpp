// keyboard_bench: the engine's keyboard system on held-out text, beside a
// baseline and the open pinyin converters of this machine.
//
//   keyboard_bench [--data FOLDER] [--sentences FILE] [--count N] [--latency-sentences M] [--no-peer]
//                  [--errors] [--development]
//
// The held-out sentences (tools/prepare_heldout_text.sh, from Debian's
// Chinese documentation, which no generator reads) are turned into toneless
// full pinyin through the folder's lexicon; every converter gets the same
// key strings. Accuracy: character accuracy of the best sentence (one minus
// edit distance over length), exact sentences, and for the engine whether
// the reference is among its 10 best; the engine with short-hand typing as
// the folder sets it, and the other way. Latency: the whole conversion that
// the keyboard controller queues after every key, timed (processor time of
// the converting thread) for every prefix of the key strings of M
// sentences. --errors lists the engine's wrong
// sentences on stderr (reference, best sentence, keys). --development
// measures on the usable sentences between those of the evaluation (an even
// spread of N over the rest), for choosing settings without looking at the
// evaluation sentences.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/cpu_time.h"
#include "bench/decoders/character_accuracy.h"
#include "bench/decoders/lexicon_readings.h"
#include "bench/decoders/pinyin_peers.h"
#include "bench/percentile.h"
#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "tools/pinyin2hanzi/pinyin_converter.h"
#include "tools/text_codec/text_codec.h"

namespace {

struct Sentence {
  std::string utf8;
  std::string gb;
  std::vector<std::string> syllables;
  std::string keys;
};

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrintRow(const char* name, const bench::CharacterAccuracy& accuracy, const std::string& recall,
              double ms_per_sentence) {
  std::printf("| %-44s | %6.1f %% | %6.1f %% | %8s | %8.2f |\n", name, 100 * accuracy.accuracy(),
              100 * accuracy.exact(), recall.c_str(), ms_per_sentence);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = WRENDLE_KEYBOARD_DATA_DIR;
  std::string sentences_path = WRENDLE_HELDOUT_DIR "/simplified.txt";
  std::size_t count = 2500;
  std::size_t latency_sentences = 400;
  bool peers_wanted = true;
  bool show_errors = false;
  bool development = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (a == "--sentences" && i + 1 < argc) {
      sentences_path = argv[++i];
    } else if (a == "--count" && i + 1 < argc) {
      count = std::stoul(argv[++i]);
    } else if (a == "--latency-sentences" && i + 1 < argc) {
      latency_sentences = std::stoul(argv[++i]);
    } else if (a == "--no-peer") {
      peers_wanted = false;
    } else if (a == "--errors") {
      show_errors = true;
    } else if (a == "--development") {
      development = true;
    } else {
      std::cerr << "usage: keyboard_bench [--data FOLDER] [--sentences FILE] [--count N] "
                   "[--latency-sentences M] [--no-peer] [--errors] [--development]\n";
      return 2;
    }
  }
  bench::LexiconReadings readings;
  tools::PinyinConverter converter(folder);
  const tools::TextCodec to_gb("UTF-8", "GB2312"), to_utf8("GB2312", "UTF-8");
  if (!readings.Load(folder) || !converter.ok()) {
    std::cerr << "keyboard_bench: the keyboard data of " << folder << " does not load\n";
    return 1;
  }
  std::ifstream input(sentences_path);
  std::vector<Sentence> usable;
  for (std::string line; std::getline(input, line);) {
    const auto gb = to_gb.Convert(line);
    if (!gb) continue;
    auto syllables = readings.Syllables(*gb);
    if (!syllables) continue;
    const std::string keys = bench::JoinedKeys(*syllables);
    usable.push_back({line, *gb, std::move(*syllables), keys});
  }
  if (usable.empty()) {
    std::cerr << "keyboard_bench: no usable sentence in " << sentences_path << "\n";
    return 1;
  }
  // An even spread over the documents; the development sentences spread
  // evenly over the others.
  std::vector<Sentence> sentences;
  std::vector<bool> evaluated(usable.size(), false);
  const double step = std::max(1.0, static_cast<double>(usable.size()) / static_cast<double>(count));
  for (double k = 0; k < static_cast<double>(usable.size()) && sentences.size() < count; k += step) {
    evaluated[static_cast<std::size_t>(k)] = true;
    sentences.push_back(usable[static_cast<std::size_t>(k)]);
  }
  if (development) {
    std::vector<Sentence> others;
    for (std::size_t i = 0; i < usable.size(); ++i) {
      if (!evaluated[i]) others.push_back(std::move(usable[i]));
    }
    sentences.clear();
    const double other_step = std::max(1.0, static_cast<double>(others.size()) / static_cast<double>(count));
    for (double k = 0; k < static_cast<double>(others.size()) && sentences.size() < count; k += other_step)
      sentences.push_back(std::move(others[static_cast<std::size_t>(k)]));
  }
  std::size_t characters = 0;
  for (const Sentence& s : sentences) characters += s.gb.size() / 2;
  std::printf(
      "keyboard_bench: %zu held-out %ssentences (%zu characters, %zu usable of %s), toneless full pinyin\n",
      sentences.size(), development ? "development " : "", characters, usable.size(), sentences_path.c_str());
  std::printf("| %-44s | %8s | %8s | %8s | %8s |\n", "converter", "char acc", "exact", "top-10", "ms/sent");
  std::printf("|%s|----------|----------|----------|----------|\n", std::string(46, '-').c_str());

  // The folder's short-hand setting first, then the other one: the peers
  // convert full pinyin only.
  vok::CPLEngine& keys_engine = *converter.system().keyboard_engine();
  const bool folder_short_hand = keys_engine.short_hand();
  for (const bool short_hand : {folder_short_hand, !folder_short_hand}) {
    keys_engine.set_short_hand(short_hand);
    bench::CharacterAccuracy engine;
    int in_top10 = 0;
    const auto started = Clock::now();
    for (const Sentence& s : sentences) {
      const tools::PinyinConverter::Result result = converter.Convert(s.keys, 10);
      const std::string best = result.sentences.empty() ? std::string() : result.sentences[0];
      const std::string best_utf8 = to_utf8.ConvertLossy(best, "?");
      engine.Add(s.utf8, best_utf8);
      if (show_errors && short_hand == folder_short_hand && best_utf8 != s.utf8)
        std::fprintf(stderr, "%s\t%s\t%s\n", s.utf8.c_str(), best_utf8.c_str(), s.keys.c_str());
      if (std::find(result.sentences.begin(), result.sentences.end(), s.gb) != result.sentences.end())
        ++in_top10;
    }
    const double engine_ms = Milliseconds(Clock::now() - started) / static_cast<double>(sentences.size());
    char recall[32];
    std::snprintf(recall, sizeof recall, "%.1f %%", 100.0 * in_top10 / static_cast<double>(sentences.size()));
    PrintRow(short_hand ? "engine (P2HSystem), short-hand on" : "engine (P2HSystem), short-hand off", engine,
             recall, engine_ms);
  }
  keys_engine.set_short_hand(folder_short_hand);
  bench::CharacterAccuracy baseline;
  for (const Sentence& s : sentences)
    baseline.Add(s.utf8, to_utf8.ConvertLossy(readings.Baseline(s.syllables), "?"));
  PrintRow("baseline: commonest character of each syllable", baseline, "-", 0);

  if (peers_wanted) {
    const std::string work = (std::filesystem::temp_directory_path() / "keyboard_bench_peers").string();
    for (const auto& peer : bench::MakePinyinPeers(work)) {
      bench::CharacterAccuracy accuracy;
      const auto peer_started = Clock::now();
      for (const Sentence& s : sentences) accuracy.Add(s.utf8, peer->Convert(s.keys));
      const double ms = Milliseconds(Clock::now() - peer_started) / static_cast<double>(sentences.size());
      PrintRow(peer->name(), accuracy, "-", ms);
    }
  }

  // The controller converts the whole key buffer again after every key.
  const std::size_t every =
      std::max<std::size_t>(1, sentences.size() / std::max<std::size_t>(1, latency_sentences));
  for (const bool short_hand : {folder_short_hand, !folder_short_hand}) {
    keys_engine.set_short_hand(short_hand);
    std::vector<double> latencies;
    std::size_t timed = 0;
    for (std::size_t i = 0; i < sentences.size() && timed < latency_sentences; i += every, ++timed) {
      const std::string& keys = sentences[i].keys;
      for (std::size_t n = 1; n <= keys.size(); ++n) {
        const double t0 = 1e3 * bench::ThreadCpuSeconds();
        converter.Convert(std::string_view(keys).substr(0, n), 10);
        latencies.push_back(1e3 * bench::ThreadCpuSeconds() - t0);
      }
    }
    std::printf(
        "%sfull conversion after each key (short-hand %s), processor time: %zu runs over %zu sentences: "
        "median %.2f ms, p95 %.2f ms, max %.2f ms (targets: median <= 5 ms, p95 <= 15 ms)\n",
        short_hand == folder_short_hand ? "\n" : "", short_hand ? "on" : "off", latencies.size(), timed,
        bench::Percentile(latencies, 0.5), bench::Percentile(latencies, 0.95),
        bench::Percentile(latencies, 1.0));
  }
  return 0;
}
