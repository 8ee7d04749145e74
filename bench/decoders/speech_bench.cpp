// The dictation search. With the speech data of a dialect folder (--data,
// default data/China beside the bin folder) and the held-out part of the
// synthetic corpus (--corpus, default build/speech-corpus), it first decodes
// every held-out utterance (or those of --set dev, the development set) and
// prints the syllable and character error rates, each speaker's syllable
// error and the real-time factor: with the models of any speaker ("Speech"),
// then with those of each speaker's gender ("SpeechM", "SpeechF") when the
// folder has them. Then the timing benchmarks: the
// tree search with the database's state scoring on a synthetic 5,000-state model under a 60,000-word tree at
// the dictation beams (milliseconds and active nodes per frame against the 9.98 ms frame budget), and the
// back end on the word ends of a 5 s utterance.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/NetSearchEngine/testing/dictation_beams.h"
#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/core_lm.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"
#include "engine/core/scoring.h"
#include "engine/core/syllable_table.h"
#include "engine/core/text.h"
#include "tools/recognize_speech/dictation_recognizer.h"

namespace {

namespace fs = std::filesystem;

std::string data_folder;
std::string corpus_folder;
std::string set_name = "heldout";

// ---------------------------------------------------------------------------
// Error rates on the held-out synthetic speech

struct HeldOut {
  std::string wave;
  std::string speaker;
  char gender = '-';      // M, F or - (not labelled)
  std::string syllables;  // toned, blank-separated
  std::string text;       // GB2312
};

std::vector<HeldOut> ReadHeldOut(const fs::path& corpus) {
  std::map<std::string, std::string> texts;
  std::ifstream gb(corpus / (set_name + ".gb2312"));
  for (std::string line; std::getline(gb, line);) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) texts[line.substr(0, tab)] = line.substr(tab + 1);
  }
  std::vector<HeldOut> set;
  std::ifstream list(corpus / (set_name + ".list"));
  for (std::string line; std::getline(list, line);) {
    std::vector<std::string> fields;
    std::stringstream cut(line);
    for (std::string f; std::getline(cut, f, '\t');) fields.push_back(f);
    if (fields.size() < 4 || fields[2].size() != 1) continue;
    const std::string id = fs::path(fields[0]).stem().string();
    if (!texts.count(id)) continue;
    set.push_back({(corpus / fields[0]).string(), fields[1], fields[2][0], fields[3], texts[id]});
  }
  return set;
}

std::string Characters(const std::string& text) {
  std::string spaced;
  vok::SplitIntoCharacters(text.c_str(), &spaced, " ");
  return spaced;
}

// Decodes the set, each utterance with the recognizer `choose` gives it, and
// prints the error rates, the syllable error of each speaker and the
// real-time factor.
void PrintErrorRates(const std::vector<HeldOut>& set, const char* models,
                     const std::function<recognize_speech::DictationRecognizer&(const HeldOut&)>& choose) {
  vok::Scoring syllables, characters;
  std::map<std::string, vok::Scoring> by_speaker;
  double audio = 0, processor = 0;
  int decoded = 0;
  for (const HeldOut& utterance : set) {
    const auto dictation = choose(utterance).Decode(utterance.wave, 1);
    if (!dictation) continue;
    ++decoded;
    audio += dictation->audio_seconds;
    processor += dictation->processor_seconds;
    const recognize_speech::Sentence best =
        dictation->sentences.empty() ? recognize_speech::Sentence() : dictation->sentences.front();
    syllables.CompareSentences(utterance.syllables.c_str(), best.syllables.c_str(), false);
    by_speaker[utterance.speaker].CompareSentences(utterance.syllables.c_str(), best.syllables.c_str(),
                                                   false);
    characters.CompareSentences(Characters(utterance.text).c_str(), Characters(best.text).c_str(), true);
  }
  int s, i, d, n;
  float syllable_error = 0, character_error = 0;
  syllables.GetTotalStats(&s, &i, &d, &n, &syllable_error);
  std::printf("Held-out synthetic speech, %s: %d of %zu utterances, %.1f s of audio\n", models, decoded,
              set.size(), audio);
  std::printf(
      "  syllable error   %5.1f %%  (%d substitutions, %d insertions, %d deletions of %d; target <= 10 %%)\n",
      syllable_error, s, i, d, n);
  characters.GetTotalStats(&s, &i, &d, &n, &character_error);
  std::printf(
      "  character error  %5.1f %%  (%d substitutions, %d insertions, %d deletions of %d; target <= 15 %%)\n",
      character_error, s, i, d, n);
  for (const auto& [speaker, scoring] : by_speaker) {
    float error = 0;
    scoring.GetTotalStats(&s, &i, &d, &n, &error);
    std::printf("    %-10s syllable error %5.1f %% of %d\n", speaker.c_str(), error, n);
  }
  std::printf("  real-time factor %5.3f  (processor time of search and back end; target <= 0.5)\n",
              audio > 0 ? processor / audio : 0.0);
}

