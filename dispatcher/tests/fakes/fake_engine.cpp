// An engine module whose pen recognizer answers scripted words: each
// recognition posts WM_PENRESULT with a word-id hypotheses record and an
// empty alternatives record, as the engine does.
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/engine_pen_abi.h"
#include "dispatcher/tests/fakes/fake_control.h"
#include "platform/notification_window.h"

namespace {

using wrendle::abi::VokResult;

fakes::EngineLog g_log;
std::uint32_t g_init_status = 0;
std::uint32_t g_recognize_status = 0;
std::deque<std::vector<std::string>> g_results;
std::vector<std::string> g_words;  // word id = index

// A record with one word id per entry, laid out as the engine lays it out: a
// length array and an array of word-id arrays.
struct WordRecord {
  VokResult record{};
  std::vector<std::uint16_t> lengths;
  std::vector<std::uint16_t> ids;
  std::vector<std::uint16_t*> id_arrays;
};
std::map<const VokResult*, std::unique_ptr<WordRecord>> g_live_records;

VokResult* NewWordRecord(std::uint32_t kind, const std::vector<std::string>& words) {
  auto storage = std::make_unique<WordRecord>();
  for (const std::string& word : words) {
    storage->lengths.push_back(1);
    storage->ids.push_back(static_cast<std::uint16_t>(g_words.size()));
    g_words.push_back(word);
  }
  for (std::uint16_t& id : storage->ids) storage->id_arrays.push_back(&id);
  VokResult& record = storage->record;
  record.kind = kind;
  record.second_word = 0xFFFFFFFF;
  record.count = static_cast<std::uint32_t>(words.size());
  record.entries = storage->lengths.data();
  record.word_ids = storage->id_arrays.data();
  g_live_records[&record] = std::move(storage);
  return &record;
}

}  // namespace

extern "C" {

WRENDLE_EXPORT void WRENDLE_STDCALL FakeEngineReset(std::uint32_t init_status,
                                                    std::uint32_t recognize_status) {
  g_log = {};
  g_init_status = init_status;
  g_recognize_status = recognize_status;
  g_results.clear();
  g_words.clear();
  g_live_records.clear();
}

WRENDLE_EXPORT void WRENDLE_STDCALL FakeEngineQueueResult(const char* words, int count) {
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) {
    result.emplace_back(words);
    words += result.back().size() + 1;
  }
  g_results.push_back(result);
}

WRENDLE_EXPORT const fakes::EngineLog* WRENDLE_STDCALL FakeEngineGetLog() { return &g_log; }

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetCurrentUserP(const char* name) {
  std::strncpy(g_log.user, name, sizeof g_log.user - 1);
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKInitializeExP(std::uint32_t flags, std::uint32_t) {
  ++g_log.init_calls;
  g_log.init_flags = flags;
  return g_init_status;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDestroyP() {
  ++g_log.destroy_calls;
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKStringToWordIDP(const char*, std::uint16_t*) { return 4362; }

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKWordIDToStringP(std::uint32_t word_id, char* buffer) {
  if (word_id >= g_words.size()) return 4362;
  std::strcpy(buffer, g_words[word_id].c_str());
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetParamP(std::uint32_t id, std::uint32_t value) {
  if (g_log.set_param_count < 32) {
    g_log.params[g_log.set_param_count][0] = id;
    g_log.params[g_log.set_param_count][1] = value;
  }
  ++g_log.set_param_count;
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKGetParamP(std::uint32_t, std::uint32_t*) { return 0; }

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKSetNotificationP(std::uintptr_t window) {
  g_log.window = window;
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRProcessStrokeP(std::uint32_t count,
                                                                 const wrendle::abi::EnginePoint* points) {
  if (g_log.strokes_fed == 0) {
    for (std::uint32_t i = 0; i < count && i < 4; ++i) g_log.first_points[i] = points[i];
  }
  ++g_log.strokes_fed;
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKPRRecognizeP() {
  ++g_log.recognize_calls;
  if (g_recognize_status != 0) return g_recognize_status;
  std::vector<std::string> words;
  if (!g_results.empty()) {
    words = g_results.front();
    g_results.pop_front();
  }
  using namespace wrendle::abi;
  VokResult* hypotheses = NewWordRecord(kResultFlagged | kResultFromPen | kResultWordIdHypotheses, words);
  VokResult* alternatives = NewWordRecord(kResultFlagged | kResultFromPen | kResultWordIdAlternatives, {});
  platform::PostWindowMessage(g_log.window, kWmPenResult, reinterpret_cast<std::uintptr_t>(hypotheses),
                              reinterpret_cast<std::intptr_t>(alternatives));
  return 0;
}

WRENDLE_EXPORT std::uint32_t WRENDLE_STDCALL VOKDeleteResultP(VokResult* record) {
  if (record == nullptr || g_live_records.erase(record) == 0) return 4359;
  ++g_log.deleted_results;
  return 0;
}

}  // extern "C"
