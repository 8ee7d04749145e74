#include "engine/api/vok_library.h"

#include <cstring>
#include <new>

#include "engine/api/engine_defaults.h"
#include "engine/api/shared_section.h"
#include "engine/api/user_settings.h"
#include "engine/core/lexicon.h"
#include "platform/file_access.h"
#include "platform/folder_listing.h"

namespace vok::api {
namespace {

// The bytes the caller's buffer of __VOKGetUserWavePath holds.
constexpr std::size_t kWavePathBytes = 260;
// Command lines of the tools are refused beyond this many bytes.
constexpr std::size_t kMaxToolCommandLine = 1024;
constexpr const char* kTools[] = {"Fennoy.exe", "Vorlam.exe", "Huskett.exe", "Tambrel.exe", "Pordwin.exe"};

bool IsAbsolute(const std::string& path) {
#if defined(_WIN32)
  return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
#else
  return !path.empty() && path[0] == '/';
#endif
}

// One count less, never below zero.
std::uint32_t DecrementShared() {
  auto& count = SharedSection().instance_count;
  std::uint32_t current = count.load();
  while (current > 0 && !count.compare_exchange_weak(current, current - 1)) {
  }
  return current > 0 ? current - 1 : 0;
}

}  // namespace

VokLibrary::VokLibrary(const LibraryEnvironment& environment)
    : registry_(environment.machine_registry, environment.user_registry),
      folders_(registry_),
      speech_check_(environment.speech_check),
      notifier_(environment.windows, environment.sleep) {}

VokLibrary::~VokLibrary() {
  if (started_) Destroy();
}

VokStatus VokLibrary::EnsureUserList() {
  if (users_) return kVokOk;
  users_ = std::make_unique<CUserList>(folders_, speech_check_);
  users_->RebuildDialects({kLexiconFolder, kPron});
  return users_->Scan();
}

VokStatus VokLibrary::ReadCurrentUser() {
  current_user_.reset();
  if (users_->users().empty()) return kVokNoUsers;
  const auto name = registry_.CurrentUserName();
  if (!name) return kVokNoCurrentUser;
  const VokUserRecord* record = users_->Find(*name);
  if (record == nullptr) return kVokNoCurrentUser;
  current_user_ = *record;
  return kVokOk;
}

RecognizerPresence VokLibrary::Presence() const {
  RecognizerPresence presence;
  presence.started = started_;
  presence.pen = started_ && engine_->pen != nullptr;
  presence.keyboard = started_ && engine_->keyboard != nullptr;
  presence.speech = started_ && engine_->speech != nullptr;
  presence.dictation = presence.speech && engine_->speech->dictation();
  return presence;
}

std::string VokLibrary::PrefsPath() const {
  return current_user_ ? std::string(current_user_->path) + "/Prefs" : std::string();
}

VokStatus VokLibrary::InitializeEx(std::uint32_t flags) {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (started_) return kVokOk;
  VokStatus status = kVokOk;
  const auto data = folders_.FolderPath(kDataFolder);
  const auto users = folders_.FolderPath(kUsersFolder);
  if (!data || !users || !platform::IsFolder(*data) || !platform::IsFolder(*users)) {
    status = kVokFolderMissing;
  } else {
    users_.reset();
    status = EnsureUserList();
    if (status == kVokOk) status = ReadCurrentUser();
    if (status == kVokOk) status = BuildEngine(flags);
  }
  if (status == kVokOk) {
    started_ = true;
    speaker_ = 0;
    SharedSection().instance_count.fetch_add(1);
  }
  parameters_.WriteDefaults();
  return status;
}

VokStatus VokLibrary::BuildEngine(std::uint32_t flags) {
  engine_.reset(new (std::nothrow) CEngine);
  if (!engine_) return kVokOutOfMemory;
  VokStatus status = kVokOk;
  try {
    status = SetUpEngine(*engine_, flags);
  } catch (const std::bad_alloc&) {
    status = kVokOutOfMemory;
  } catch (...) {
    status = kVokInternalFailure;
  }
  // Only what was built is torn down.
  if (status != kVokOk) engine_.reset();
  return status;
}

VokStatus VokLibrary::SetUpEngine(CEngine& engine, std::uint32_t flags) {
  const auto dialect = static_cast<std::int32_t>(current_user_->dialect);
  engine.resources = std::make_unique<vok::Resources>();
  WriteEngineDefaults(*engine.resources, folders_, current_user_->dialect, current_user_->script);
  engine.queue = std::make_unique<CResultQueue>(notifier_, records_);
  if (!engine.queue->Start()) return kVokInternalFailure;
  const auto map = folders_.FilePath(kHMap, dialect);
  engine.homophones = std::make_unique<CHomophoneMap>();
  if (!map || engine.homophones->Load(*map) != kVokOk) return kVokInternalFailure;
  // The back end's models; the lexicon comes with the shared data set.
  engine.backend = std::make_unique<vok::CLMBackendEngine>();
  engine.backend->LoadModels(*engine.resources);
  if (engine.backend->core() == nullptr) return kVokSetUpFailed;
  const auto data_folder = folders_.FilePath(-1, dialect);
  engine.data = std::make_unique<CEngineData>();
  if (!data_folder) return kVokFolderMissing;
  const VokStatus loaded = engine.data->Load(current_user_->path, *data_folder, speaker_,
                                             engine.backend->core(), engine.backend->page());
  if (loaded != kVokOk) return loaded;
  engine.backend->SetLexicon(engine.data->lexicon());
  return BuildRecognizers(engine, flags);
}

VokStatus VokLibrary::BuildRecognizers(CEngine& engine, std::uint32_t flags) {
  const ControllerContext context{engine, notifier_, records_};
  VokStatus status = kVokOk;
  if ((flags & kKeyboardRecognizerFlag) != 0) {
    engine.keyboard = CKeyboardRecognizer::Create(context, &status);
    if (status != kVokOk) return status;
  }
  if ((flags & kPenRecognizerFlag) != 0) {
    const auto data = folders_.FolderPath(kDataFolder);
    engine.pen = CPenRecognizer::Create(context, *data + kFolderSeparator + "G2bchar.tab", &status);
    if (status != kVokOk) return status;
  }
  if ((flags & (kDictationFlag | kCommandGrammarsFlag)) != 0) {
    engine.grammar_owner = std::make_unique<vok::LexiconOwner>(engine.data->lexicon()->words());
    engine.grammars = std::make_unique<CGrammarManager>(engine.grammar_owner.get());
    char wave_folder[kWavePathBytes] = {};
    if (GetUserWavePath(current_user_->path, wave_folder) != kVokOk) return kVokFolderMissing;
    engine.speech = CSpeechRecognizer::Create(
        context, parameters_, audio_devices_(), wave_folder, (flags & kDictationFlag) != 0,
        [this] {
          std::uint16_t first = 0, second = 0;
          GetAudioLevels(&first, &second);
        },
        &status);
    return status;
  }
  return kVokOk;
}

std::uint32_t VokLibrary::Destroy() {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  notifier_.SetStopping(true);
  engine_.reset();
  notifier_.SetStopping(false);
  users_.reset();
  const bool was_started = started_.exchange(false);
  return was_started ? DecrementShared() : SharedSection().instance_count.load();
}

void VokLibrary::AbandonAtProcessExit() {
  if (started_.exchange(false)) DecrementShared();
}

VokStatus VokLibrary::SetParam(std::uint32_t id, std::uint32_t value) {
  return parameters_.Set(id, value, Presence(), nullptr);
}

VokStatus VokLibrary::GetParam(std::uint32_t id, std::uint32_t* value) {
  return parameters_.Get(id, value, Presence(), nullptr);
}

VokStatus VokLibrary::SetNotification(platform::WindowHandle window) {
  if (!started_) return kVokNotStarted;
  if (!notifier_.windows().IsWindow(window)) return kVokNoWindow;
  notifier_.SetWindow(window);
  return kVokOk;
}

VokStatus VokLibrary::GetNumUsers(std::uint32_t* count) {
  if (!started_) return kVokNotStarted;
  if (count == nullptr) return kVokBadArgument;
  *count = users_ ? static_cast<std::uint32_t>(users_->users().size()) : 0;
  return kVokOk;
}

VokStatus VokLibrary::GetUsers(std::uint32_t* count, VokUserRecord* users) {
  if (!started_) return kVokNotStarted;
  if (count == nullptr) return kVokBadArgument;
  const std::uint32_t capacity = *count;
  *count = 0;
  if (users_ == nullptr || users == nullptr) return kVokOk;
  for (const VokUserRecord& record : users_->users()) {
    if (*count >= capacity) break;
    users[(*count)++] = record;
  }
  return kVokOk;
}

VokStatus VokLibrary::GetCurrentUserInfo(VokUserRecord* user) {
  if (!started_) return kVokNotStarted;
  if (user == nullptr) return kVokBadArgument;
  const VokStatus status = ReadCurrentUser();
  if (status == kVokOk) *user = *current_user_;
  return status;
}

VokStatus VokLibrary::SetCurrentUserChecked(const char* name) {
  if (SharedSection().instance_count.load() > 0) return kVokUserLocked;
  return SetCurrentUser(name);
}

VokStatus VokLibrary::SetCurrentUser(const char* name) {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (started_) return kVokUserLocked;
  EnsureUserList();
  if (name == nullptr || users_->Find(name) == nullptr) return kVokUnknownUser;
  if (registry_.WriteCurrentUserName(name) != kVokOk) return kVokUnknownUser;
  return ReadCurrentUser() == kVokOk ? kVokOk : kVokUnknownUser;
}

VokStatus VokLibrary::UpdateUsers() {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  if (!users_) return EnsureUserList();
  return users_->Scan();
}

VokStatus VokLibrary::GetNumInstalledDialects(std::uint32_t* count) {
  if (count == nullptr) return kVokBadArgument;
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  EnsureUserList();
  *count = static_cast<std::uint32_t>(users_->dialects().size());
  return kVokOk;
}

VokStatus VokLibrary::GetInstalledDialects(std::uint32_t* count, std::uint32_t* dialects) {
  if (count == nullptr || dialects == nullptr) return kVokBadArgument;
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  EnsureUserList();
  const std::uint32_t capacity = *count;
  *count = 0;
  for (const std::uint32_t dialect : users_->dialects()) {
    if (*count >= capacity) break;
    dialects[(*count)++] = dialect;
  }
  return kVokOk;
}

std::uint32_t VokLibrary::GetNumInstalledDialectsEx(const std::int32_t* data_folders) {
  std::vector<std::int32_t> required;
  for (std::size_t i = 0; data_folders != nullptr && data_folders[i] != -1 && i < 40; ++i) {
    required.push_back(data_folders[i]);
  }
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  EnsureUserList();
  const std::size_t count = users_->RebuildDialects(required);
  users_->Scan();
  return static_cast<std::uint32_t>(count);
}

bool VokLibrary::GetFolderPath(std::int32_t folder, char* buffer, std::uint32_t size) {
  const auto path = folders_.FolderPath(folder);
  return path && CopyPath(*path, buffer, size);
}

bool VokLibrary::GetFilePath(std::int32_t data_folder, std::int32_t dialect, char* buffer,
                             std::uint32_t size) {
  const auto path = folders_.FilePath(data_folder, dialect);
  return path && CopyPath(*path, buffer, size);
}

VokStatus VokLibrary::GetUserWavePath(const char* user_folder, char* wave_folder) {
  if (user_folder == nullptr || wave_folder == nullptr) return kVokBadArgument;
  const std::string path = std::string(user_folder) + kFolderSeparator + "WAVE";
  if (path.size() + 1 > kWavePathBytes || !platform::MakeFolder(path)) return kVokInternalFailure;
  std::memcpy(wave_folder, path.c_str(), path.size() + 1);
  return kVokOk;
}

VokStatus VokLibrary::ClearDirectory(const char* folder) {
  if (folder == nullptr || !IsAbsolute(folder)) return kVokBadArgument;
  const auto entries = platform::ListFolder(folder);
  if (!entries) return kVokFileMissing;
  VokStatus status = kVokOk;
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.is_folder) continue;
    if (!platform::RemoveFile(std::string(folder) + kFolderSeparator + entry.name)) status = kVokFileMissing;
  }
  return status;
}

