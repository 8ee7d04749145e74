#include "engine/api/result_records.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vok::api {
namespace {

void FreeRecord(VokResult* result) {
  if (IsWordIdKind(result->kind)) {
    auto** ids = result->word_ids;
    for (std::uint32_t i = 0; ids != nullptr && i < result->count; ++i) delete[] ids[i];
    delete[] ids;
    delete[] static_cast<std::uint16_t*>(result->entries);
  } else {
    auto** texts = static_cast<char**>(result->entries);
    for (std::uint32_t i = 0; texts != nullptr && i < result->count; ++i) delete[] texts[i];
    delete[] texts;
  }
  delete[] static_cast<std::uint8_t*>(result->extra);
  delete result;
}

}  // namespace

bool IsTextKind(std::uint32_t kind) { return (kind & 0xFE) == kKindText; }
bool IsWordIdKind(std::uint32_t kind) {
  const std::uint32_t low = kind & 0xFE;
  return low == kKindWordIdAlternatives || low == kKindWordIdHypotheses;
}

ResultRecords::~ResultRecords() {
  for (const VokResult* result : live_) FreeRecord(const_cast<VokResult*>(result));
}

VokResult* ResultRecords::Register(VokResult* result) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_.insert(result);
  return result;
}

VokResult* ResultRecords::MakeText(std::uint32_t kind, std::uint32_t sequence, std::uint32_t second_word,
                                   const std::vector<std::string>& texts) {
  auto* result = new (std::nothrow) VokResult{kind, sequence, second_word, 0, nullptr, nullptr, nullptr};
  if (result == nullptr) return nullptr;
  if (!texts.empty()) {
    auto** entries = new (std::nothrow) char*[texts.size()]();
    if (entries == nullptr) {
      delete result;
      return nullptr;
    }
    result->entries = entries;
    for (const std::string& text : texts) {
      char* copy = new (std::nothrow) char[text.size() + 1];
      if (copy == nullptr) {
        FreeRecord(result);
        return nullptr;
      }
      std::memcpy(copy, text.c_str(), text.size() + 1);
      entries[result->count++] = copy;
    }
  }
  return Register(result);
}

VokResult* ResultRecords::MakeWordIds(std::uint32_t kind, std::uint32_t sequence, std::uint32_t second_word,
                                      const std::vector<std::vector<std::uint16_t>>& entries) {
  auto* result = new (std::nothrow) VokResult{kind, sequence, second_word, 0, nullptr, nullptr, nullptr};
  if (result == nullptr) return nullptr;
  if (!entries.empty()) {
    auto* lengths = new (std::nothrow) std::uint16_t[entries.size()]();
    auto** ids = new (std::nothrow) std::uint16_t*[entries.size()]();
    result->entries = lengths;
    result->word_ids = ids;
    if (lengths == nullptr || ids == nullptr) {
      FreeRecord(result);
      return nullptr;
    }
    for (const auto& entry : entries) {
      auto* copy = new (std::nothrow) std::uint16_t[entry.size() + 1];
      if (copy == nullptr) {
        FreeRecord(result);
        return nullptr;
      }
      std::copy(entry.begin(), entry.end(), copy);
      copy[entry.size()] = kPaddingWordId;
      lengths[result->count] = static_cast<std::uint16_t>(entry.size());
      ids[result->count++] = copy;
    }
  }
  return Register(result);
}

VokStatus ResultRecords::Delete(VokResult* result) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (result == nullptr || live_.erase(result) == 0) return kVokBadResult;
  }
  FreeRecord(result);
  return kVokOk;
}

bool ResultRecords::IsLive(const VokResult* result) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.count(result) != 0;
}

std::size_t ResultRecords::live_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.size();
}

VokStatus GetTextResult(ResultRecords& records, VokResult* result, std::int32_t index,
                        std::uint32_t delete_result, std::uint32_t* count, char* buffer) {
  if (!records.IsLive(result) || !IsTextKind(result->kind)) return kVokBadArgument;
  if (count != nullptr) *count = result->count;
  VokStatus status = kVokOk;
  if (buffer != nullptr) buffer[0] = '\0';
  if (index >= 0 && static_cast<std::uint32_t>(index) < result->count) {
    const auto* texts = static_cast<char**>(result->entries);
    if (texts != nullptr && buffer != nullptr) {
      const std::size_t length = std::min(std::strlen(texts[index]), kMaxTextResultBytes);
      std::memcpy(buffer, texts[index], length);
      buffer[length] = '\0';
    }
  } else {
    status = kVokBadArgument;
  }
  if (delete_result != 0) records.Delete(result);
  return status;
}

VokStatus GetWordIdResult(ResultRecords& records, VokResult* result, std::int32_t index,
                          std::uint32_t delete_result, std::uint32_t* count, std::uint16_t* length,
                          std::uint16_t* buffer) {
  if (!records.IsLive(result) || !IsWordIdKind(result->kind)) return kVokBadArgument;
  if (count != nullptr) *count = result->count;
  VokStatus status = kVokOk;
  if (index >= 0 && static_cast<std::uint32_t>(index) < result->count) {
    const auto* lengths = static_cast<const std::uint16_t*>(result->entries);
    const std::size_t copied = std::min<std::size_t>(lengths[index], kMaxWordIdResultIds);
    if (length != nullptr) *length = static_cast<std::uint16_t>(copied);
    if (buffer != nullptr) std::copy_n(result->word_ids[index], copied, buffer);
  } else {
    if (length != nullptr) *length = 0;
    status = kVokBadArgument;
  }
  if (delete_result != 0) records.Delete(result);
  return status;
}

VokStatus GetCommandResult(const VokCommandRecord* record, std::uint32_t* words) {
  if (record == nullptr || words == nullptr) return kVokBadArgument;
  words[0] = record->utterance;
  words[1] = record->grammar;
  words[2] = record->answer;
  return kVokOk;
}

VokStatus GetMultiCommandResult(const VokMultiCommandRecord* record, std::int32_t index, std::uint32_t* count,
                                std::uint32_t* words) {
  if (record == nullptr || words == nullptr || record->items == nullptr) return kVokBadArgument;
  const std::uint32_t item_count = record->items[0];
  if (count != nullptr) *count = item_count;
  if (index < 0 || static_cast<std::uint32_t>(index) >= item_count) return kVokBadArgument;
  words[0] = record->utterance;
  words[1] = record->grammar;
  words[2] = record->items[index + 1];
  return kVokOk;
}

}  // namespace vok::api
