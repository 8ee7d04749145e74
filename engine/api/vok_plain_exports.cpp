// The plain exports hand their arguments unchanged to the workers.
#include "engine/api/vok_exports.h"

extern "C" {

std::uint32_t WRENDLE_STDCALL VOKInitializeEx(std::uint32_t flags, std::uint32_t reserved) {
  return VOKInitializeExP(flags, reserved);
}
std::uint32_t WRENDLE_STDCALL VOKInitialize(std::uint32_t flags) { return VOKInitializeP(flags); }
std::uint32_t WRENDLE_STDCALL VOKDestroy() { return VOKDestroyP(); }
std::uint32_t WRENDLE_STDCALL VOKGetVersion(const char** version) { return VOKGetVersionP(version); }
std::uint32_t WRENDLE_STDCALL VOKGetBuildNum() { return VOKGetBuildNumP(); }
void WRENDLE_STDCALL VOKSetDataPath(const char* path) { return VOKSetDataPathP(path); }
std::uint32_t WRENDLE_STDCALL VOKSetParam(std::uint32_t id, std::uint32_t value) {
  return VOKSetParamP(id, value);
}
std::uint32_t WRENDLE_STDCALL VOKGetParam(std::uint32_t id, std::uint32_t* value) {
  return VOKGetParamP(id, value);
}
std::uint32_t WRENDLE_STDCALL VOKSetNotification(std::uintptr_t window) {
  return VOKSetNotificationP(window);
}
std::uint32_t WRENDLE_STDCALL VOKGetNumUsers(std::uint32_t* count) { return VOKGetNumUsersP(count); }
std::uint32_t WRENDLE_STDCALL VOKGetUsers(std::uint32_t* count, VokUserRecord* users) {
  return VOKGetUsersP(count, users);
}
std::uint32_t WRENDLE_STDCALL VOKGetCurrentUserInfo(VokUserRecord* user) {
  return VOKGetCurrentUserInfoP(user);
}
std::uint32_t WRENDLE_STDCALL VOKSetCurrentUser(const char* name) { return VOKSetCurrentUserP(name); }
std::uint32_t WRENDLE_STDCALL VOKGetNumInstalledDialects(std::uint32_t* count) {
  return VOKGetNumInstalledDialectsP(count);
}
std::uint32_t WRENDLE_STDCALL VOKGetInstalledDialects(std::uint32_t* count, std::uint32_t* dialects) {
  return VOKGetInstalledDialectsP(count, dialects);
}
std::uint32_t WRENDLE_STDCALL VOKPRProcessStroke(std::uint32_t point_count, const std::uint32_t* points) {
  return VOKPRProcessStrokeP(point_count, points);
}
std::uint32_t WRENDLE_STDCALL VOKPRRecognize() { return VOKPRRecognizeP(); }
std::uint32_t WRENDLE_STDCALL VOKPRClearStrokes() { return VOKPRClearStrokesP(); }
std::uint32_t WRENDLE_STDCALL VOKAddGesture(const char* name, std::int32_t kind, const void* data,
                                            std::uint32_t size) {
  return VOKAddGestureP(name, kind, data, size);
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGesture(const char* name) { return VOKRemoveGestureP(name); }
std::uint32_t WRENDLE_STDCALL VOKEnumGesture(std::int32_t index, void* record) {
  return VOKEnumGestureP(index, record);
}
std::uint32_t WRENDLE_STDCALL VOKKRProcessKey(std::uint32_t key) { return VOKKRProcessKeyP(key); }
std::uint32_t WRENDLE_STDCALL VOKKRProcessKeySet(const char* keys) { return VOKKRProcessKeySetP(keys); }
std::uint32_t WRENDLE_STDCALL VOKKRRecognize() { return VOKKRRecognizeP(); }
std::uint32_t WRENDLE_STDCALL VOKKRClearKeys() { return VOKKRClearKeysP(); }
std::uint32_t WRENDLE_STDCALL VOKKRGetKeyBuffer(std::uint32_t size, char* buffer) {
  return VOKKRGetKeyBufferP(size, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKSRStartRecognition(std::uint16_t on) { return VOKSRStartRecognitionP(on); }
std::uint32_t WRENDLE_STDCALL VOKSRClearAudioBuffer() { return VOKSRClearAudioBufferP(); }
std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammar(std::int32_t* id) { return VOKSRNewCommandGrammarP(id); }
std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarEx(std::uint32_t options, std::int32_t* id) {
  return VOKSRNewCommandGrammarExP(options, id);
}
std::uint32_t WRENDLE_STDCALL VOKSRNewMultiResultCommandGrammar(std::uint32_t options, std::int32_t* id) {
  return VOKSRNewMultiResultCommandGrammarP(options, id);
}
std::uint32_t WRENDLE_STDCALL VOKSRAddCommandGrammarItem(std::int32_t grammar, std::int32_t item,
                                                         const char* text, std::uint16_t required) {
  return VOKSRAddCommandGrammarItemP(grammar, item, text, required);
}
std::uint32_t WRENDLE_STDCALL VOKSRRemoveCommandGrammarItem(std::int32_t grammar, std::int32_t item) {
  return VOKSRRemoveCommandGrammarItemP(grammar, item);
}
std::uint32_t WRENDLE_STDCALL VOKSREnableCommandGrammarItem(std::int32_t grammar, std::int32_t item,
                                                            std::uint16_t enable) {
  return VOKSREnableCommandGrammarItemP(grammar, item, enable);
}
std::uint32_t WRENDLE_STDCALL VOKSRFinishCommandGrammar(std::int32_t grammar) {
  return VOKSRFinishCommandGrammarP(grammar);
}
std::uint32_t WRENDLE_STDCALL VOKSRGetConfidence(std::int32_t command, std::uint16_t* confidence) {
  return VOKSRGetConfidenceP(command, confidence);
}
std::uint32_t WRENDLE_STDCALL VOKSRChangeSpeaker() { return VOKSRChangeSpeakerP(); }
std::uint32_t WRENDLE_STDCALL VOKSRSetGrammar(std::int32_t* target, std::int32_t value) {
  return VOKSRSetGrammarP(target, value);
}
std::uint32_t WRENDLE_STDCALL VOKSetWavFileInput(const char* path) { return VOKSetWavFileInputP(path); }
std::uint32_t WRENDLE_STDCALL VOKIsValidWavFile(const char* path) { return VOKIsValidWavFileP(path); }
std::uint32_t WRENDLE_STDCALL VOKPlaybackSentence(std::int32_t index, std::uint32_t flags) {
  return VOKPlaybackSentenceP(index, flags);
}
std::uint32_t WRENDLE_STDCALL VOKDeleteSentences(std::int32_t index) { return VOKDeleteSentencesP(index); }
std::uint32_t WRENDLE_STDCALL VOKEnablePlayback(std::uint32_t flag) { return VOKEnablePlaybackP(flag); }
std::uint32_t WRENDLE_STDCALL VOKNewGrammar(std::int32_t* id) { return VOKNewGrammarP(id); }
std::uint32_t WRENDLE_STDCALL VOKNewGrammarEx(const char* name, std::uint32_t options, std::int32_t* id) {
  return VOKNewGrammarExP(name, options, id);
}
std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFile(const char* path, std::int32_t* id) {
  return VOKNewGrammarFromFileP(path, id);
}
std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileEx(const char* path, std::uint32_t options,
                                                      std::int32_t* id) {
  return VOKNewGrammarFromFileExP(path, options, id);
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammar(std::int32_t target, std::int32_t source) {
  return VOKAddGrammarP(target, source);
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammarItem(std::int32_t id, const char* unit, const char* item) {
  return VOKAddGrammarItemP(id, unit, item);
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItem(std::int32_t id, const char* unit, const char* item) {
  return VOKRemoveGrammarItemP(id, unit, item);
}
std::uint32_t WRENDLE_STDCALL VOKDeleteGrammar(std::int32_t id) { return VOKDeleteGrammarP(id); }
std::uint32_t WRENDLE_STDCALL VOKClearGrammarUnit(std::int32_t id, const char* unit) {
  return VOKClearGrammarUnitP(id, unit);
}
std::uint32_t WRENDLE_STDCALL VOKFindEmptyGrammarUnits(std::int32_t id, char* buffer, std::uint32_t size) {
  return VOKFindEmptyGrammarUnitsP(id, buffer, size);
}
std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemEx(std::int32_t id, const char* unit, const char* expression) {
  return VOKAddGrammarItemExP(id, unit, expression);
}
std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemEx(std::int32_t id, const char* unit,
                                                     const char* expression) {
  return VOKRemoveGrammarItemExP(id, unit, expression);
}
std::uint32_t WRENDLE_STDCALL VOKUseLexiconAsCommandGrammar(std::uint32_t options, std::int32_t* id,
                                                            std::uint32_t* word_count) {
  return VOKUseLexiconAsCommandGrammarP(options, id, word_count);
}
std::uint32_t WRENDLE_STDCALL VOKNewChineseNameGrammar(std::int32_t* id) {
  return VOKNewChineseNameGrammarP(id);
}
std::uint32_t WRENDLE_STDCALL VOKNewSpellInputGrammar(std::int32_t* id) {
  return VOKNewSpellInputGrammarP(id);
}
std::uint32_t WRENDLE_STDCALL VOKCreateGrammarParseResult(std::int32_t id, const char* text,
                                                          std::int32_t* handle) {
  return VOKCreateGrammarParseResultP(id, text, handle);
}
std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarParseResult(std::int32_t handle) {
  return VOKDeleteGrammarParseResultP(handle);
}
std::uint32_t WRENDLE_STDCALL VOKRetrieveGrammarParseResult(std::int32_t handle, const char* token_name,
                                                            char* text, std::int32_t first_token,
                                                            std::int32_t token_count, std::int32_t* index,
                                                            std::int32_t* child_index) {
  return VOKRetrieveGrammarParseResultP(handle, token_name, text, first_token, token_count, index,
                                        child_index);
}
std::uint32_t WRENDLE_STDCALL VOKGetParseResultChildToken(std::int32_t handle, std::int32_t token,
                                                          std::int32_t child, char* name,
                                                          std::int32_t* index) {
  return VOKGetParseResultChildTokenP(handle, token, child, name, index);
}
std::uint32_t WRENDLE_STDCALL VOKStringToWordID(const char* text, std::uint16_t* word_id) {
  return VOKStringToWordIDP(text, word_id);
}
std::uint32_t WRENDLE_STDCALL VOKWordIDToString(std::uint32_t word_id, char* buffer) {
  return VOKWordIDToStringP(word_id, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKStringToPron(const char* text, char* buffer, std::int32_t size) {
  return VOKStringToPronP(text, buffer, size);
}
std::uint32_t WRENDLE_STDCALL VOKCharToProns(const char* text, char* buffer, std::int32_t size) {
  return VOKCharToPronsP(text, buffer, size);
}
std::uint32_t WRENDLE_STDCALL VOKAddLexicon(const char* path) { return VOKAddLexiconP(path); }
std::uint32_t WRENDLE_STDCALL VOKAddWordToLexicon(const char* word, std::uint16_t category,
                                                  const char* pronunciation) {
  return VOKAddWordToLexiconP(word, category, pronunciation);
}
std::uint32_t WRENDLE_STDCALL VOKDeleteWordFromLexicon(const char* word) {
  return VOKDeleteWordFromLexiconP(word);
}
std::uint32_t WRENDLE_STDCALL VOKWriteLexicon() { return VOKWriteLexiconP(); }
std::uint32_t WRENDLE_STDCALL VOKSearchLexicon(const char* prefix, VokResult** result, std::uint32_t kind) {
  return VOKSearchLexiconP(prefix, result, kind);
}
std::uint32_t WRENDLE_STDCALL VOKPronToHomophones(const char* pronunciation, std::uint16_t* first,
                                                  std::uint16_t* second) {
  return VOKPronToHomophonesP(pronunciation, first, second);
}
std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesEx(const char* pronunciation, const char** homophones) {
  return VOKPronToHomophonesExP(pronunciation, homophones);
}
std::uint32_t WRENDLE_STDCALL VOKConvertScript(const char* source, std::uint32_t source_script,
                                               char* destination, std::uint32_t destination_script) {
  return VOKConvertScriptP(source, source_script, destination, destination_script);
}
std::uint32_t WRENDLE_STDCALL VOKGetResult(VokResult* result, std::int32_t index, std::uint32_t delete_result,
                                           std::uint32_t* count, char* buffer) {
  return VOKGetResultP(result, index, delete_result, count, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKGetTextResult(VokResult* result, std::int32_t index,
                                               std::uint32_t delete_result, std::uint32_t* count,
                                               char* buffer) {
  return VOKGetTextResultP(result, index, delete_result, count, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKGetWordIDResult(VokResult* result, std::int32_t index,
                                                 std::uint32_t delete_result, std::uint32_t* count,
                                                 std::uint16_t* length, std::uint16_t* buffer) {
  return VOKGetWordIDResultP(result, index, delete_result, count, length, buffer);
}
std::uint32_t WRENDLE_STDCALL VOKGetCommandResult(const void* record, std::uint32_t* words) {
  return VOKGetCommandResultP(record, words);
}
std::uint32_t WRENDLE_STDCALL VOKGetMultiCommandResult(const void* record, std::int32_t index,
                                                       std::uint32_t* count, std::uint32_t* words) {
  return VOKGetMultiCommandResultP(record, index, count, words);
}
std::uint32_t WRENDLE_STDCALL VOKGetNumPendingResults() { return VOKGetNumPendingResultsP(); }
std::uint32_t WRENDLE_STDCALL VOKClearPendingResults() { return VOKClearPendingResultsP(); }
std::uint32_t WRENDLE_STDCALL VOKDeleteResult(VokResult* result) { return VOKDeleteResultP(result); }
std::uint32_t WRENDLE_STDCALL VOKLaunchTool(std::int32_t tool, const char* arguments, std::uint16_t suspended,
                                            void* process_information) {
  return VOKLaunchToolP(tool, arguments, suspended, process_information);
}

}  // extern "C"
