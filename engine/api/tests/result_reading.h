// Result records and notifications as a client of the scripted windows sees
// them.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "engine/api/result_records.h"
#include "engine/api/tests/scripted_windows.h"

namespace vok::api::testing {

// What a result record holds, read as a client reads it.
struct Record {
  std::uint32_t kind = 0;
  std::uint32_t sequence = 0;
  std::uint32_t second_word = 0;
  std::vector<std::vector<std::uint16_t>> ids;  // word-id kinds
  std::vector<std::string> texts;               // text kinds

  bool operator==(const Record&) const = default;
};

inline Record Read(std::uintptr_t address) {
  const auto* r = reinterpret_cast<const VokResult*>(address);
  Record record{r->kind, r->sequence, r->second_word, {}, {}};
  for (std::uint32_t i = 0; i < r->count; ++i) {
    if (IsWordIdKind(r->kind)) {
      const auto* lengths = static_cast<const std::uint16_t*>(r->entries);
      record.ids.emplace_back(r->word_ids[i], r->word_ids[i] + lengths[i]);
    } else {
      record.texts.emplace_back(static_cast<char* const*>(r->entries)[i]);
    }
  }
  return record;
}

inline std::vector<Delivered> Messages(ScriptedWindows& windows, std::uint32_t message) {
  std::vector<Delivered> found;
  for (const Delivered& d : windows.Snapshot()) {
    if (d.message == message) found.push_back(d);
  }
  return found;
}

// The messages once `count` of them came, or after a minute those that did.
inline std::vector<Delivered> WaitForMessages(ScriptedWindows& windows, std::uint32_t message,
                                              std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Messages(windows, message).size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return Messages(windows, message);
}

}  // namespace vok::api::testing
