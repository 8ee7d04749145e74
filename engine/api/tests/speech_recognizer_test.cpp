// The speech recognizer on spoken commands: models trained once from the
// bundled espeak-ng commands into the tree's dialect folder, a lexicon whose
// words are those commands, and the held-out waves fed through the file
// input of the audio session as a client would feed them.
#include "engine/api/speech_recognizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/Vastel/vastel_system.h"
#include "engine/api/command_network.h"
#include "engine/api/engine.h"
#include "engine/api/result_records.h"
#include "engine/api/shared_section.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/utterance_set_file.h"
#include "engine/api/vok_library.h"
#include "engine/api/wave_file.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "tools/train_command_models/testing/trained_command_models.h"

namespace vok::api {
namespace {

namespace fs = std::filesystem;

const std::string kCorpus = train_command_models::TrainedCommandModels::Corpus();

// The commands as words of the lexicon (GB2312) with their pronunciations.
struct Command {
  const char* word;
  const char* pron;
  const char* wave;  // a held-out speaker's
};
const Command kOpen{"\xb4\xf2\xbf\xaa", "DA3-KAI1", "wav/dakai-m4.wav"};
const Command kClose{"\xb9\xd8\xb1\xd5", "GUAN1-BI4", "wav/guanbi-m4.wav"};
const Command kNext{"\xcf\xc2\xd2\xbb\xd2\xb3", "XIA4-YI2-YE4", "wav/xiayiye-m4.wav"};
const Command kCommands[] = {kOpen, kClose, kNext};

constexpr std::uint32_t kFlags = kCommandGrammarsFlag;

// What the client saw of one utterance's answer.
struct Answer {
  std::uint32_t message = 0;  // WM_USER + n
  std::uint32_t utterance = 0;
  std::uint32_t grammar = 0;
  std::vector<std::uint32_t> values;  // 112: the item; 116: the list
  std::vector<std::string> texts;     // 111: the first record's texts
  std::uint32_t count = 0;            // 111: the first record's count
};

// The client window: answers notification 100 with a grammar id of its
// choice and copies every answer while it is valid.
class SpeechClient : public testing::ScriptedWindows {
 public:
  std::optional<std::uintptr_t> Send(platform::WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wparam, std::intptr_t lparam,
                                     std::uint32_t timeout) override {
    if (IsWindow(window)) Capture(message, wparam, lparam);
    return ScriptedWindows::Send(window, message, wparam, lparam, timeout);
  }
  bool Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    const bool posted = ScriptedWindows::Post(window, message, wparam, lparam);
    if (posted) Capture(message, wparam, lparam);
    return posted;
  }

  std::vector<Answer> Answers() {
    std::lock_guard lock(answers_mutex_);
    return answers_;
  }
  bool ended() {
    std::lock_guard lock(answers_mutex_);
    return ended_;
  }

  // The grammar id written for utterance n; nullopt leaves the word alone.
  std::function<std::optional<std::int32_t>(std::uint32_t)> choose;
  // Runs while notification 100 of utterance n is being answered.
  std::function<void(std::uint32_t)> on_utterance;
  std::vector<std::uint32_t> levels;

