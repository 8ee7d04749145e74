// The speech controller: the audio session, the acoustic system, the
// command networks of the grammars that speech is recognized with, the
// dictation system when the engine was started with dictation, and the
// recognition thread that takes each stored utterance through one route:
// dictation, a command grammar (one item, or the first items of its
// hypotheses), the Chinese-name or spelling grammar (texts), or any other
// grammar (the text of its best path).
//
// Threads: the client's workers start and stop listening and edit items; the
// recognition thread searches; the delivery thread runs the back end of a
// dictation utterance, and the work event keeps it and the recognition thread
// in step; the level timer thread posts the input level while listening.
// Locks, in the order they are taken: the state lock (listening, the thread,
// pending edits), the network lock (the command networks and the acoustic
// system, held by every search), then the grammar manager's lock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/api/audio_session.h"
#include "engine/api/command_network.h"
#include "engine/api/grammar_manager.h"
#include "engine/api/parameters.h"
#include "engine/api/recognizer.h"
#include "engine/api/vok_status.h"
#include "engine/api/worker_thread.h"

class VastelSystem;

namespace vok {
class CRecognitionSystem;
}  // namespace vok

namespace vok::api {

// The process-wide word notification 100 hands the client: 0 when the
// library is loaded, then whatever the client last wrote (-1 dictation, else
// a grammar id). The engine only reads it.
std::int32_t& UtteranceGrammarWord();

// One command-grammar item edit, applied at once or at the next utterance.
struct ItemEdit {
  enum Operation : std::uint8_t {
    kAddWord = 0,
    kAddPronunciation = 1,
    kRemove = 2,
    kEnable = 3,
    kDisable = 4
  };
  static constexpr std::size_t kMaxText = 200;

  Operation operation = kAddWord;
  std::int32_t grammar = 0;  // negative: the dictation system's command items
  std::int32_t item = 0;
  std::string text;
};

class CSpeechRecognizer final : public CRecognizer {
 public:
  static constexpr std::int32_t kNoGrammar = -2;
  static constexpr std::int32_t kDictationGrammar = -1;
  static constexpr unsigned kLevelMilliseconds = 100;
  static constexpr unsigned kIdleMilliseconds = CAudioSession::kBlockMilliseconds;
  static constexpr std::uint32_t kUtteranceStartTimeout = 5000;
  static constexpr std::uint32_t kAheadTimeout = 1000;
  static constexpr std::uint32_t kAnswerTimeout = 2000;
  // The dictation back end's constants.
  static constexpr float kClassBigramWeight = 1.0f;
  static constexpr float kWordProbWeight = 0.5f;
  static constexpr float kPageModelWeight = 2.0f;
  static constexpr int kWordInsertionPenalty = -100;
  static constexpr int kStackSearchBeam = 300;
  static constexpr int kNBestChoices = 15;

  // The acoustic system from the shared data set's store, the audio session
  // over `devices` with the user's wave folder, and with `dictation` the
  // dictation system. Null with kVokSetUpFailed when the acoustic system or
  // the dictation system does not load, kVokOutOfMemory when the session
  // cannot be made. `read_levels` reads the user's audio levels (at set-up
  // and whenever another engine changed them).
  static std::unique_ptr<CSpeechRecognizer> Create(const ControllerContext& context,
                                                   const EngineParameters& parameters, AudioDevices devices,
                                                   const std::string& wave_folder, bool dictation,
                                                   std::function<void()> read_levels, VokStatus* status);
  ~CSpeechRecognizer() override;

  // Stops listening, ends the recognition thread and the level timer: before
  // the result queue that the thread feeds goes away.
  void Shutdown();

  // -1 when the audio cannot be opened (not listening then).
  VokStatus Listen(bool on);
  bool listening();
  // True while a recognition thread runs.
  bool recognizing();
  CAudioSession& audio() { return *audio_; }
  // The wave file as input (null: the device again).
  VokStatus SelectInputFile(const char* path);

  // A command grammar of the manager with its empty network: kind 1 single
  // result, kind 3 multi-result.
  VokStatus NewCommandGrammar(std::uint32_t options, CGrammarManager::Kind kind, std::int32_t* id);
  // Applied at once while no recognition thread runs, else queued for the
  // next utterance (kVokOk); the text is cut to 200 bytes.
  VokStatus EditItem(ItemEdit edit);
  VokStatus GetConfidence(std::int32_t id, std::uint16_t* confidence);
  // Builds the grammar's network when it has none yet.
  VokStatus ExpandGrammar(std::int32_t id);
  // Drops the grammar's network before the manager deletes the grammar.
  void ForgetGrammar(std::int32_t id);
  void set_name_grammar(std::int32_t id) { name_grammar_.store(id); }
  void set_spelling_grammar(std::int32_t id) { spelling_grammar_.store(id); }

