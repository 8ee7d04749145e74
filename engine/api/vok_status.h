// The statuses every worker of the engine library returns; 0 is success.
#pragma once

#include <cstdint>

namespace vok::api {

enum VokStatus : std::uint32_t {
  kVokOk = 0,
  kVokNotStarted = 4096,  // also: the object the call needs was not loaded
  kVokUnknownUser = 4097,
  kVokNoUsers = 4099,
  kVokNoCurrentUser = 4100,
  kVokSetUpFailed = 4102,
  kVokOutOfMemory = 4103,
  kVokLexiconBusy = 4105,
  kVokFileMissing = 4112,
  kVokUserLexiconMissing = 4113,
  kVokUserLocked = 4129,
  kVokBadArgument = 4352,
  kVokBadText = 4353,
  kVokTextRefused = 4354,
  kVokWordSwitchRefused = 4355,
  kVokBadScriptPair = 4358,
  kVokBadResult = 4359,
  kVokNoWindow = 4360,
  kVokUnknownWord = 4362,
  kVokWordRefused = 4363,
  kVokPronunciationRefused = 4364,
  kVokNoGrammarManager = 8192,
  kVokGrammarNotCreated = 8193,
  kVokBadGrammarId = 8194,
  kVokGrammarFileUnreadable = 8195,
  kVokUnknownParseResult = 8196,
  kVokGrammarItemRefused = 8197,
  kVokNoSpeechRecognizer = 12288,
  kVokNoStrokes = 16385,
  kVokNoPenOrKeyboardRecognizer = 20480,
  kVokNoKeys = 20481,
  kVokKeyRefused = 20483,
  kVokToolMissing = 24576,
  kVokInternalFailure = 0xFFFFFFFFu,  // -1
  kVokFolderMissing = 0xFFFFFFFEu,    // -2: install path or user folder missing
};

}  // namespace vok::api