VokStatus VokLibrary::GetAllSpeechFiles(std::uint32_t dialect, char* buffer, std::uint32_t* size,
                                        std::uint32_t* count) {
  if (size == nullptr) return kVokBadArgument;
  const auto folder = folders_.FilePath(-1, static_cast<std::int32_t>(dialect));
  const auto entries = folder ? platform::ListFolder(*folder) : std::nullopt;
  if (!entries) return kVokFileMissing;
  std::string names;
  std::uint32_t found = 0;
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.is_folder || entry.name.rfind("Speech", 0) != 0 || entry.name.find('.') != std::string::npos)
      continue;
    names += entry.name;
    names += '\0';
    ++found;
  }
  names += '\0';
  if (buffer == nullptr) {
    *size = static_cast<std::uint32_t>(names.size()) + 1;
    return kVokOk;
  }
  if (*size < names.size()) return kVokOutOfMemory;
  std::memcpy(buffer, names.data(), names.size());
  if (count != nullptr) *count = found;
  return kVokOk;
}

VokStatus VokLibrary::SetAudioLevels(std::uint32_t first, std::uint32_t second) {
  const AudioLevels levels{static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(second)};
  if (!WriteAudioLevels(registry_, PrefsPath(), levels)) return kVokInternalFailure;
  SharedSection().levels_generation.fetch_add(1);
  return kVokOk;
}

