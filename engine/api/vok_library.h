// The state one process keeps for the engine library, and the work of the
// exported functions that need no recognizer: start-up and shut-down,
// parameters, notification, results, users and dialects, data folders,
// audio levels, best speech model, homophones and tools.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/api/audio_session.h"
#include "engine/api/data_folders.h"
#include "engine/api/engine.h"
#include "engine/api/engine_registry.h"
#include "engine/api/notifier.h"
#include "engine/api/parameters.h"
#include "engine/api/result_records.h"
#include "engine/api/user_list.h"
#include "engine/api/vok_status.h"
#include "platform/process_launcher.h"
#include "platform/registry_store.h"
#include "platform/window_notifier.h"

namespace vok::api {

inline constexpr std::uint32_t kKeyboardRecognizerFlag = 0x10000;
inline constexpr std::uint32_t kPenRecognizerFlag = 0x100000;
inline constexpr std::uint32_t kDictationFlag = 0x1000000;
inline constexpr std::uint32_t kCommandGrammarsFlag = 0x2000000;

// The operating system as the library sees it.
struct LibraryEnvironment {
  platform::RegistryStore& machine_registry;
  platform::RegistryStore& user_registry;
  platform::WindowNotifier& windows;
  SpeechModelCheck speech_check;
  CNotifier::Sleeper sleep;
};

class VokLibrary {
 public:
  explicit VokLibrary(const LibraryEnvironment& environment);
  ~VokLibrary();
  VokLibrary(const VokLibrary&) = delete;
  VokLibrary& operator=(const VokLibrary&) = delete;

  // The audio devices the next start-up's speech recognizer opens (the
  // system's by default).
  void SetAudioDevices(std::function<AudioDevices()> devices) { audio_devices_ = std::move(devices); }
  VokStatus InitializeEx(std::uint32_t flags);
  std::uint32_t Destroy();
  // The process ends with the engine started: give back its place in the
  // shared count, lock nothing, join nothing.
  void AbandonAtProcessExit();
  bool started() const { return started_; }

  VokStatus SetParam(std::uint32_t id, std::uint32_t value);
  VokStatus GetParam(std::uint32_t id, std::uint32_t* value);
  VokStatus SetNotification(platform::WindowHandle window);

  VokStatus GetNumUsers(std::uint32_t* count);
  VokStatus GetUsers(std::uint32_t* count, VokUserRecord* users);
  VokStatus GetCurrentUserInfo(VokUserRecord* user);
  VokStatus SetCurrentUserChecked(const char* name);  // refuses while any process is started
  VokStatus SetCurrentUser(const char* name);         // refuses while this process is started
  VokStatus UpdateUsers();
  VokStatus GetNumInstalledDialects(std::uint32_t* count);
  VokStatus GetInstalledDialects(std::uint32_t* count, std::uint32_t* dialects);
  std::uint32_t GetNumInstalledDialectsEx(const std::int32_t* data_folders);

  bool GetFolderPath(std::int32_t folder, char* buffer, std::uint32_t size);
  bool GetFilePath(std::int32_t data_folder, std::int32_t dialect, char* buffer, std::uint32_t size);
  VokStatus GetUserWavePath(const char* user_folder, char* wave_folder);
  VokStatus ClearDirectory(const char* folder);
  VokStatus GetAllSpeechFiles(std::uint32_t dialect, char* buffer, std::uint32_t* size, std::uint32_t* count);

  VokStatus SetAudioLevels(std::uint32_t first, std::uint32_t second);
  VokStatus GetAudioLevels(std::uint16_t* first, std::uint16_t* second);
  VokStatus SetBestSpeechFile(const char* name);
  VokStatus GetBestSpeechFile(char* buffer, std::uint32_t size);

  // The lexicon workers (vok_library_lexicon.cpp).
  VokStatus StringToWordID(const char* word, std::uint16_t* id);
  VokStatus WordIDToString(std::uint32_t id, char* buffer);
  VokStatus StringToPron(const char* text, char* buffer, std::int32_t size);
  VokStatus CharToProns(const char* character, char* buffer, std::int32_t size);
  VokStatus AddLexicon(const char* path);
  VokStatus AddWordToLexicon(const char* word, std::uint16_t category, const char* pronunciation);
  VokStatus DeleteWordFromLexicon(const char* word);
  VokStatus WriteLexicon();
  VokStatus SearchLexicon(const char* prefix, VokResult** result, std::uint32_t kind);

  VokStatus PronToHomophonesEx(const char* pronunciation, const char** homophones);
  VokStatus PronToHomophones(const char* pronunciation, std::uint16_t* first, std::uint16_t* second);
  VokStatus LaunchTool(std::int32_t tool, const char* arguments, bool suspended,
                       platform::ProcessInformation* information);

  std::uint32_t GetNumPendingResults();
  VokStatus ClearPendingResults();

