// Spoken commands end to end: models trained at run time on the training
// speakers of the bundled espeak-ng commands, loaded as the engine loads a
// dialect folder, and the held-out speakers decoded through both audio
// inputs, on a grammar's network and on items added one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/Vastel/vastel_system.h"
#include "engine/api/audio_session.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "tests/support/temporary_directory.h"
#include "tools/train_acoustic_model/wave_file.h"
#include "tools/train_command_models/testing/trained_command_models.h"

namespace vok_test {
namespace {

namespace fs = std::filesystem;

const std::string kCorpus = train_command_models::TrainedCommandModels::Corpus();
// The phrase outside the grammar.
const std::string kOutOfGrammar = "shou1yin1ji1";

struct HeldOut {
  std::string wave;
  std::string word;  // "da3kai1"
  std::string pron;  // "DA3-KAI1"
  std::vector<int16_t> samples;
};

// The engine's audio session over one wave file as its input: the capture
// thread end-points the file into the user's utterance files, which the
// search then reads as it reads live speech. No waiting between blocks.
class FileSession {
 public:
  FileSession() : session_(Devices()) { session_.SetUtteranceFolder(folder_.path().string()); }

  // The utterances the session stored from the file; false when it refused
  // the file or did not finish within a minute.
  bool Capture(const std::string& path, std::uint32_t* first, std::uint32_t* count) {
    *first = session_.next_utterance();
    if (session_.SelectInputFile(path.c_str()) != vok::api::kVokOk || !session_.Start()) return false;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (session_.running() && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    *count = session_.next_utterance() - *first;
    return !session_.running();
  }
  vok::UtteranceSource* source() { return &session_; }
  std::vector<int16_t> Samples(std::uint32_t utterance) {
    std::vector<int16_t> samples(1 << 20);
    auto count = static_cast<std::uint32_t>(samples.size());
    if (!session_.GetUtteranceData(utterance, samples.data(), &count)) count = 0;
    samples.resize(count);
    return samples;
  }

 private:
  static vok::api::AudioDevices Devices() {
    vok::api::AudioDevices devices;
    devices.sleep = [](unsigned) {};
    return devices;
  }

  testing_support::TemporaryDirectory folder_;
  vok::api::CAudioSession session_;
};

class CommandAudioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    quiet_ = std::tmpfile();
    vok::SetMessageStreams(quiet_, quiet_);
    models_ = new train_command_models::TrainedCommandModels;
    if (!models_->trained()) return;
    resources_ = new vok::Resources;
    acoustic_ = new VastelSystem;
    loaded_ = resources_->Merge(models_->File("Resources").c_str()) == 0 && acoustic_->Load(*resources_) == 0;
    if (!loaded_) return;
    // The lexicon: the words of "Pron.txt" in their order.
    words_ = new vok::SymbolTable(16);
    std::ifstream pron(models_->File("Pron.txt"));
    std::string line;
    std::getline(pron, line);
    std::getline(pron, line);
    while (std::getline(pron, line)) {
      const std::size_t blank = line.find(' ');
      prons_[line.substr(blank + 1)] = line.substr(0, blank);
      words_->Add(line.substr(blank + 1).c_str());
    }
    tree_ = new vok::CLexTree(models_->File("Pron.txt").c_str(), *acoustic_->syllable_table()->syllables(),
                              "-", false);
    std::ifstream list(kCorpus + "/heldout.list");
    while (std::getline(list, line)) {
      HeldOut h;
      h.wave = kCorpus + "/" + line.substr(0, line.find('\t'));
      std::istringstream syllables(line.substr(line.rfind('\t') + 1));
      for (std::string s; syllables >> s;) h.word += s;
      std::string error;
      auto samples = train_acoustic_model::ReadWave(h.wave, 11025, &error);
      if (!samples) continue;
      h.samples = std::move(*samples);
      heldout_.push_back(std::move(h));
    }
  }
  static void TearDownTestSuite() {
    delete tree_;
    delete words_;
    delete acoustic_;
    delete resources_;
    vok::SetMessageStreams(nullptr, nullptr);
    if (quiet_) std::fclose(quiet_);
    delete models_;
  }

  void SetUp() override {
    ASSERT_TRUE(models_->trained());
    ASSERT_TRUE(loaded_);
    ASSERT_EQ(heldout_.size(), 8u);
  }

  static vok::AcousticModels Models() { return vok::AcousticModels::Of(*acoustic_); }
  static int WordId(const std::string& word) { return words_->Find(word.c_str()); }

  // Frames of the front end in samples: the whole-buffer input's argument.
  static int Frames(const std::vector<int16_t>& samples) {
    return static_cast<int>(samples.size()) / acoustic_->front_end()->get_NumSamplesFrameAdvance();
  }