VokStatus VokLibrary::GetAudioLevels(std::uint16_t* first, std::uint16_t* second) {
  if (first == nullptr || second == nullptr) return kVokBadArgument;
  const AudioLevels levels = ReadAudioLevels(registry_, PrefsPath());
  *first = levels.first;
  *second = levels.second;
  return kVokOk;
}

VokStatus VokLibrary::SetBestSpeechFile(const char* name) {
  if (name == nullptr) return kVokBadArgument;
  return registry_.WriteBestSpeech(name) ? kVokOk : kVokInternalFailure;
}

VokStatus VokLibrary::GetBestSpeechFile(char* buffer, std::uint32_t size) {
  const auto name = registry_.BestSpeech();
  if (!name || !CopyPath(*name, buffer, size)) return kVokInternalFailure;
  return kVokOk;
}

VokStatus VokLibrary::PronToHomophonesEx(const char* pronunciation, const char** homophones) {
  if (!started_ || !engine_->homophones) return kVokNotStarted;
  if (pronunciation == nullptr || homophones == nullptr) return kVokBadArgument;
  *homophones = engine_->homophones->Find(pronunciation);
  return *homophones != nullptr ? kVokOk : kVokTextRefused;
}

VokStatus VokLibrary::PronToHomophones(const char* pronunciation, std::uint16_t* first,
                                       std::uint16_t* second) {
  const char* text = nullptr;
  const VokStatus status = PronToHomophonesEx(pronunciation, &text);
  if (status != kVokOk) return status;
  FirstTwoCharacters(text, first, second);
  return kVokOk;
}