  // The pen workers (vok_library_pen.cpp): 20480 without the pen recognizer.
  VokStatus PRProcessStroke(std::uint32_t count, const std::uint32_t* points);
  VokStatus PRRecognize();
  VokStatus PRClearStrokes();
  VokStatus AddGesture(const char* name, std::int32_t strokes, const void* data, std::uint32_t size);
  VokStatus RemoveGesture(const char* name);
  VokStatus EnumGesture(std::int32_t index, vok::GestureTemplate* record);

  // The keyboard workers (vok_library_keyboard.cpp): 20480 without the
  // keyboard recognizer.
  VokStatus KRProcessKey(std::uint32_t key);
  VokStatus KRProcessKeySet(const char* keys);
  VokStatus KRRecognize();
  VokStatus KRClearKeys();
  VokStatus KRGetKeyBuffer(std::uint32_t size, char* buffer);

  // The speech workers (vok_library_speech.cpp): 12288 without the speech
  // recognizer.
  VokStatus SRStartRecognition(std::uint16_t on);
  VokStatus SRClearAudioBuffer();
  VokStatus SRNewCommandGrammar(std::uint32_t options, CGrammarManager::Kind kind, std::int32_t* id);
  VokStatus SRAddCommandGrammarItem(std::int32_t grammar, std::int32_t item, const char* text,
                                    std::uint16_t required);
  VokStatus SRRemoveCommandGrammarItem(std::int32_t grammar, std::int32_t item);
  VokStatus SREnableCommandGrammarItem(std::int32_t grammar, std::int32_t item, std::uint16_t enable);
  VokStatus SRFinishCommandGrammar(std::int32_t grammar);
  VokStatus SRGetConfidence(std::int32_t command, std::uint16_t* confidence);
  VokStatus SRChangeSpeaker();
  // -1 without the speech recognizer.
  VokStatus SetWavFileInput(const char* path);
  VokStatus IsValidWavFile(const char* path);
  VokStatus PlaybackSentence(std::int32_t index, std::uint32_t flags);
  // 4096 without the speech recognizer.
  VokStatus DeleteSentences(std::int32_t index);
  VokStatus GetUttData(std::int32_t index, void* buffer, std::uint32_t* count);
  VokStatus ExpandGrammarNow(std::int32_t id);
  VokStatus GetHitRatio(std::int32_t grammar, const char* path, float* ratio);
  // Deleting a grammar drops the speech recognizer's network of it first.
  VokStatus DeleteGrammar(std::int32_t id);
  VokStatus NewDataFolderGrammar(std::int32_t folder, std::int32_t* id);

  // What a recognizer flag asks of an engine without that recognizer.
  VokStatus NeedsGrammarManager() const { return started_ ? kVokNoGrammarManager : kVokNotStarted; }

  ResultRecords& records() { return records_; }
  CNotifier& notifier() { return notifier_; }
  EngineParameters& parameters() { return parameters_; }
  DataFolders& folders() { return folders_; }
  CEngine* engine() { return engine_.get(); }
  const std::optional<VokUserRecord>& current_user() const { return current_user_; }
  std::uint32_t speaker() const { return speaker_; }

 private:
  VokStatus EnsureUserList();
  VokStatus ReadCurrentUser();
  VokStatus BuildEngine(std::uint32_t flags);
  VokStatus SetUpEngine(CEngine& engine, std::uint32_t flags);
  RecognizerPresence Presence() const;
  VokStatus BuildRecognizers(CEngine& engine, std::uint32_t flags);
  template <typename Call>
  VokStatus WithPen(Call call);
  template <typename Call>
  VokStatus WithKeyboard(Call call);
  template <typename Call>
  VokStatus WithSpeech(VokStatus missing, Call call);
  std::string PrefsPath() const;
  // Runs a lexicon call under the lexicon lock; kVokNotStarted before
  // start-up.
  template <typename Call>
  VokStatus WithLexicon(Call call);
  // An edit under the named mutex that keeps the edits of all processes
  // apart; `check_instances`: refused (kVokLexiconBusy) when more engines are
  // started than the mutex's state allows.
  template <typename Edit>
  VokStatus LexiconEdit(bool check_instances, Edit edit);

  EngineRegistry registry_;
  DataFolders folders_;
  SpeechModelCheck speech_check_;
  ResultRecords records_;
  CNotifier notifier_;
  EngineParameters parameters_;
  std::mutex lifecycle_mutex_;
  std::unique_ptr<CUserList> users_;
  std::optional<VokUserRecord> current_user_;
  std::unique_ptr<CEngine> engine_;
  std::mutex lexicon_mutex_;
  std::atomic<bool> started_{false};
  std::uint32_t speaker_ = 0;
  std::function<AudioDevices()> audio_devices_ = SystemAudioDevices;
};

}  // namespace vok::api
