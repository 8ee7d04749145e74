// The workers and internal functions of the engine library. No exception
// leaves them: a failure inside becomes -1.
#include <cstring>
#include <exception>
#include <mutex>

#include "engine/api/guarded_call.h"
#include "engine/api/library_instance.h"
#include "engine/api/shared_section.h"
#include "engine/api/vok_exports.h"

using vok::api::CGrammarManager;
using vok::api::Guarded;
using vok::api::Library;
using vok::api::VokStatus;

namespace {

constexpr char kVersionText[] = "4.0.0";
constexpr std::uint32_t kVersion = 400;
constexpr std::uint32_t kBuildNumber = 29;

std::uint32_t Grammars() { return Library().NeedsGrammarManager(); }
// Runs the work on the grammar manager, or answers as for a missing one.
template <typename Work>
std::uint32_t WithGrammars(Work work) {
  return Guarded([&]() -> std::uint32_t {
    vok::api::CEngine* engine = Library().engine();
    vok::api::CGrammarManager* grammars = engine != nullptr ? engine->grammars.get() : nullptr;
    return grammars != nullptr ? work(*grammars) : Grammars();
  });
}
}  // namespace

extern "C" {

std::uint32_t WRENDLE_STDCALL VOKInitializeExP(std::uint32_t flags, std::uint32_t) {
  return Guarded([&] { return Library().InitializeEx(flags); });
}
std::uint32_t WRENDLE_STDCALL VOKInitializeP(std::uint32_t flags) {
  return Guarded([&] { return Library().InitializeEx(flags); });
}
std::uint32_t WRENDLE_STDCALL VOKDestroyP() {
  return Guarded([] { return Library().Destroy(); });
}
std::uint32_t WRENDLE_STDCALL VOKGetVersionP(const char** version) {
  if (version != nullptr) *version = kVersionText;
  return kVersion;
}
std::uint32_t WRENDLE_STDCALL VOKGetBuildNumP() { return kBuildNumber; }
void WRENDLE_STDCALL VOKSetDataPathP(const char*) {}
std::uint32_t WRENDLE_STDCALL VOKSetParamP(std::uint32_t id, std::uint32_t value) {
  return Guarded([&] { return Library().SetParam(id, value); });
}
std::uint32_t WRENDLE_STDCALL VOKGetParamP(std::uint32_t id, std::uint32_t* value) {
  return Guarded([&] { return Library().GetParam(id, value); });
}
std::uint32_t WRENDLE_STDCALL VOKSetNotificationP(std::uintptr_t window) {
  return Guarded([&] { return Library().SetNotification(window); });
}
std::uint32_t WRENDLE_STDCALL VOKGetNumUsersP(std::uint32_t* count) {
  return Guarded([&] { return Library().GetNumUsers(count); });
}
std::uint32_t WRENDLE_STDCALL VOKGetUsersP(std::uint32_t* count, VokUserRecord* users) {
  return Guarded([&] { return Library().GetUsers(count, users); });
}
std::uint32_t WRENDLE_STDCALL VOKGetCurrentUserInfoP(VokUserRecord* user) {
  return Guarded([&] { return Library().GetCurrentUserInfo(user); });
}
std::uint32_t WRENDLE_STDCALL VOKSetCurrentUserP(const char* name) {
  return Guarded([&] { return Library().SetCurrentUserChecked(name); });
}
std::uint32_t WRENDLE_STDCALL VOKGetNumInstalledDialectsP(std::uint32_t* count) {
  return Guarded([&] { return Library().GetNumInstalledDialects(count); });
}
std::uint32_t WRENDLE_STDCALL VOKGetInstalledDialectsP(std::uint32_t* count, std::uint32_t* dialects) {
  return Guarded([&] { return Library().GetInstalledDialects(count, dialects); });
}

// Pen recognition.
std::uint32_t WRENDLE_STDCALL VOKPRProcessStrokeP(std::uint32_t point_count, const std::uint32_t* points) {
  return Guarded([&] { return Library().PRProcessStroke(point_count, points); });
}
std::uint32_t WRENDLE_STDCALL VOKPRRecognizeP() {
  return Guarded([] { return Library().PRRecognize(); });
}
std::uint32_t WRENDLE_STDCALL VOKPRClearStrokesP() {
  return Guarded([] { return Library().PRClearStrokes(); });
}
std::uint32_t WRENDLE_STDCALL VOKAddGestureP(const char* name, std::int32_t kind, const void* data,
                                             std::uint32_t size) {
  return Guarded([&] { return Library().AddGesture(name, kind, data, size); });
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGestureP(const char* name) {
  return Guarded([&] { return Library().RemoveGesture(name); });
}
std::uint32_t WRENDLE_STDCALL VOKEnumGestureP(std::int32_t index, void* record) {
  return Guarded([&] { return Library().EnumGesture(index, static_cast<vok::GestureTemplate*>(record)); });
}

// Speech recognition.
std::uint32_t WRENDLE_STDCALL VOKSRStartRecognitionP(std::uint16_t on) {
  return Guarded([&] { return Library().SRStartRecognition(on); });
}
std::uint32_t WRENDLE_STDCALL VOKSRClearAudioBufferP() {
  return Guarded([] { return Library().SRClearAudioBuffer(); });
}
std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarP(std::int32_t* id) {
  return Guarded([&] { return Library().SRNewCommandGrammar(0, CGrammarManager::kSingleResultCommand, id); });
}
std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarExP(std::uint32_t options, std::int32_t* id) {
  return Guarded(
      [&] { return Library().SRNewCommandGrammar(options, CGrammarManager::kSingleResultCommand, id); });
}
std::uint32_t WRENDLE_STDCALL VOKSRNewMultiResultCommandGrammarP(std::uint32_t options, std::int32_t* id) {
  return Guarded(
      [&] { return Library().SRNewCommandGrammar(options, CGrammarManager::kMultiResultCommand, id); });
}
std::uint32_t WRENDLE_STDCALL VOKSRAddCommandGrammarItemP(std::int32_t grammar, std::int32_t item,
                                                          const char* text, std::uint16_t required) {
  return Guarded([&] { return Library().SRAddCommandGrammarItem(grammar, item, text, required); });
}
std::uint32_t WRENDLE_STDCALL VOKSRRemoveCommandGrammarItemP(std::int32_t grammar, std::int32_t item) {
  return Guarded([&] { return Library().SRRemoveCommandGrammarItem(grammar, item); });
}
std::uint32_t WRENDLE_STDCALL VOKSREnableCommandGrammarItemP(std::int32_t grammar, std::int32_t item,
                                                             std::uint16_t enable) {
  return Guarded([&] { return Library().SREnableCommandGrammarItem(grammar, item, enable); });
}
std::uint32_t WRENDLE_STDCALL VOKSRFinishCommandGrammarP(std::int32_t grammar) {
  return Guarded([&] { return Library().SRFinishCommandGrammar(grammar); });
}
std::uint32_t WRENDLE_STDCALL VOKSRGetConfidenceP(std::int32_t command, std::uint16_t* confidence) {
  return Guarded([&] { return Library().SRGetConfidence(command, confidence); });
}
std::uint32_t WRENDLE_STDCALL VOKSRChangeSpeakerP() {
  return Guarded([] { return Library().SRChangeSpeaker(); });
}
std::uint32_t WRENDLE_STDCALL VOKSRSetGrammarP(std::int32_t* target, std::int32_t value) {
  if (target == nullptr) return vok::api::kVokBadArgument;
  *target = value;
  return vok::api::kVokOk;
}
std::uint32_t WRENDLE_STDCALL VOKSetWavFileInputP(const char* path) {
  return Guarded([&] { return Library().SetWavFileInput(path); });
}
std::uint32_t WRENDLE_STDCALL VOKIsValidWavFileP(const char* path) {
  return Guarded([&] { return Library().IsValidWavFile(path); });
}
std::uint32_t WRENDLE_STDCALL VOKPlaybackSentenceP(std::int32_t index, std::uint32_t flags) {
  return Guarded([&] { return Library().PlaybackSentence(index, flags); });
}
std::uint32_t WRENDLE_STDCALL VOKDeleteSentencesP(std::int32_t index) {
  return Guarded([&] { return Library().DeleteSentences(index); });
}
std::uint32_t WRENDLE_STDCALL VOKEnablePlaybackP(std::uint32_t) { return vok::api::kVokOk; }

// Grammars.
std::uint32_t WRENDLE_STDCALL VOKNewGrammarP(std::int32_t* id) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    const VokStatus status = grammars.NewGrammar(nullptr, false, 0, CGrammarManager::kPlain, id);
    return status == vok::api::kVokOk ? status : vok::api::kVokGrammarNotCreated;
  });
}
std::uint32_t WRENDLE_STDCALL VOKNewGrammarExP(const char* name, std::uint32_t options, std::int32_t* id) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    if (name == nullptr) return vok::api::kVokBadArgument;
    return grammars.NewGrammar(name, false, options, CGrammarManager::kPlain, id);
  });
}
std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileP(const char* path, std::int32_t* id) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.NewGrammar(path, true, 0, CGrammarManager::kPlain, id);
  });
}
std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileExP(const char* path, std::uint32_t options,
                                                       std::int32_t* id) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.NewGrammar(path, true, options, CGrammarManager::kPlain, id);
  });
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammarP(std::int32_t target, std::int32_t source) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.AddGrammar(target, source); });
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemP(std::int32_t id, const char* unit, const char* item) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.AddItem(id, unit, item); });
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemP(std::int32_t id, const char* unit, const char* item) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.RemoveItem(id, unit, item); });
}
std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarP(std::int32_t id) {
  return Guarded([&] { return Library().DeleteGrammar(id); });
}
std::uint32_t WRENDLE_STDCALL VOKClearGrammarUnitP(std::int32_t id, const char* unit) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.ClearUnit(id, unit); });
}
std::uint32_t WRENDLE_STDCALL VOKFindEmptyGrammarUnitsP(std::int32_t id, char* buffer, std::uint32_t size) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.FindEmptyUnits(id, buffer, size); });
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemExP(std::int32_t id, const char* unit,
                                                   const char* expression) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.AddItemExpression(id, unit, expression);
  });
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemExP(std::int32_t id, const char* unit,
                                                      const char* expression) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.RemoveItemExpression(id, unit, expression);
  });
}
// A lexicon grammar is a command network of the speech recognizer's command
// search; without a lexicon in the engine it cannot be made.
std::uint32_t WRENDLE_STDCALL VOKUseLexiconAsCommandGrammarP(std::uint32_t, std::int32_t*, std::uint32_t*) {
  return WithGrammars([](CGrammarManager&) -> std::uint32_t { return vok::api::kVokInternalFailure; });
}
std::uint32_t WRENDLE_STDCALL VOKNewChineseNameGrammarP(std::int32_t* id) {
  return Guarded([&] { return Library().NewDataFolderGrammar(vok::api::kGrammarsCName, id); });
}
std::uint32_t WRENDLE_STDCALL VOKNewSpellInputGrammarP(std::int32_t* id) {
  return Guarded([&] { return Library().NewDataFolderGrammar(vok::api::kGrammarsSpell, id); });
}
std::uint32_t WRENDLE_STDCALL VOKCreateGrammarParseResultP(std::int32_t id, const char* text,
                                                           std::int32_t* handle) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.CreateParseResult(id, text, handle);
  });
}
std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarParseResultP(std::int32_t handle) {
  return WithGrammars(
      [&](CGrammarManager& grammars) -> std::uint32_t { return grammars.DeleteParseResult(handle); });
}
std::uint32_t WRENDLE_STDCALL VOKRetrieveGrammarParseResultP(std::int32_t handle, const char* token_name,
                                                             char* text, std::int32_t first,
                                                             std::int32_t count, std::int32_t* index,
                                                             std::int32_t* child) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.RetrieveParseResult(handle, token_name, text, first, count, index, child);
  });
}
std::uint32_t WRENDLE_STDCALL VOKGetParseResultChildTokenP(std::int32_t handle, std::int32_t token,
                                                           std::int32_t child, char* name,
                                                           std::int32_t* index) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.GetParseResultChildToken(handle, token, child, name, index);
  });
}