  struct Outcome {
    int item = -2;  // of the whole wave as one buffer
    int confidence = -2;
    int session_item = -2;  // of the audio session's utterance of the wave
  };
  static int BestItem(vok::NetSearchEngine* engine, int* confidence) {
    int item = -2;
    engine->GetBestItem(&item);
    engine->GetConfidence(confidence);
    return item;
  }
  // The wave through the whole-buffer input, and through the audio session,
  // whose end-pointer stores it as one utterance that the search reads as
  // live speech; that utterance through the whole-buffer input must give
  // what its live reading gave.
  static Outcome Recognize(vok::NetSearchEngine* engine, const HeldOut& h) {
    Outcome outcome;
    EXPECT_EQ(engine->RecognizeSamples(Frames(h.samples), h.samples.data(), nullptr), 0);
    outcome.item = BestItem(engine, &outcome.confidence);
    FileSession session;
    std::uint32_t first = 0, count = 0;
    EXPECT_TRUE(session.Capture(h.wave, &first, &count));
    EXPECT_EQ(count, 1u) << "the end-pointer cut the wave into " << count;
    if (count != 1) return outcome;
    EXPECT_EQ(engine->RunStoredUtterance(nullptr, static_cast<int>(first), session.source()), 0);
    int live_confidence = -2;
    outcome.session_item = BestItem(engine, &live_confidence);
    const std::vector<int16_t> stored = session.Samples(first);
    EXPECT_EQ(engine->RecognizeSamples(Frames(stored), stored.data(), nullptr), 0);
    int stored_confidence = -2;
    EXPECT_EQ(BestItem(engine, &stored_confidence), outcome.session_item);
    EXPECT_EQ(stored_confidence, live_confidence);
    return outcome;
  }

  static inline std::FILE* quiet_ = nullptr;
  static inline train_command_models::TrainedCommandModels* models_ = nullptr;
  static inline bool loaded_ = false;
  static inline vok::Resources* resources_ = nullptr;
  static inline VastelSystem* acoustic_ = nullptr;
  static inline vok::SymbolTable* words_ = nullptr;
  static inline vok::CLexTree* tree_ = nullptr;
  static inline std::map<std::string, std::string> prons_;
  static inline std::vector<HeldOut> heldout_;
};

// A grammar of the three commands with the options 0x11: each held-out
// command gives its word, the phrase outside the grammar gives none with
// confidence 0.
TEST_F(CommandAudioTest, GrammarNetworkRecognizesHeldOutSpeakers) {
  const std::string path = models_->File("commands.grammar");
  std::ofstream(path) << "%BEGIN <COMMANDS>\nda3kai1\n| guan1bi4\n| xia4yi2ye4\n%END\n";
  vok::LexiconOwner owner(words_);
  vok::CGrammar grammar(path.c_str(), 600, &owner);
  const vok::GrammarUnit* network = grammar.GetNetwork();
  ASSERT_NE(network, nullptr);
  vok::NetSearchEngine engine(*resources_, *network, Models(), *tree_);
  ASSERT_EQ(engine.status(), 0);
  ASSERT_EQ(engine.AddFillerLoops(), 0);
  ASSERT_EQ(engine.AddRejectionPath(), 0);
  for (const HeldOut& h : heldout_) {
    SCOPED_TRACE(h.wave);
    const Outcome outcome = Recognize(&engine, h);
    if (h.word == kOutOfGrammar) {
      // The session's end-pointer keeps almost nothing of the tail silence;
      // one held-out speaker's phrase then takes a command over the
      // rejection path, so rejection is held to the whole wave only.
      EXPECT_EQ(outcome.item, -1);
      EXPECT_EQ(outcome.confidence, 0);
    } else {
      EXPECT_EQ(outcome.item, WordId(h.word));
      EXPECT_GT(outcome.confidence, 0);
      EXPECT_EQ(outcome.session_item, WordId(h.word));
    }
  }
}

// The speech controller's way: an empty network, the items' pronunciations
// with a closing silence, the options 0x11 and a silence loop at the start.
TEST_F(CommandAudioTest, ItemNetworkRecognizesHeldOutSpeakers) {
  vok::BackTraceTable table(200, 50, 1);
  vok::NetSearchEngine engine(*resources_, Models(), &table);
  const std::vector<std::string> items = {"da3kai1", "guan1bi4", "xia4yi2ye4"};
  for (std::size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(engine.AddItemPron(prons_[items[i]].c_str(), static_cast<int>(100 + i), 1), 0);
  }
  ASSERT_EQ(engine.AddFillerLoops(), 0);
  ASSERT_EQ(engine.AddRejectionPath(), 0);
  ASSERT_EQ(engine.AddSilenceLoops(1), 0);
  // A speaker change hands the engine the record again; the network stays.
  const int transitions = engine.TransitionCount();
  engine.SetVastelSystem(*acoustic_);
  EXPECT_EQ(engine.TransitionCount(), transitions);
  for (const HeldOut& h : heldout_) {
    SCOPED_TRACE(h.wave);
    const Outcome outcome = Recognize(&engine, h);
    const auto position = std::find(items.begin(), items.end(), h.word);
    if (position == items.end()) {
      // The session's end-pointer keeps almost nothing of the tail silence;
      // one held-out speaker's phrase then takes a command over the
      // rejection path, so rejection is held to the whole wave only.
      EXPECT_EQ(outcome.item, -1);
      EXPECT_EQ(outcome.confidence, 0);
    } else {
      const int id = static_cast<int>(100 + (position - items.begin()));
      EXPECT_EQ(outcome.item, id);
      EXPECT_EQ(outcome.session_item, id);
    }
  }
}

}  // namespace
}  // namespace vok_test