// The set decoded with the speaker-independent models, then, when the folder
// has them and the set labels every speaker's gender, with the models of
// each speaker's gender.
void PrintErrorRates() {
  using recognize_speech::DictationRecognizer;
  using recognize_speech::Speaker;
  const fs::path corpus = corpus_folder;
  if (!fs::exists(fs::path(data_folder) / "Speech") || !fs::exists(corpus / (set_name + ".list"))) {
    std::printf("Held-out error rates: skipped (no acoustic model in %s or no %s.list in %s)\n",
                data_folder.c_str(), set_name.c_str(), corpus_folder.c_str());
    return;
  }
  const std::vector<HeldOut> set = ReadHeldOut(corpus);
  DictationRecognizer any(data_folder);
  if (!any.error().empty()) {
    std::printf("Held-out error rates: skipped (%s)\n", any.error().c_str());
    return;
  }
  PrintErrorRates(set, "models of any speaker (\"Speech\")",
                  [&](const HeldOut&) -> DictationRecognizer& { return any; });

  const bool labelled = std::all_of(set.begin(), set.end(),
                                    [](const HeldOut& u) { return u.gender == 'M' || u.gender == 'F'; });
  if (!labelled) return;
  for (const Speaker speaker : {Speaker::kMale, Speaker::kFemale})
    if (!fs::exists(fs::path(data_folder) / recognize_speech::ModelFileOf(speaker))) return;
  DictationRecognizer male(data_folder, Speaker::kMale), female(data_folder, Speaker::kFemale);
  for (const DictationRecognizer* recognizer : {&male, &female}) {
    if (!recognizer->error().empty()) {
      std::printf("Held-out error rates with the speakers' models: skipped (%s)\n",
                  recognizer->error().c_str());
      return;
    }
  }
  PrintErrorRates(set, "models of the speaker's gender (\"SpeechM\", \"SpeechF\")",
                  [&](const HeldOut& u) -> DictationRecognizer& { return u.gender == 'M' ? male : female; });
}

// ---------------------------------------------------------------------------
// The search on a synthetic model

constexpr int kWords = 60000;
constexpr int kClasses = 500;
constexpr int kSyllables = 1400;
constexpr int kFrames = 500;  // 5 s

