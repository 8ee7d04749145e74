// The lexicon workers of the engine library: lookups and edits of the
// shared data set's lexicon; edits under the named mutex "~VOK" that every
// process loading the library shares.
#include <cstring>

#include "engine/api/engine.h"
#include "engine/api/lexicon_calls.h"
#include "engine/api/shared_section.h"
#include "engine/api/text_check.h"
#include "engine/api/vok_library.h"
#include "engine/core/lexicon.h"
#include "platform/named_mutex.h"

namespace vok::api {

namespace {

constexpr const char* kLexiconMutexName = "~VOK";
constexpr std::uint32_t kSearchTextKind = kKindText | kKindFlagged;
constexpr std::uint32_t kSearchWordIdKind = kKindWordIdHypotheses | kKindFlagged;
constexpr std::uint32_t kNoSequence = 0xFFFFFFFFu;

}  // namespace

template <typename Call>
VokStatus VokLibrary::WithLexicon(Call call) {
  std::lock_guard<std::mutex> lock(lexicon_mutex_);
  if (!started_ || !engine_ || !engine_->data || !engine_->data->lexicon()) return kVokNotStarted;
  // The recognizers' back ends read the same lexicon.
  std::lock_guard<std::mutex> language(engine_->language_mutex);
  LexiconCalls calls(*engine_->data);
  return call(calls);
}

template <typename Edit>
VokStatus VokLibrary::LexiconEdit(bool check_instances, Edit edit) {
  if (!started_) return kVokNotStarted;
  bool existed = false;
  const auto mutex = platform::NamedMutex::Create(kLexiconMutexName, &existed);
  if (!mutex) return kVokInternalFailure;
  // Another process editing too may have one more engine started.
  const std::uint32_t allowed = existed ? 2 : 1;
  if (check_instances && SharedSection().instance_count.load() > allowed) return kVokLexiconBusy;
  platform::NamedMutexLock lock(*mutex);
  if (!lock.locked()) return kVokInternalFailure;
  return WithLexicon(edit);
}

VokStatus VokLibrary::StringToWordID(const char* word, std::uint16_t* id) {
  return WithLexicon([&](LexiconCalls& calls) {
    const VokStatus text = CheckDoubleByteText(word, LexiconCalls::kMaxWordBytes);
    return text != kVokOk ? text : calls.StringToWordID(word, id);
  });
}

VokStatus VokLibrary::WordIDToString(std::uint32_t id, char* buffer) {
  if (buffer != nullptr) *buffer = '\0';
  return WithLexicon([&](LexiconCalls& calls) { return calls.WordIDToString(id, buffer); });
}

VokStatus VokLibrary::StringToPron(const char* text, char* buffer, std::int32_t size) {
  return WithLexicon([&](LexiconCalls& calls) {
    const VokStatus check = CheckDoubleByteText(text, LexiconCalls::kMaxPronText);
    return check != kVokOk ? check : calls.StringToPron(text, buffer, size);
  });
}

VokStatus VokLibrary::CharToProns(const char* character, char* buffer, std::int32_t size) {
  return WithLexicon([&](LexiconCalls& calls) {
    return CheckDoubleByteText(character, 2) != kVokOk ? kVokBadArgument
                                                       : calls.CharToProns(character, buffer, size);
  });
}

VokStatus VokLibrary::AddLexicon(const char* path) {
  return LexiconEdit(false, [&](LexiconCalls& calls) { return calls.AddLexicon(path); });
}

VokStatus VokLibrary::AddWordToLexicon(const char* word, std::uint16_t category, const char* pronunciation) {
  if (!started_) return kVokNotStarted;
  if (const VokStatus text = CheckDoubleByteText(word, LexiconCalls::kMaxWordBytes); text != kVokOk)
    return text;
  if (*word == '\0') return kVokBadText;
  return LexiconEdit(true, [&](LexiconCalls& calls) { return calls.AddWord(word, category, pronunciation); });
}

VokStatus VokLibrary::DeleteWordFromLexicon(const char* word) {
  if (!started_) return kVokNotStarted;
  if (const VokStatus text = CheckDoubleByteText(word, LexiconCalls::kMaxWordBytes); text != kVokOk)
    return text;
  return LexiconEdit(true, [&](LexiconCalls& calls) { return calls.DeleteWord(word); });
}

VokStatus VokLibrary::WriteLexicon() {
  return LexiconEdit(false, [&](LexiconCalls& calls) { return calls.WriteUserLexicon(); });
}

VokStatus VokLibrary::SearchLexicon(const char* prefix, VokResult** result, std::uint32_t kind) {
  if (!started_) return kVokNotStarted;
  if ((kind != kKindText && kind != kKindWordIdHypotheses) || prefix == nullptr || result == nullptr)
    return kVokBadArgument;
  if (const VokStatus text = CheckDoubleByteText(prefix, LexiconCalls::kMaxWordBytes); text != kVokOk)
    return text;
  if (*prefix == '\0') return kVokBadText;
  return WithLexicon([&](LexiconCalls& calls) {
    const std::vector<std::uint16_t> ids = calls.Search(prefix);
    VokResult* record = nullptr;
    if (kind == kKindText) {
      std::vector<std::string> texts;
      for (const std::uint16_t id : ids) texts.emplace_back(engine_->data->lexicon()->WordIDToString(id));
      record = records_.MakeText(kSearchTextKind, kNoSequence, kNoSequence, texts);
    } else {
      std::vector<std::vector<std::uint16_t>> entries;
      for (const std::uint16_t id : ids) entries.push_back({id});
      record = records_.MakeWordIds(kSearchWordIdKind, kNoSequence, kNoSequence, entries);
    }
    if (record == nullptr) return kVokOutOfMemory;
    *result = record;
    return kVokOk;
  });
}

}  // namespace vok::api