// Lexicon and pronunciation.
std::uint32_t WRENDLE_STDCALL VOKStringToWordIDP(const char* word, std::uint16_t* id) {
  return Guarded([&] { return Library().StringToWordID(word, id); });
}
std::uint32_t WRENDLE_STDCALL VOKWordIDToStringP(std::uint32_t word_id, char* buffer) {
  return Guarded([&] { return Library().WordIDToString(word_id, buffer); });
}
std::uint32_t WRENDLE_STDCALL VOKStringToPronP(const char* text, char* buffer, std::int32_t size) {
  return Guarded([&] { return Library().StringToPron(text, buffer, size); });
}
std::uint32_t WRENDLE_STDCALL VOKCharToPronsP(const char* character, char* buffer, std::int32_t size) {
  return Guarded([&] { return Library().CharToProns(character, buffer, size); });
}
std::uint32_t WRENDLE_STDCALL VOKAddLexiconP(const char* path) {
  return Guarded([&] { return Library().AddLexicon(path); });
}
std::uint32_t WRENDLE_STDCALL VOKAddWordToLexiconP(const char* word, std::uint16_t category,
                                                   const char* pronunciation) {
  return Guarded([&] { return Library().AddWordToLexicon(word, category, pronunciation); });
}
std::uint32_t WRENDLE_STDCALL VOKDeleteWordFromLexiconP(const char* word) {
  return Guarded([&] { return Library().DeleteWordFromLexicon(word); });
}
std::uint32_t WRENDLE_STDCALL VOKWriteLexiconP() {
  return Guarded([] { return Library().WriteLexicon(); });
}
std::uint32_t WRENDLE_STDCALL VOKSearchLexiconP(const char* prefix, VokResult** result, std::uint32_t kind) {
  return Guarded([&] { return Library().SearchLexicon(prefix, result, kind); });
}
std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesP(const char* pronunciation, std::uint16_t* first,
                                                   std::uint16_t* second) {
  return Guarded([&] { return Library().PronToHomophones(pronunciation, first, second); });
}
std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesExP(const char* pronunciation, const char** homophones) {
  return Guarded([&] { return Library().PronToHomophonesEx(pronunciation, homophones); });
}
std::uint32_t WRENDLE_STDCALL VOKConvertScriptP(const char* source, std::uint32_t source_script,
                                                char* destination, std::uint32_t destination_script) {
  if (!Library().started()) return vok::api::kVokNotStarted;
  if (source == nullptr || destination == nullptr) return vok::api::kVokBadArgument;
  if (source_script == destination_script) {
    std::strcpy(destination, source);
    return vok::api::kVokOk;
  }
  const bool convertible =
      (source_script == 2 && destination_script == 4) || (source_script == 4 && destination_script == 2);
  // The script conversion system is not part of this engine yet.
  return convertible ? vok::api::kVokInternalFailure : vok::api::kVokBadScriptPair;
}