// The real database scores the frames of a synthetic utterance made from the
// model's own Gaussians; the front end only paces the search.
class SyntheticInput : public C_rAbstractHMMDataBase {
 public:
  SyntheticInput(C_rHMMDataBase* db, std::vector<std::vector<float>> frames)
      : db_(db), frames_(std::move(frames)) {}
  void reset() override {}
  void free_all() override {}
  vok::SymbolTable* get_HMMNameTable() override { return db_->get_HMMNameTable(); }
  float get_StateScore(int hmm, int state, int thread) override {
    return db_->get_StateScore(hmm, state, thread);
  }
  int get_numState() const override { return db_->get_numState(); }
  int get_numHMM() const override { return db_->get_numHMM(); }
  int get_HMMIndex(const char* name) const override { return db_->get_HMMIndex(name); }
  int assign_ThreadInput(int thread, int frame, const C_rStreamVectors&) override {
    const std::vector<float>& v = frames_[static_cast<std::size_t>(frame) % frames_.size()];
    const float* vectors[2] = {v.data(), v.data() + 39};
    return db_->assign_ThreadInput(thread, frame, {2, dims_, vectors});
  }

 private:
  C_rHMMDataBase* db_;
  std::vector<std::vector<float>> frames_;
  int dims_[2] = {39, 11};
};

class SearchSetup {
 public:
  SearchSetup() {
    const fs::path folder = fs::temp_directory_path() / "speech_bench";
    fs::create_directories(folder);
    std::mt19937 rng(5000);
    hmm_model_writer::SyntheticShape shape;
    shape.codeBooksPerStream = 75;
    shape.gaussiansPerCodeBook = 256;
    shape.numStates = 5001;
    model_ = hmm_model_writer::Synthetic(shape);
    // Centres over the whole range of their codes, so that the models are as
    // far apart as trained ones and the beams prune as they do on speech.
    std::uniform_int_distribution<int> centre_code(0, 255);
    for (auto& pair : model_.pairs)
      for (auto& c : pair.centre) c = static_cast<uint8_t>(centre_code(rng));
    const std::string model_path = (folder / "model.bin").string();
    hmm_model_writer::Write(model_, hmm_model_writer::ByteOrder::kBigEndian).Save(model_path);
    vok::Resources settings;
    settings.Put("Vastel", "StreamWeights", "1.0 0.5");
    settings.Put("Vastel", "LogDensityWeight", "12.0");
    settings.Put("Vastel", "HMMBailOut", "5.5");
    db_.set_Memory(&memory_);
    if (db_.read_file(model_path.c_str(), 1, settings) != 0) return;

    // Syllables of two models each; words of one to four syllables.
    const int hmms = db_.get_numHMM();
    std::uniform_int_distribution<int> model(1, hmms - 1);
    std::string table = "%BEGIN <SYLLABLE>\n";
    for (int s = 0; s < kSyllables; ++s)
      table += "S" + std::to_string(s) + " hmm" + std::to_string(model(rng)) + " hmm" +
               std::to_string(model(rng)) + "\n";
    table += "%END\n";
    const std::string table_path = (folder / "Syllable").string();
    std::ofstream(table_path) << table;
    syllables_ = std::make_unique<vok::CSyllableTable>(table_path.c_str(), db_.get_HMMNameTable());
    std::uniform_int_distribution<int> byte(0, 120), word_class(3, kClasses - 1), count(1, 500),
        syllable(0, kSyllables - 1), length(1, 4);
    std::vector<uint8_t> bytes(kClasses * kClasses);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(rng));
    std::vector<vok_testing::FixtureWord> words = {{"<S>", 0, 1000}, {"</S>", 1, 1000}, {"<UNK>", 2, 10}};
    for (int i = 3; i < kWords; ++i) words.push_back({"w" + std::to_string(i), word_class(rng), count(rng)});
    const std::string lm_path = (folder / "lm.bin").string(),
                      lexicon_path = (folder / "lexicon.txt").string();
    vok_testing::WriteClassBigramModel(lm_path, kClasses, bytes);
    vok_testing::WriteTextLexicon(lexicon_path, kClasses, words);
    core_ = std::make_unique<vok::CoreLM>(nullptr, lm_path.c_str());
    lexicon_ = std::make_unique<vok::CLexicon>(nullptr, lexicon_path.c_str(), core_.get(), nullptr);
    pronunciations_ = std::make_unique<vok::CLexTree>(kWords, "-", true);
    for (int s = 0; s < kSyllables; ++s) pronunciations_->AddSyllable(("S" + std::to_string(s)).c_str());
    std::vector<std::vector<int>> spelled(kWords);
    for (int w = 0; w < kWords; ++w) {
      std::string pron;
      for (int n = length(rng); n > 0; --n) {
        const int s = syllable(rng);
        spelled[static_cast<std::size_t>(w)].push_back(s);
        pron += (pron.empty() ? "S" : "-S") + std::to_string(s);
      }
      pronunciations_->AddPron(pron.c_str(), false, false);
    }
    fs::remove_all(folder);