 private:
  void Capture(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    Answer answer;
    answer.message = message;
    switch (message) {
      case kNotifyUtteranceStart:
        if (choose) {
          if (const auto id = choose(static_cast<std::uint32_t>(wparam)))
            *reinterpret_cast<std::int32_t*>(lparam) = *id;
        }
        if (on_utterance) on_utterance(static_cast<std::uint32_t>(wparam));
        return;
      case kNotifyCommand: {
        const auto* record = reinterpret_cast<const VokCommandRecord*>(wparam);
        answer.utterance = record->utterance;
        answer.grammar = record->grammar;
        answer.values = {record->answer};
        break;
      }
      case kNotifyMultiCommand: {
        const auto* record = reinterpret_cast<const VokMultiCommandRecord*>(wparam);
        answer.utterance = record->utterance;
        answer.grammar = record->grammar;
        answer.values.assign(record->items + 1, record->items + 1 + record->items[0]);
        break;
      }
      case kNotifyResult: {
        const auto* record = reinterpret_cast<const VokResult*>(wparam);
        answer.utterance = record->sequence;
        answer.grammar = record->second_word;
        answer.count = record->count;
        if (IsTextKind(record->kind)) {
          for (std::uint32_t i = 0; i < record->count; ++i)
            answer.texts.emplace_back(static_cast<char* const*>(record->entries)[i]);
        }
        break;
      }
      case kNotifyInputLevel: {
        std::lock_guard lock(answers_mutex_);
        levels.push_back(static_cast<std::uint32_t>(wparam));
        return;
      }
      case kNotifyListeningEnded: {
        std::lock_guard lock(answers_mutex_);
        ended_ = true;
        return;
      }
      default:
        return;
    }
    std::lock_guard lock(answers_mutex_);
    answers_.push_back(std::move(answer));
  }