// Results.
std::uint32_t WRENDLE_STDCALL VOKGetResultP(VokResult* result, std::int32_t index,
                                            std::uint32_t delete_result, std::uint32_t* count, char* buffer) {
  return Guarded([&] {
    return vok::api::GetTextResult(Library().records(), result, index, delete_result, count, buffer);
  });
}
std::uint32_t WRENDLE_STDCALL VOKGetTextResultP(VokResult* result, std::int32_t index,
                                                std::uint32_t delete_result, std::uint32_t* count,
                                                char* buffer) {
  return VOKGetResultP(result, index, delete_result, count, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKGetWordIDResultP(VokResult* result, std::int32_t index,
                                                  std::uint32_t delete_result, std::uint32_t* count,
                                                  std::uint16_t* length, std::uint16_t* buffer) {
  return Guarded([&] {
    return vok::api::GetWordIdResult(Library().records(), result, index, delete_result, count, length,
                                     buffer);
  });
}
std::uint32_t WRENDLE_STDCALL VOKGetCommandResultP(const void* record, std::uint32_t* words) {
  return vok::api::GetCommandResult(static_cast<const vok::api::VokCommandRecord*>(record), words);
}
std::uint32_t WRENDLE_STDCALL VOKGetMultiCommandResultP(const void* record, std::int32_t index,
                                                        std::uint32_t* count, std::uint32_t* words) {
  return vok::api::GetMultiCommandResult(static_cast<const vok::api::VokMultiCommandRecord*>(record), index,
                                         count, words);
}
std::uint32_t WRENDLE_STDCALL VOKGetNumPendingResultsP() {
  return Guarded([] { return Library().GetNumPendingResults(); });
}
std::uint32_t WRENDLE_STDCALL VOKClearPendingResultsP() {
  return Guarded([] { return Library().ClearPendingResults(); });
}
std::uint32_t WRENDLE_STDCALL VOKDeleteResultP(VokResult* result) {
  return Guarded([&] { return Library().records().Delete(result); });
}
std::uint32_t WRENDLE_STDCALL VOKLaunchToolP(std::int32_t tool, const char* arguments,
                                             std::uint16_t suspended, void* process_information) {
  return Guarded([&] {
    return Library().LaunchTool(tool, arguments, suspended != 0,
                                static_cast<platform::ProcessInformation*>(process_information));
  });
}

// Plain only.
std::uint32_t WRENDLE_STDCALL VOKGetSAPICommandContext(std::int32_t id, const char* text,
                                                       std::uint32_t* command, std::uint32_t* count,
                                                       char* buffer) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.GetCommandContext(id, text, command, count, buffer);
  });
}
std::uint32_t WRENDLE_STDCALL VOKGetUttData(std::int32_t index, void* buffer, std::uint32_t* count) {
  return Guarded([&] { return Library().GetUttData(index, buffer, count); });
}