    // Ten words in silence: each state of each model for three frames, its
    // best Gaussian's centre with noise, in the input's units.
    std::vector<int> states;
    const auto add_model = [&](int hmm) {
      for (int i = 0; i < 3; ++i)
        states.insert(states.end(), 3, model_.hmms[static_cast<std::size_t>(hmm)].states[i]);
    };
    for (int k = 0; k < 5; ++k) add_model(0);
    std::uniform_int_distribution<int> word(3, kWords - 1);
    while (states.size() < kFrames - 45) {
      const int w = word(rng);
      for (int s : spelled[static_cast<std::size_t>(w)]) {
        uint16_t list[8];
        if (syllables_->GetSyllableModels(s, list, 8) < 0) continue;
        for (int m = 1; m <= list[0]; ++m) add_model(list[m]);
      }
      spoken_.push_back(static_cast<uint16_t>(w));
    }
    while (states.size() < kFrames) add_model(0);
    states.resize(kFrames);
    std::normal_distribution<float> noise(0.0f, 0.3f);
    for (int state : states) {
      std::vector<float> frame;
      for (int s = 0; s < 2; ++s) {
        const auto& mixture = model_.mixtures[static_cast<std::size_t>(
            model_.states[static_cast<std::size_t>(state)].mixtures[static_cast<std::size_t>(s)])];
        const auto best =
            std::min_element(mixture.weights.begin(), mixture.weights.end()) - mixture.weights.begin();
        const auto& pair =
            model_.pairs[static_cast<std::size_t>(model_.codeBooks[static_cast<std::size_t>(mixture.codeBook)]
                                                      .pairs[static_cast<std::size_t>(best)])];
        for (int d = 0; d < model_.dims[static_cast<std::size_t>(s)]; ++d) {
          const float centre = model_.decoders[0].values[pair.centre[static_cast<std::size_t>(d)]];
          frame.push_back(model_.means[s][d] + model_.scales[s][d] * (centre + noise(rng)));
        }
      }
      frames_.push_back(frame);
    }
    input_ = std::make_unique<SyntheticInput>(&db_, frames_);
    ok_ = front_end_.setup_Std(1) == 0 && syllables_->status() == 0 && lexicon_->status() == 0;
    options_.PutFloat("Search", "LogProbMultiple", 13.0f);
    options_.PutInt("Search", "HMMSkipState", 0);
    options_.PutInt("LMBackend", "WordInsertionPenalty", -100);
    table_ = std::make_unique<vok::BackTraceTable>(2000, 50, 1);
    engine_ = std::make_unique<vok::TreeSearchEngine>(
        options_, vok::AcousticModels{input_.get(), &front_end_, syllables_.get()}, table_.get(),
        *pronunciations_, *core_, 0);
    back_end_ = std::make_unique<vok::CLMBackendEngine>(options_, lexicon_.get(), core_.get(), nullptr);
    // The front end holds the frames that pace the search.
    std::vector<int16_t> samples(static_cast<std::size_t>(kFrames + 8) * 110, 0);
    front_end_.resetEnvironment(0);
    front_end_.resetBuffer(0);
    front_end_.insert_LiveWaveData(0, samples.data(), static_cast<int>(samples.size()));
  }

  bool ok() const { return ok_; }
  vok::TreeSearchEngine& engine() { return *engine_; }
  vok::CLMBackendEngine& back_end() { return *back_end_; }
  vok::BackTraceTable& table() { return *table_; }
  const std::vector<uint16_t>& spoken() const { return spoken_; }

 private:
  hmm_model_writer::Model model_;
  C_rMemory memory_;
  C_rHMMDataBase db_;
  C_rFrontEnd front_end_;
  std::vector<std::vector<float>> frames_;
  std::unique_ptr<SyntheticInput> input_;
  std::unique_ptr<vok::CSyllableTable> syllables_;
  std::unique_ptr<vok::CoreLM> core_;
  std::unique_ptr<vok::CLexicon> lexicon_;
  std::unique_ptr<vok::CLexTree> pronunciations_;
  vok::Resources options_;
  std::unique_ptr<vok::BackTraceTable> table_;
  std::unique_ptr<vok::TreeSearchEngine> engine_;
  std::unique_ptr<vok::CLMBackendEngine> back_end_;
  std::vector<uint16_t> spoken_;
  bool ok_ = false;
};

