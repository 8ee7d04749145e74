// The exports of the engine library "VOK-P.DLL": the workers (suffix P), their
// plain twins of the same arguments, and the internal functions of the
// engine's own tools. Every one uses the standard calling convention.
#pragma once

#include <cstdint>

#include "common/engine_pen_abi.h"
#include "engine/api/user_record.h"
#include "platform/calling_convention.h"

using vok::api::VokUserRecord;
using wrendle::abi::VokResult;

extern "C" {

// Workers. Buffers without a size take at most: a word of 255 bytes and its
// zero (VOKWordIDToStringP; the dispatcher passes 256), a text of 1000 bytes
// and its zero (VOKGetResultP, VOKGetTextResultP), 200 word ids
// (VOKGetWordIDResultP), a path of 259 bytes and its zero
// (__VOKGetUserWavePath), a parse token's text of 99 bytes and its zero
// (VOKRetrieveGrammarParseResultP), a token or unit name of 127 bytes and
// its zero (VOKGetParseResultChildTokenP), 1024 bytes of command context
// names (VOKGetSAPICommandContext).
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKInitializeExP(std::uint32_t flags, std::uint32_t reserved);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKInitializeP(std::uint32_t flags);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDestroyP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetVersionP(const char** version);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetBuildNumP();
WRENDLE_EXPORT void WRENDLE_STDCALL VOKSetDataPathP(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetParamP(std::uint32_t id, std::uint32_t value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetParamP(std::uint32_t id, std::uint32_t* value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetNotificationP(std::uintptr_t window);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumUsersP(std::uint32_t* count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetUsersP(std::uint32_t* count, VokUserRecord* users);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetCurrentUserInfoP(VokUserRecord* user);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetCurrentUserP(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumInstalledDialectsP(std::uint32_t* count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetInstalledDialectsP(std::uint32_t* count,
                                                                      std::uint32_t* dialects);
// Pen points are 32-bit: y in the low 16 bits, x in the high 16 bits; a
// stroke holds 1 to 200000 of them. VOKAddGestureP's data holds `kind` (1 to
// 3) strokes one after another, each a 32-bit point count and its points;
// `size` is the data's length in bytes. VOKEnumGestureP fills a 408-byte
// template record laid out as a record of the gesture template file.
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRProcessStrokeP(std::uint32_t point_count,
                                                                 const std::uint32_t* points);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRRecognizeP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRClearStrokesP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGestureP(const char* name, std::int32_t kind,
                                                            const void* data, std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGestureP(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKEnumGestureP(std::int32_t index, void* record);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRProcessKeyP(std::uint32_t key);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRProcessKeySetP(const char* keys);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRRecognizeP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRClearKeysP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRGetKeyBufferP(std::uint32_t size, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRStartRecognitionP(std::uint16_t on);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRClearAudioBufferP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarP(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarExP(std::uint32_t options,
                                                                       std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewMultiResultCommandGrammarP(std::uint32_t options,
                                                                                std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRAddCommandGrammarItemP(std::int32_t grammar,
                                                                         std::int32_t item, const char* text,
                                                                         std::uint16_t required);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRRemoveCommandGrammarItemP(std::int32_t grammar,
                                                                            std::int32_t item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSREnableCommandGrammarItemP(std::int32_t grammar,
                                                                            std::int32_t item,
                                                                            std::uint16_t enable);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRFinishCommandGrammarP(std::int32_t grammar);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRGetConfidenceP(std::int32_t command,
                                                                 std::uint16_t* confidence);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRChangeSpeakerP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRSetGrammarP(std::int32_t* target, std::int32_t value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetWavFileInputP(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKIsValidWavFileP(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPlaybackSentenceP(std::int32_t index, std::uint32_t flags);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteSentencesP(std::int32_t index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKEnablePlaybackP(std::uint32_t flag);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarP(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarExP(const char* name, std::uint32_t options,
                                                              std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileP(const char* path, std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileExP(const char* path, std::uint32_t options,
                                                                      std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammarP(std::int32_t target, std::int32_t source);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemP(std::int32_t id, const char* unit,
                                                                const char* item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemP(std::int32_t id, const char* unit,
                                                                   const char* item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarP(std::int32_t id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKClearGrammarUnitP(std::int32_t id, const char* unit);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKFindEmptyGrammarUnitsP(std::int32_t id, char* buffer,
                                                                       std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemExP(std::int32_t id, const char* unit,
                                                                  const char* expression);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemExP(std::int32_t id, const char* unit,
                                                                     const char* expression);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKUseLexiconAsCommandGrammarP(std::uint32_t options,
                                                                            std::int32_t* id,
                                                                            std::uint32_t* word_count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewChineseNameGrammarP(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewSpellInputGrammarP(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKCreateGrammarParseResultP(std::int32_t id, const char* text,
                                                                          std::int32_t* handle);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarParseResultP(std::int32_t handle);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRetrieveGrammarParseResultP(
    std::int32_t handle, const char* token_name, char* text, std::int32_t first_token,
    std::int32_t token_count, std::int32_t* index, std::int32_t* child_index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetParseResultChildTokenP(std::int32_t handle,
                                                                          std::int32_t token,
                                                                          std::int32_t child, char* name,
                                                                          std::int32_t* index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKStringToWordIDP(const char* text, std::uint16_t* word_id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKWordIDToStringP(std::uint32_t word_id, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKStringToPronP(const char* text, char* buffer,
                                                              std::int32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKCharToPronsP(const char* text, char* buffer,
                                                             std::int32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddLexiconP(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddWordToLexiconP(const char* word, std::uint16_t category,
                                                                  const char* pronunciation);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteWordFromLexiconP(const char* word);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKWriteLexiconP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSearchLexiconP(const char* prefix, VokResult** result,
                                                               std::uint32_t kind);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesP(const char* pronunciation,
                                                                  std::uint16_t* first,
                                                                  std::uint16_t* second);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesExP(const char* pronunciation,
                                                                    const char** homophones);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKConvertScriptP(const char* source,
                                                               std::uint32_t source_script, char* destination,
                                                               std::uint32_t destination_script);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetResultP(VokResult* result, std::int32_t index,
                                                           std::uint32_t delete_result, std::uint32_t* count,
                                                           char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetTextResultP(VokResult* result, std::int32_t index,
                                                               std::uint32_t delete_result,
                                                               std::uint32_t* count, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetWordIDResultP(VokResult* result, std::int32_t index,
                                                                 std::uint32_t delete_result,
                                                                 std::uint32_t* count, std::uint16_t* length,
                                                                 std::uint16_t* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetCommandResultP(const void* record, std::uint32_t* words);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetMultiCommandResultP(const void* record, std::int32_t index,
                                                                       std::uint32_t* count,
                                                                       std::uint32_t* words);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumPendingResultsP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKClearPendingResultsP();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteResultP(VokResult* result);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKLaunchToolP(std::int32_t tool, const char* arguments,
                                                            std::uint16_t suspended,
                                                            void* process_information);

// Plain twins, forwarding to the workers; the last two exist only plain.
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKInitializeEx(std::uint32_t flags, std::uint32_t reserved);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKInitialize(std::uint32_t flags);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDestroy();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetVersion(const char** version);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetBuildNum();
WRENDLE_EXPORT void WRENDLE_STDCALL VOKSetDataPath(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetParam(std::uint32_t id, std::uint32_t value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetParam(std::uint32_t id, std::uint32_t* value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetNotification(std::uintptr_t window);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumUsers(std::uint32_t* count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetUsers(std::uint32_t* count, VokUserRecord* users);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetCurrentUserInfo(VokUserRecord* user);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetCurrentUser(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumInstalledDialects(std::uint32_t* count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetInstalledDialects(std::uint32_t* count,
                                                                     std::uint32_t* dialects);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRProcessStroke(std::uint32_t point_count,
                                                                const std::uint32_t* points);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRRecognize();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRClearStrokes();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGesture(const char* name, std::int32_t kind,
                                                           const void* data, std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGesture(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKEnumGesture(std::int32_t index, void* record);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRProcessKey(std::uint32_t key);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRProcessKeySet(const char* keys);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRRecognize();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRClearKeys();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKKRGetKeyBuffer(std::uint32_t size, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRStartRecognition(std::uint16_t on);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRClearAudioBuffer();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammar(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewCommandGrammarEx(std::uint32_t options,
                                                                      std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRNewMultiResultCommandGrammar(std::uint32_t options,
                                                                               std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRAddCommandGrammarItem(std::int32_t grammar,
                                                                        std::int32_t item, const char* text,
                                                                        std::uint16_t required);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRRemoveCommandGrammarItem(std::int32_t grammar,
                                                                           std::int32_t item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSREnableCommandGrammarItem(std::int32_t grammar,
                                                                           std::int32_t item,
                                                                           std::uint16_t enable);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRFinishCommandGrammar(std::int32_t grammar);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRGetConfidence(std::int32_t command,
                                                                std::uint16_t* confidence);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRChangeSpeaker();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSRSetGrammar(std::int32_t* target, std::int32_t value);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetWavFileInput(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKIsValidWavFile(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPlaybackSentence(std::int32_t index, std::uint32_t flags);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteSentences(std::int32_t index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKEnablePlayback(std::uint32_t flag);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammar(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarEx(const char* name, std::uint32_t options,
                                                             std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFile(const char* path, std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewGrammarFromFileEx(const char* path, std::uint32_t options,
                                                                     std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammar(std::int32_t target, std::int32_t source);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammarItem(std::int32_t id, const char* unit,
                                                               const char* item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItem(std::int32_t id, const char* unit,
                                                                  const char* item);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteGrammar(std::int32_t id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKClearGrammarUnit(std::int32_t id, const char* unit);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKFindEmptyGrammarUnits(std::int32_t id, char* buffer,
                                                                      std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddGrammarItemEx(std::int32_t id, const char* unit,
                                                                 const char* expression);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRemoveGrammarItemEx(std::int32_t id, const char* unit,
                                                                    const char* expression);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKUseLexiconAsCommandGrammar(std::uint32_t options,
                                                                           std::int32_t* id,
                                                                           std::uint32_t* word_count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewChineseNameGrammar(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKNewSpellInputGrammar(std::int32_t* id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKCreateGrammarParseResult(std::int32_t id, const char* text,
                                                                         std::int32_t* handle);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteGrammarParseResult(std::int32_t handle);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKRetrieveGrammarParseResult(
    std::int32_t handle, const char* token_name, char* text, std::int32_t first_token,
    std::int32_t token_count, std::int32_t* index, std::int32_t* child_index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetParseResultChildToken(std::int32_t handle,
                                                                         std::int32_t token,
                                                                         std::int32_t child, char* name,
                                                                         std::int32_t* index);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKStringToWordID(const char* text, std::uint16_t* word_id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKWordIDToString(std::uint32_t word_id, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKStringToPron(const char* text, char* buffer,
                                                             std::int32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKCharToProns(const char* text, char* buffer,
                                                            std::int32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddLexicon(const char* path);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKAddWordToLexicon(const char* word, std::uint16_t category,
                                                                 const char* pronunciation);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteWordFromLexicon(const char* word);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKWriteLexicon();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSearchLexicon(const char* prefix, VokResult** result,
                                                              std::uint32_t kind);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPronToHomophones(const char* pronunciation,
                                                                 std::uint16_t* first, std::uint16_t* second);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPronToHomophonesEx(const char* pronunciation,
                                                                   const char** homophones);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKConvertScript(const char* source, std::uint32_t source_script,
                                                              char* destination,
                                                              std::uint32_t destination_script);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetResult(VokResult* result, std::int32_t index,
                                                          std::uint32_t delete_result, std::uint32_t* count,
                                                          char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetTextResult(VokResult* result, std::int32_t index,
                                                              std::uint32_t delete_result,
                                                              std::uint32_t* count, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetWordIDResult(VokResult* result, std::int32_t index,
                                                                std::uint32_t delete_result,
                                                                std::uint32_t* count, std::uint16_t* length,
                                                                std::uint16_t* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetCommandResult(const void* record, std::uint32_t* words);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetMultiCommandResult(const void* record, std::int32_t index,
                                                                      std::uint32_t* count,
                                                                      std::uint32_t* words);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetNumPendingResults();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKClearPendingResults();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteResult(VokResult* result);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKLaunchTool(std::int32_t tool, const char* arguments,
                                                           std::uint16_t suspended,
                                                           void* process_information);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetSAPICommandContext(std::int32_t grammar, const char* text,
                                                                      std::uint32_t* command,
                                                                      std::uint32_t* count, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetUttData(std::int32_t utterance, void* buffer,
                                                           std::uint32_t* size);

// Internal functions.
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetAPIInstanceCount();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKIncInstanceCount();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKDecInstanceCount();
WRENDLE_EXPORT std::int32_t WRENDLE_STDCALL __VOKGetFolderPath(std::int32_t folder, char* buffer,
                                                               std::uint32_t size);
WRENDLE_EXPORT std::int32_t WRENDLE_STDCALL __VOKGetFilePath(std::int32_t data_folder, std::int32_t dialect,
                                                             char* buffer, std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetUserWavePath(const char* user_folder, char* wave_folder);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKClearDirectory(const char* folder);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKSetAudioLevels(std::uint32_t first, std::uint32_t second);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetAudioLevels(std::uint16_t* first, std::uint16_t* second);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKSetBestSpeechFile(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetBestSpeechFile(char* buffer, std::uint32_t size);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKSetCurrentUser(const char* name);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKUpdateUsers();
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetNumInstalledDialectsEx(const std::int32_t* data_folders);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetAllSpeechFiles(std::uint32_t dialect, char* buffer,
                                                                    std::uint32_t* size,
                                                                    std::uint32_t* count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetToken(std::int32_t handle, std::int32_t index,
                                                           std::uint32_t size, char* buffer);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKExpandGrammarNow(std::int32_t id);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKUpdateLM(const char* const* words, std::uint32_t count);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKUpdateCLM(const char* text);
WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL __VOKGetHitRatio(std::int32_t grammar, const char* path,
                                                              float* ratio);
WRENDLE_EXPORT const char* WRENDLE_STDCALL __VOKGetRegistry();

}  // extern "C"