VokStatus VokLibrary::LaunchTool(std::int32_t tool, const char* arguments, bool suspended,
                                 platform::ProcessInformation* information) {
  if (!started_) return kVokNotStarted;
  if (tool < 1 || tool > 5 || information == nullptr) return kVokBadArgument;
  const auto code = folders_.FolderPath(kCodeFolder);
  if (!code) return kVokFolderMissing;
  platform::LaunchRequest request;
  request.program = *code + kFolderSeparator + kTools[tool - 1];
  if (!platform::PathExists(request.program)) return kVokToolMissing;
  request.command_line = request.program;
  if (arguments != nullptr) request.command_line += std::string(" ") + arguments;
  if (request.command_line.size() > kMaxToolCommandLine) return kVokBadArgument;
  request.working_folder = *code;
  request.suspended = suspended;
  return platform::LaunchProcess(request, information) ? kVokOk : kVokInternalFailure;
}

std::uint32_t VokLibrary::GetNumPendingResults() {
  if (!started_ || !engine_->queue) return 0;
  std::uint32_t pending = engine_->queue->pending_count();
  if (engine_->speech) pending += engine_->speech->pending_utterances();
  if (engine_->pen && engine_->pen->HoldsStrokes()) ++pending;
  if (engine_->keyboard && engine_->keyboard->HoldsKeys()) ++pending;
  return pending;
}

VokStatus VokLibrary::ClearPendingResults() {
  if (!started_) return kVokNotStarted;
  if (engine_->keyboard) engine_->keyboard->DropKeys();
  if (engine_->speech) engine_->speech->audio().Clear();
  engine_->queue->Clear();
  return kVokOk;
}

}  // namespace vok::api