  std::mutex answers_mutex_;
  std::vector<Answer> answers_;
  bool ended_ = false;
};

class SpeechRecognizerTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    quiet_ = std::tmpfile();
    vok::SetMessageStreams(quiet_, quiet_);
    models_ = new train_command_models::TrainedCommandModels;
  }
  static void TearDownTestSuite() {
    vok::SetMessageStreams(nullptr, nullptr);
    if (quiet_) std::fclose(quiet_);
    delete models_;
  }

  SpeechRecognizerTest()
      : library_(LibraryEnvironment{machine_, user_, client_, [](const std::string&) { return true; },
                                    [](std::uint32_t) {}}) {
    SharedSection().instance_count.store(0);
    UtteranceGrammarWord() = 0;
    machine_.WriteText(kEngineRegistryKey, "InstallPath", tree_.root());
    tree_.AddDialect("China");
    tree_.AddUser("ChinaMale", testing::ProfileHeader(0x10));
    machine_.WriteText(kEngineRegistryKey, "User", "ChinaMale");
    library_.SetAudioDevices([] {
      AudioDevices devices;
      devices.sleep = [](unsigned) {};
      return devices;
    });
  }
  ~SpeechRecognizerTest() override { library_.Destroy(); }

  void SetUp() override {
    ASSERT_TRUE(models_->trained());
    WriteCommandLanguage();
    ASSERT_EQ(library_.InitializeEx(kFlags), kVokOk);
    ASSERT_EQ(library_.SetNotification(testing::ScriptedWindows::kWindow), kVokOk);
  }

  // The dialect folder's lexicon with the commands after the tree's words,
  // their pronunciations, and the trained models through "Resources".
  void WriteCommandLanguage() {
    const std::string folder = tree_.Path("Data/China");
    std::vector<std::string> words;
    for (const Command& command : kCommands) words.emplace_back(command.word);
    testing::WriteLanguageFiles(folder, words);
    const auto& tree_words = testing::TreeWords();
    const int first = static_cast<int>(tree_words.size()) + 9;
    vok::CLexTree tree(first + static_cast<int>(words.size()), "-", false);
    for (std::size_t w = 0; w < tree_words.size(); ++w)
      tree.AddPronsAt(static_cast<int>(w), tree_words[w].pron, true);
    for (std::size_t c = 0; c < words.size(); ++c)
      tree.AddPronsAt(first + static_cast<int>(c), kCommands[c].pron, true);
    tree.WriteBinary((folder + "/Pron").c_str());
    fs::copy_file(models_->File("Resources"), folder + "/Resources", fs::copy_options::overwrite_existing);
  }

  CSpeechRecognizer& speech() { return *library_.engine()->speech; }

  std::int32_t CommandGrammar(CGrammarManager::Kind kind, std::uint32_t options = 0x11) {
    std::int32_t id = -1;
    EXPECT_EQ(library_.SRNewCommandGrammar(options, kind, &id), kVokOk);
    return id;
  }
  // Items 100, 101, 102: the first as a word, the others as pronunciations.
  void AddCommands(std::int32_t grammar) {
    EXPECT_EQ(library_.SRAddCommandGrammarItem(grammar, 100, kOpen.word, 1), kVokOk);
    EXPECT_EQ(library_.SRAddCommandGrammarItem(grammar, 101, kClose.pron, 1), kVokOk);
    EXPECT_EQ(library_.SRAddCommandGrammarItem(grammar, 102, kNext.pron, 1), kVokOk);
  }

  // Listens to the waves one after another (as one file) until `answers`
  // utterances were answered, then stops listening; false on a time-out.
  bool Listen(const std::vector<std::string>& waves, std::size_t answers) {
    const std::string path = tree_.Path("in.wav");
    std::vector<std::int16_t> all;
    for (const std::string& wave : waves) {
      CWaveFile file;
      if (!file.OpenForReading(kCorpus + "/" + wave)) return false;
      std::vector<std::int16_t> samples(file.SampleCount());
      samples.resize(file.Read(samples));
      all.insert(all.end(), samples.begin(), samples.end());
    }
    {
      CWaveFile out;
      if (!out.OpenForWriting(path) || !out.Append(all) || !out.Close()) return false;
    }
    if (library_.SetWavFileInput(path.c_str()) != kVokOk) return false;
    if (library_.SRStartRecognition(1) != kVokOk) return false;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (client_.Answers().size() < answers && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    library_.SRStartRecognition(0);
    while (!client_.ended() && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return client_.ended() && client_.Answers().size() == answers;
  }

  static inline std::FILE* quiet_ = nullptr;
  static inline train_command_models::TrainedCommandModels* models_ = nullptr;

  testing::EngineTree tree_;
  platform::MemoryRegistryStore machine_, user_;
  SpeechClient client_;
  VokLibrary library_;
};

// A client that never writes the grammar-id word has every utterance routed
// to grammar 0: its best item, or the empty pair when there is no grammar 0.
TEST_F(SpeechRecognizerTest, UnwrittenGrammarWordRoutesToGrammarZero) {
  ASSERT_TRUE(Listen({kClose.wave}, 1));
  auto answers = client_.Answers();
  EXPECT_EQ(answers[0].message, kNotifyResult);
  EXPECT_EQ(answers[0].grammar, 0u);
  EXPECT_EQ(answers[0].count, 0u);

  const std::int32_t grammar = CommandGrammar(CGrammarManager::kSingleResultCommand);
  ASSERT_EQ(grammar, 0);
  AddCommands(grammar);
  ASSERT_TRUE(Listen({kClose.wave}, 2));
  answers = client_.Answers();
  EXPECT_EQ(answers[1].message, kNotifyCommand);
  EXPECT_EQ(answers[1].grammar, 0u);
  EXPECT_EQ(answers[1].values, std::vector<std::uint32_t>{101});
}

// Kind 1 answers the best item with 112, kind 3 the first item of each
// hypothesis with 116, the best first.
TEST_F(SpeechRecognizerTest, CommandGrammarKindsAnswerTheirItems) {
  const std::int32_t single = CommandGrammar(CGrammarManager::kSingleResultCommand);
  const std::int32_t multi = CommandGrammar(CGrammarManager::kMultiResultCommand);
  AddCommands(single);
  AddCommands(multi);
  client_.choose = [&](std::uint32_t utterance) { return utterance < 3 ? single : multi; };
  ASSERT_TRUE(Listen({kOpen.wave, kClose.wave, kNext.wave, kOpen.wave, kNext.wave}, 5));
  const auto answers = client_.Answers();
  const std::uint32_t expected[] = {100, 101, 102, 100, 102};
  for (std::size_t u = 0; u < 5; ++u) {
    SCOPED_TRACE(u);
    EXPECT_EQ(answers[u].utterance, u);
    ASSERT_FALSE(answers[u].values.empty());
    EXPECT_EQ(answers[u].values[0], expected[u]);
    EXPECT_EQ(answers[u].message, u < 3 ? kNotifyCommand : kNotifyMultiCommand);
    EXPECT_EQ(answers[u].grammar, static_cast<std::uint32_t>(u < 3 ? single : multi));
  }
}

// An item added while listening waits for the next utterance: the first
// utterance of the opening command still finds only the closing one.
TEST_F(SpeechRecognizerTest, EditWhileListeningTakesEffectAtTheNextUtterance) {
  const std::int32_t grammar = CommandGrammar(CGrammarManager::kSingleResultCommand, 0);
  ASSERT_EQ(library_.SRAddCommandGrammarItem(grammar, 101, kClose.pron, 1), kVokOk);
  client_.on_utterance = [&](std::uint32_t utterance) {
    if (utterance == 0) {
      EXPECT_EQ(library_.SRAddCommandGrammarItem(grammar, 100, kOpen.word, 1), kVokOk);
    }
  };
  ASSERT_TRUE(Listen({kOpen.wave, kOpen.wave}, 2));
  const auto answers = client_.Answers();
  EXPECT_EQ(answers[0].values, std::vector<std::uint32_t>{101});
  EXPECT_EQ(answers[1].values, std::vector<std::uint32_t>{100});
}

// A command-only recognizer answers a dictation utterance (-1) with the
// empty pair and still takes the next utterance.
TEST_F(SpeechRecognizerTest, DictationWithoutDictationSystemGivesTheEmptyPair) {
  const std::int32_t grammar = CommandGrammar(CGrammarManager::kSingleResultCommand);
  AddCommands(grammar);
  client_.choose = [&](std::uint32_t utterance) { return utterance == 0 ? -1 : grammar; };
  ASSERT_TRUE(Listen({kOpen.wave, kNext.wave}, 2));
  const auto answers = client_.Answers();
  EXPECT_EQ(answers[0].message, kNotifyResult);
  EXPECT_EQ(answers[0].grammar, 0xFFFFFFFFu);
  EXPECT_EQ(answers[0].count, 0u);
  EXPECT_EQ(answers[1].values, std::vector<std::uint32_t>{102});
}

// Grammar ids beyond the 100 slots and grammars without a network end in the
// empty pair; items go only to command grammars.
TEST_F(SpeechRecognizerTest, GrammarIdsOutsideTheCommandGrammars) {
  std::int32_t plain = -1;
  ASSERT_EQ(library_.engine()->grammars->NewGrammar(nullptr, false, 0, CGrammarManager::kPlain, &plain),
            kVokOk);
  EXPECT_EQ(library_.SRAddCommandGrammarItem(plain, 1, kOpen.pron, 1), kVokBadGrammarId);
  EXPECT_EQ(library_.SRAddCommandGrammarItem(100, 1, kOpen.pron, 1), kVokBadGrammarId);
  EXPECT_EQ(library_.SRAddCommandGrammarItem(-5, 1, kOpen.pron, 1), kVokBadGrammarId);  // no dictation
  EXPECT_EQ(library_.SRAddCommandGrammarItem(plain, 1, "", 1), kVokTextRefused);
  const std::int32_t choices[] = {100, 0x7FFFFFFF, plain};
  client_.choose = [&](std::uint32_t utterance) { return choices[std::min<std::uint32_t>(utterance, 2)]; };
  ASSERT_TRUE(Listen({kOpen.wave, kOpen.wave, kOpen.wave}, 3));
  const auto answers = client_.Answers();
  for (std::size_t u = 0; u < 3; ++u) {
    SCOPED_TRACE(u);
    EXPECT_EQ(answers[u].message, kNotifyResult);
    EXPECT_EQ(answers[u].grammar, static_cast<std::uint32_t>(choices[u]));
    EXPECT_EQ(answers[u].count, 0u);
  }
}

// Without a notification window notification 116 cannot be sent: the empty
// pair that takes its place cannot be posted either and the engine frees it.
TEST_F(SpeechRecognizerTest, MultiResultWithoutWindowFreesTheEmptyPair) {
  const std::int32_t grammar = CommandGrammar(CGrammarManager::kMultiResultCommand);
  AddCommands(grammar);
  client_.alive = false;
  ASSERT_EQ(library_.SetWavFileInput(VOK_AUDIO_FIXTURE), kVokOk);
  ASSERT_EQ(library_.SRStartRecognition(1), kVokOk);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while ((speech().audio().running() || speech().pending_utterances() > 0) &&
         std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(library_.SRStartRecognition(0), kVokOk);
  while (speech().recognizing() && std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(speech().recognizing());
  EXPECT_GT(speech().audio().next_utterance(), 0u);
  EXPECT_EQ(library_.records().live_count(), 0u);
}

// The spelling grammar's entry of a hypothesis is its last double-byte
// character.
TEST_F(SpeechRecognizerTest, SpellingEntryIsTheLastCharacter) {
  tree_.WriteFile("Data/China/Grammars/Spell",
                  std::string("%BEGIN <SPELL>\n") + kOpen.word + "\n| " + kClose.word + "\n%END\n");
  std::int32_t spelling = -1;
  ASSERT_EQ(library_.NewDataFolderGrammar(kGrammarsSpell, &spelling), kVokOk);
  client_.choose = [&](std::uint32_t) { return spelling; };
  ASSERT_TRUE(Listen({kOpen.wave}, 1));
  const auto answers = client_.Answers();
  EXPECT_EQ(answers[0].message, kNotifyResult);
  ASSERT_FALSE(answers[0].texts.empty());
  EXPECT_EQ(answers[0].texts[0], "\xbf\xaa");
}

// The wave workers: file input, playback of a recorded and of a missing
// utterance, deleting the stored utterances.
TEST_F(SpeechRecognizerTest, WaveWorkers) {
  ASSERT_EQ(library_.SetParam(0x1001, 1), kVokOk);
  EXPECT_EQ(library_.SetWavFileInput(tree_.Path("none.wav").c_str()), kVokFileMissing);
  EXPECT_EQ(library_.IsValidWavFile(VOK_AUDIO_FIXTURE), kVokOk);
  EXPECT_EQ(library_.IsValidWavFile(tree_.Path("none.wav").c_str()), kVokFileMissing);
  EXPECT_EQ(library_.PlaybackSentence(0, 1), kVokBadArgument);
  ASSERT_TRUE(Listen({kOpen.wave}, 1));
  // Stopping posts the level 0.
  ASSERT_FALSE(client_.levels.empty());
  EXPECT_EQ(client_.levels.back(), 0u);
  EXPECT_EQ(library_.PlaybackSentence(0, 1), kVokOk);
  EXPECT_EQ(library_.PlaybackSentence(7, 1), kVokBadArgument);
  EXPECT_EQ(library_.DeleteSentences(-1), kVokOk);
  EXPECT_EQ(library_.PlaybackSentence(0, 1), kVokBadArgument);
}

// No capture device: listening does not start; the level switch then posts
// nothing either.
TEST_F(SpeechRecognizerTest, NoCaptureDeviceRefusesToListen) {
  ASSERT_EQ(library_.SetParam(0x1001, 1), kVokOk);
  EXPECT_EQ(library_.SRStartRecognition(1), kVokInternalFailure);
  EXPECT_FALSE(speech().listening());
  EXPECT_FALSE(speech().recognizing());
  EXPECT_EQ(library_.SRStartRecognition(0), kVokOk);
}

// Shutting down while the thread recognizes: the thread is stopped and
// joined before the queue it feeds goes away.
TEST_F(SpeechRecognizerTest, DestroyWhileRecognizing) {
  const std::int32_t grammar = CommandGrammar(CGrammarManager::kSingleResultCommand);
  AddCommands(grammar);
  ASSERT_EQ(library_.SetWavFileInput(VOK_AUDIO_FIXTURE), kVokOk);
  ASSERT_EQ(library_.SRStartRecognition(1), kVokOk);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  library_.Destroy();
  EXPECT_FALSE(library_.started());
}

// The hit ratio of a grammar of the three commands over a set of held-out
// commands: each reference found among the ten best is a hit, the phrase
// outside the grammar and the skipped utterance count in the divisor only.
TEST_F(SpeechRecognizerTest, HitRatioOverAnUtteranceSet) {
  tree_.WriteFile("Data/China/Grammars/CName", std::string("%BEGIN <COMMANDS>\n") + kOpen.word + "\n| " +
                                                   kClose.word + "\n| " + kNext.word + "\n%END\n");
  std::int32_t grammar = -1;
  ASSERT_EQ(library_.NewDataFolderGrammar(kGrammarsCName, &grammar), kVokOk);
  UtteranceSetContents contents;
  const struct {
    const char* wave;
    const char* reference;
    bool skipped;
  } kUtterances[] = {{"wav/dakai-f4.wav", kOpen.word, false},
                     {"wav/guanbi-f4.wav", kClose.word, false},
                     {"wav/guanbi-m4.wav", kClose.word, false},
                     {"wav/shouyinji-f4.wav", "\xca\xd5\xd2\xf4\xbb\xfa", false},
                     {"wav/dakai-m4.wav", kOpen.word, true}};
  for (const auto& u : kUtterances) {
    CWaveFile file;
    ASSERT_TRUE(file.OpenForReading(kCorpus + "/" + u.wave));
    UtteranceSetEntry entry;
    entry.samples.resize(file.SampleCount());
    entry.samples.resize(file.Read(entry.samples));
    entry.first_text = u.reference;
    entry.second_text = u.reference;
    entry.skipped = u.skipped;
    contents.utterances.push_back(std::move(entry));
  }
  const auto bytes = WriteUtteranceSet(contents, kUtteranceSetVersion);
  tree_.WriteFile("hits.set", std::string(bytes.begin(), bytes.end()));
  float ratio = -1.0f;
  ASSERT_EQ(library_.GetHitRatio(grammar, tree_.Path("hits.set").c_str(), &ratio), kVokOk);
  EXPECT_FLOAT_EQ(ratio, 3.0f / 5.0f);

  EXPECT_EQ(library_.GetHitRatio(grammar, tree_.Path("none.set").c_str(), &ratio), kVokFileMissing);
  EXPECT_EQ(library_.GetHitRatio(grammar + 1, tree_.Path("hits.set").c_str(), &ratio), kVokInternalFailure);
  EXPECT_EQ(library_.GetHitRatio(100, tree_.Path("hits.set").c_str(), &ratio), kVokInternalFailure);
}

// A stored utterance counts its length in blocks of 165 samples; the front
// end advances 110 at a time, so the search must see about one and a half
// frames per block, or the last third of every recording goes undecoded.
TEST_F(SpeechRecognizerTest, StoredUtterancesAreDecodedWhole) {
  vok::Resources resources;
  VastelSystem acoustic;
  ASSERT_EQ(resources.Merge(models_->File("Resources").c_str()), 0);
  ASSERT_EQ(acoustic.Load(resources), 0);
  VokStatus status = kVokOk;
  auto network = CCommandNetwork::Empty(resources, vok::AcousticModels::Of(acoustic), 0, &status);
  ASSERT_NE(network, nullptr);
  ASSERT_EQ(network->AddItem(0, kClose.pron), kVokOk);
  CWaveFile file;
  ASSERT_TRUE(file.OpenForReading(kCorpus + "/" + kClose.wave));
  std::vector<std::int16_t> samples(file.SampleCount());
  samples.resize(file.Read(samples));
  ASSERT_EQ(network->RecognizeStored(samples), 0);
  const auto advance = static_cast<std::size_t>(acoustic.front_end()->get_NumSamplesFrameAdvance());
  // All but the frames of the analysis window's overhang.
  EXPECT_GT(4 * static_cast<std::size_t>(network->search().frames()), 3 * (samples.size() / advance));
  EXPECT_EQ(network->BestItem(), 0);
}

}  // namespace
}  // namespace vok::api