SearchSetup& Setup() {
  static SearchSetup setup;
  return setup;
}

// One 5 s utterance per iteration at the dictation beams.
void BM_TreeSearch5s(benchmark::State& state) {
  SearchSetup& setup = Setup();
  if (!setup.ok()) {
    state.SkipWithError("set-up failed");
    return;
  }
  const vok::SearchParameters beams = vok_testing::DictationBeams();
  double processor_ms = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    setup.engine().RunWaveFile(&beams, nullptr);
    processor_ms += 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  state.counters["ms_per_frame"] = processor_ms / (static_cast<double>(state.iterations()) * kFrames);
  state.counters["active_per_frame"] = static_cast<double>(setup.engine().total_active()) /
                                       (static_cast<double>(setup.engine().timing().utterances()) * kFrames);
  state.counters["max_active"] = setup.engine().max_active();
  state.counters["frame_budget_ms"] = 9.98;
}
BENCHMARK(BM_TreeSearch5s)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The back end over the word ends of that utterance: decode and N-best.
void BM_BackEnd5s(benchmark::State& state) {
  SearchSetup& setup = Setup();
  if (!setup.ok()) {
    state.SkipWithError("set-up failed");
    return;
  }
  const vok::SearchParameters beams = vok_testing::DictationBeams();
  setup.engine().RunWaveFile(&beams, nullptr);
  vok::NBestList list(15);
  for (auto _ : state) {
    setup.back_end().Decode(&setup.table(), nullptr, 300, 5000);
    setup.back_end().GetNBest(&list, 1);
  }
  state.counters["lattice_records"] = setup.table().record_count();
  // Word errors of the best sentence against the words spoken.
  const auto words = [](const uint16_t* ids, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += "w" + std::to_string(ids[i]) + " ";
    return text;
  };
  vok::Scoring scoring;
  scoring.CompareSentences(words(setup.spoken().data(), setup.spoken().size()).c_str(),
                           list.count() > 0 ? words(list.Get(0).ids, list.Get(0).count).c_str() : "", true);
  int substitutions, insertions, deletions, n;
  float error = 0;
  scoring.GetTotalStats(&substitutions, &insertions, &deletions, &n, &error);
  state.counters["word_error_percent"] = error;
  state.counters["target_ms"] = 50;
}
BENCHMARK(BM_BackEnd5s)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const fs::path bin = fs::path(argv[0]).parent_path();
  data_folder = (bin / ".." / "data" / "China").string();
  corpus_folder = (bin / ".." / ".." / "speech-corpus").string();
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      data_folder = argv[++i];
    } else if (a == "--corpus" && i + 1 < argc) {
      corpus_folder = argv[++i];
    } else if (a == "--set" && i + 1 < argc) {
      set_name = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  PrintErrorRates();
  std::fflush(stdout);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