  // Stops listening, ends the recognition thread, reloads the acoustic
  // system from the model file and hands it to every search.
  VokStatus ChangeAcousticModel(const std::string& path);

  // The share of the set's utterances whose ten best hypotheses of the
  // grammar's network hold the reference text.
  VokStatus HitRatio(std::int32_t id, const std::string& path, float* ratio);

  std::uint32_t pending_utterances() { return audio_->UnreadUtterances(); }
  bool dictation() const { return dictation_ != nullptr; }

  // The dictation request: back end, single-word preference, records.
  void Recognize(VokRequest& request) override;
  void FreeRequest(VokRequest* request) override;

 private:
  enum class Route { kDone, kQueued, kNothing };

  CSpeechRecognizer(const ControllerContext& context, const EngineParameters& parameters,
                    std::function<void()> read_levels);
  VokStatus SetUp(AudioDevices devices, const std::string& wave_folder, bool dictation);
  bool LoadAcoustic();

  // The work event: set lets the recognition thread take its next turn.
  void SetWork();
  // Waits until the work event is set, then resets it; false on stop.
  bool TakeWork();
  // Waits up to 389 ms; false on stop.
  bool Idle();

  void RecognitionLoop();
  // Under the state lock: whether the thread ends now (and is marked so).
  bool ShouldEnd();
  void ApplyPendingEdits();
  void RefreshLevels();
  void RecognizeUtterance(std::uint32_t utterance);
  Route DictationRoute(std::uint32_t utterance);
  Route GrammarRoute(std::uint32_t utterance, std::int32_t grammar);
  Route CommandAnswer(std::uint32_t utterance, std::int32_t grammar, CCommandNetwork& network);
  Route MultiCommandAnswer(std::uint32_t utterance, std::int32_t grammar, CCommandNetwork& network);
  Route TextsAnswer(std::uint32_t utterance, std::int32_t grammar, CCommandNetwork& network, bool spelling);
  Route BestPathAnswer(std::uint32_t utterance, std::int32_t grammar, CCommandNetwork& network);
  // Posts a text record and an empty alternatives record with notification
  // 111 (sent with `send`); both freed when that fails.
  bool DeliverTexts(std::uint32_t utterance, std::int32_t grammar, const std::vector<std::string>& texts,
                    bool send);

  // For the holder of the network lock.
  CCommandNetwork* NetworkOf(std::int32_t id);
  VokStatus ApplyEdit(const ItemEdit& edit);
  VokStatus ApplyDictationEdit(const ItemEdit& edit, const std::string& pronunciation);
  // The pronunciation an item edit adds ("DA3-KAI1").
  VokStatus Pronunciation(const ItemEdit& edit, std::string* pronunciation);

  void StartLevelTimer();
  void StopLevelTimer();
  void LevelLoop();
  // Joins a recognition thread that has ended (for the holder of the state
  // lock).
  void JoinEndedThread();
  void EndRecognitionThread();

  ControllerContext context_;
  const EngineParameters& parameters_;
  std::function<void()> read_levels_;
  std::unique_ptr<VastelSystem> acoustic_;
  std::unique_ptr<CAudioSession> audio_;
  std::unique_ptr<vok::CRecognitionSystem> dictation_;

  std::mutex state_mutex_;
  bool listening_ = false;
  bool level_switch_ = false;  // parameter 0x1001 as latched when listening started
  std::unique_ptr<WorkerThread> thread_;
  bool thread_ending_ = false;
  std::vector<ItemEdit> pending_edits_;

  std::mutex network_mutex_;
  std::array<std::unique_ptr<CCommandNetwork>, CGrammarManager::kSlots> networks_;

  std::mutex work_mutex_;
  std::condition_variable work_signal_;
  bool work_ = true;
  std::atomic<bool> stop_{false};

  std::mutex timer_mutex_;
  std::condition_variable timer_signal_;
  bool timer_stop_ = false;
  std::unique_ptr<WorkerThread> timer_;

  std::atomic<std::int32_t> name_grammar_{kNoGrammar};
  std::atomic<std::int32_t> spelling_grammar_{kNoGrammar};
  std::uint32_t levels_generation_ = 0;
};

}  // namespace vok::api
