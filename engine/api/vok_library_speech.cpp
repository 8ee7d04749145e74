// The speech workers of the engine library, over the speech recognizer, and
// the grammar workers that reach its command networks.
#include <cstring>

#include "engine/api/speech_recognizer.h"
#include "engine/api/vok_library.h"
#include "engine/api/wave_file.h"
#include "platform/folder_listing.h"

namespace vok::api {
namespace {

// Item texts with a double-byte character are words of the lexicon; others
// are pronunciations ("DA3-KAI1").
bool IsWordText(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    if ((static_cast<unsigned char>(*c) & 0x80) != 0) return true;
  }
  return false;
}

}  // namespace

template <typename Call>
VokStatus VokLibrary::WithSpeech(VokStatus missing, Call call) {
  if (!started_) return kVokNotStarted;
  if (!engine_->speech) return missing;
  return call(*engine_->speech);
}

VokStatus VokLibrary::SRStartRecognition(std::uint16_t on) {
  return WithSpeech(kVokNoSpeechRecognizer,
                    [&](CSpeechRecognizer& speech) { return speech.Listen(on != 0); });
}

VokStatus VokLibrary::SRClearAudioBuffer() {
  return WithSpeech(kVokNoSpeechRecognizer, [](CSpeechRecognizer& speech) {
    speech.audio().Clear();
    return kVokOk;
  });
}

VokStatus VokLibrary::SRNewCommandGrammar(std::uint32_t options, CGrammarManager::Kind kind,
                                          std::int32_t* id) {
  return WithSpeech(kVokNoSpeechRecognizer,
                    [&](CSpeechRecognizer& speech) { return speech.NewCommandGrammar(options, kind, id); });
}

VokStatus VokLibrary::SRAddCommandGrammarItem(std::int32_t grammar, std::int32_t item, const char* text,
                                              std::uint16_t required) {
  return WithSpeech(kVokNoSpeechRecognizer, [&](CSpeechRecognizer& speech) {
    if (text == nullptr || *text == '\0') return required != 0 ? kVokTextRefused : kVokOk;
    ItemEdit edit;
    edit.operation = IsWordText(text) ? ItemEdit::kAddWord : ItemEdit::kAddPronunciation;
    edit.grammar = grammar;
    edit.item = item;
    edit.text = text;
    return speech.EditItem(std::move(edit));
  });
}

VokStatus VokLibrary::SRRemoveCommandGrammarItem(std::int32_t grammar, std::int32_t item) {
  return WithSpeech(kVokNoSpeechRecognizer, [&](CSpeechRecognizer& speech) {
    return speech.EditItem({ItemEdit::kRemove, grammar, item, {}});
  });
}

VokStatus VokLibrary::SREnableCommandGrammarItem(std::int32_t grammar, std::int32_t item,
                                                 std::uint16_t enable) {
  return WithSpeech(kVokNoSpeechRecognizer, [&](CSpeechRecognizer& speech) {
    return speech.EditItem({enable != 0 ? ItemEdit::kEnable : ItemEdit::kDisable, grammar, item, {}});
  });
}

VokStatus VokLibrary::SRFinishCommandGrammar(std::int32_t) {
  return WithSpeech(kVokNoSpeechRecognizer, [](CSpeechRecognizer&) { return kVokOk; });
}

VokStatus VokLibrary::SRGetConfidence(std::int32_t command, std::uint16_t* confidence) {
  if (!started_) {
    if (confidence != nullptr) *confidence = 0;
    return kVokOk;
  }
  return WithSpeech(kVokNoSpeechRecognizer,
                    [&](CSpeechRecognizer& speech) { return speech.GetConfidence(command, confidence); });
}

// The speaker change goes through inside the library: the user named by the
// speaker word's dialect and gender becomes current without the restart
// that __VOKSetCurrentUser would ask for (it refuses while started), and the
// acoustic system is reloaded from that user's folder.
VokStatus VokLibrary::SRChangeSpeaker() {
  return WithSpeech(kVokNoSpeechRecognizer, [&](CSpeechRecognizer& speech) -> VokStatus {
    const auto best = registry_.BestSpeech();
    if (!best) return kVokInternalFailure;
    const std::uint32_t gender = *best == "SpeechF" ? 2u : 1u;
    // A speaker word without a dialect takes the current user's.
    std::uint32_t dialect = speaker_ & 0xFF0u;
    if (dialect == 0) dialect = current_user_->dialect & 0xFF0u;
    const char* dialect_name = DialectName(dialect);
    if (dialect_name == nullptr) return kVokUnknownUser;
    const std::string name = std::string(dialect_name) + (gender == 1 ? "Male" : "Female");
    const VokUserRecord* record;
    {
      std::lock_guard<std::mutex> lock(lifecycle_mutex_);
      record = users_ ? users_->Find(name) : nullptr;
      if (record == nullptr || registry_.WriteCurrentUserName(name.c_str()) != kVokOk) return kVokUnknownUser;
      current_user_ = *record;
    }
    speaker_ = (speaker_ & ~0xFFFu) | dialect | gender;
    const std::string model = std::string(current_user_->path) + kFolderSeparator + *best;
    if (!platform::PathExists(model)) return kVokFileMissing;
    return speech.ChangeAcousticModel(model);
  });
}