// Internal functions.
std::uint32_t WRENDLE_STDCALL __VOKGetAPIInstanceCount() {
  return vok::api::SharedSection().instance_count.load();
}
std::uint32_t WRENDLE_STDCALL __VOKIncInstanceCount() {
  return vok::api::SharedSection().instance_count.fetch_add(1) + 1;
}
std::uint32_t WRENDLE_STDCALL __VOKDecInstanceCount() {
  auto& count = vok::api::SharedSection().instance_count;
  std::uint32_t current = count.load();
  while (current > 0 && !count.compare_exchange_weak(current, current - 1)) {
  }
  return current > 0 ? current - 1 : 0;
}
std::int32_t WRENDLE_STDCALL __VOKGetFolderPath(std::int32_t folder, char* buffer, std::uint32_t size) {
  return static_cast<std::int32_t>(
      Guarded([&] { return Library().GetFolderPath(folder, buffer, size) ? 1u : 0u; }));
}
std::int32_t WRENDLE_STDCALL __VOKGetFilePath(std::int32_t data_folder, std::int32_t dialect, char* buffer,
                                              std::uint32_t size) {
  return static_cast<std::int32_t>(
      Guarded([&] { return Library().GetFilePath(data_folder, dialect, buffer, size) ? 1u : 0u; }));
}
std::uint32_t WRENDLE_STDCALL __VOKGetUserWavePath(const char* user_folder, char* wave_folder) {
  return Guarded([&] { return Library().GetUserWavePath(user_folder, wave_folder); });
}
std::uint32_t WRENDLE_STDCALL __VOKClearDirectory(const char* folder) {
  return Guarded([&] { return Library().ClearDirectory(folder); });
}
std::uint32_t WRENDLE_STDCALL __VOKSetAudioLevels(std::uint32_t first, std::uint32_t second) {
  return Guarded([&] { return Library().SetAudioLevels(first, second); });
}
std::uint32_t WRENDLE_STDCALL __VOKGetAudioLevels(std::uint16_t* first, std::uint16_t* second) {
  return Guarded([&] { return Library().GetAudioLevels(first, second); });
}
std::uint32_t WRENDLE_STDCALL __VOKSetBestSpeechFile(const char* name) {
  return Guarded([&] { return Library().SetBestSpeechFile(name); });
}
std::uint32_t WRENDLE_STDCALL __VOKGetBestSpeechFile(char* buffer, std::uint32_t size) {
  return Guarded([&] { return Library().GetBestSpeechFile(buffer, size); });
}
std::uint32_t WRENDLE_STDCALL __VOKSetCurrentUser(const char* name) {
  return Guarded([&] { return Library().SetCurrentUser(name); });
}
std::uint32_t WRENDLE_STDCALL __VOKUpdateUsers() {
  return Guarded([] { return Library().UpdateUsers(); });
}
std::uint32_t WRENDLE_STDCALL __VOKGetNumInstalledDialectsEx(const std::int32_t* data_folders) {
  return Guarded([&] { return Library().GetNumInstalledDialectsEx(data_folders); });
}
std::uint32_t WRENDLE_STDCALL __VOKGetAllSpeechFiles(std::uint32_t dialect, char* buffer, std::uint32_t* size,
                                                     std::uint32_t* count) {
  return Guarded([&] { return Library().GetAllSpeechFiles(dialect, buffer, size, count); });
}
std::uint32_t WRENDLE_STDCALL __VOKGetToken(std::int32_t handle, std::int32_t index, std::uint32_t size,
                                            char* buffer) {
  return WithGrammars([&](CGrammarManager& grammars) -> std::uint32_t {
    return grammars.GetToken(handle, index, size, buffer);
  });
}
std::uint32_t WRENDLE_STDCALL __VOKExpandGrammarNow(std::int32_t id) {
  return Guarded([&] { return Library().ExpandGrammarNow(id); });
}
std::uint32_t WRENDLE_STDCALL __VOKUpdateLM(const char* const*, std::uint32_t) {
  return vok::api::kVokInternalFailure;
}
std::uint32_t WRENDLE_STDCALL __VOKUpdateCLM(const char*) { return vok::api::kVokInternalFailure; }
std::uint32_t WRENDLE_STDCALL __VOKGetHitRatio(std::int32_t grammar, const char* path, float* ratio) {
  return Guarded([&] { return Library().GetHitRatio(grammar, path, ratio); });
}
const char* WRENDLE_STDCALL __VOKGetRegistry() { return vok::api::kEngineRegistryKey; }

}  // extern "C"