VokStatus VokLibrary::SetWavFileInput(const char* path) {
  return WithSpeech(kVokInternalFailure,
                    [&](CSpeechRecognizer& speech) { return speech.SelectInputFile(path); });
}

VokStatus VokLibrary::IsValidWavFile(const char* path) {
  return WithSpeech(kVokInternalFailure, [&](CSpeechRecognizer&) {
    return path != nullptr && IsValidWaveFile(path) ? kVokOk : kVokFileMissing;
  });
}

VokStatus VokLibrary::PlaybackSentence(std::int32_t index, std::uint32_t flags) {
  return WithSpeech(kVokInternalFailure,
                    [&](CSpeechRecognizer& speech) { return speech.audio().Playback(index, flags != 0); });
}

VokStatus VokLibrary::DeleteSentences(std::int32_t index) {
  return WithSpeech(kVokNotStarted,
                    [&](CSpeechRecognizer& speech) { return speech.audio().DeleteUtterances(index); });
}

VokStatus VokLibrary::GetUttData(std::int32_t index, void* buffer, std::uint32_t* count) {
  return WithSpeech(kVokNoSpeechRecognizer, [&](CSpeechRecognizer& speech) {
    if (index < 0 || buffer == nullptr || count == nullptr) return kVokBadArgument;
    return speech.audio().GetUtteranceData(static_cast<std::uint32_t>(index),
                                           static_cast<std::int16_t*>(buffer), count)
               ? kVokOk
               : kVokFileMissing;
  });
}

VokStatus VokLibrary::ExpandGrammarNow(std::int32_t id) {
  if (!started_) return kVokNotStarted;
  if (!engine_->grammars) return kVokNoGrammarManager;
  if (engine_->speech) return engine_->speech->ExpandGrammar(id);
  CGrammarManager& grammars = *engine_->grammars;
  std::lock_guard lock(grammars.lock());
  vok::CGrammar* grammar = grammars.grammar(id);
  if (grammar == nullptr) return kVokBadGrammarId;
  grammar->GetNetwork();
  return kVokOk;
}

VokStatus VokLibrary::GetHitRatio(std::int32_t grammar, const char* path, float* ratio) {
  return WithSpeech(kVokInternalFailure, [&](CSpeechRecognizer& speech) {
    if (path == nullptr || ratio == nullptr) return kVokBadArgument;
    return speech.HitRatio(grammar, path, ratio);
  });
}

VokStatus VokLibrary::DeleteGrammar(std::int32_t id) {
  if (!started_) return kVokNotStarted;
  if (!engine_->grammars) return kVokNoGrammarManager;
  if (!engine_->grammars->IsValid(id)) return kVokBadGrammarId;
  if (engine_->speech) engine_->speech->ForgetGrammar(id);
  return engine_->grammars->Delete(id);
}

VokStatus VokLibrary::NewDataFolderGrammar(std::int32_t folder, std::int32_t* id) {
  if (!started_) return kVokNotStarted;
  if (!engine_->grammars) return kVokNoGrammarManager;
  const auto path = current_user_
                        ? folders_.FilePath(folder, static_cast<std::int32_t>(current_user_->dialect))
                        : std::nullopt;
  if (!path) return kVokFileMissing;
  const VokStatus status = engine_->grammars->NewGrammar(path->c_str(), true, 0, CGrammarManager::kPlain, id);
  if (status != kVokOk) return status;
  if (engine_->speech) {
    if (folder == kGrammarsCName) engine_->speech->set_name_grammar(*id);
    if (folder == kGrammarsSpell) engine_->speech->set_spelling_grammar(*id);
  }
  // Expanded at once.
  ExpandGrammarNow(*id);
  return kVokOk;
}

}  // namespace vok::api
