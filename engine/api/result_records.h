// The result records the engine hands to its client: built here, owned by
// the client once posted, returned with VOKDeleteResultP. The engine keeps
// the set of records it handed out and not yet got back, so a record that is
// unknown or already returned is refused instead of freed twice.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/engine_pen_abi.h"
#include "engine/api/vok_status.h"

namespace vok::api {

using wrendle::abi::VokResult;

// Seven 32-bit words in the product; the three arrays pointer-sized in the
// 64-bit build.
static_assert(sizeof(VokResult) == 4 * sizeof(std::uint32_t) + 3 * sizeof(void*));
static_assert(sizeof(void*) != 4 || sizeof(VokResult) == 28);

inline constexpr std::uint32_t kKindText = 0x10;
inline constexpr std::uint32_t kKindWordIdAlternatives = 0x20;
inline constexpr std::uint32_t kKindWordIdHypotheses = 0x40;
inline constexpr std::uint32_t kKindFlagged = 0x1;
inline constexpr std::uint16_t kPaddingWordId = 65535;

// What the readers write into a client's buffer at most: a text of 1000
// bytes and its zero; 200 word ids.
inline constexpr std::size_t kMaxTextResultBytes = 1000;
inline constexpr std::size_t kMaxWordIdResultIds = 200;

bool IsTextKind(std::uint32_t kind);
bool IsWordIdKind(std::uint32_t kind);

class ResultRecords {
 public:
  ResultRecords() = default;
  ~ResultRecords();
  ResultRecords(const ResultRecords&) = delete;
  ResultRecords& operator=(const ResultRecords&) = delete;

  // Null when memory fails.
  VokResult* MakeText(std::uint32_t kind, std::uint32_t sequence, std::uint32_t second_word,
                      const std::vector<std::string>& texts);
  VokResult* MakeWordIds(std::uint32_t kind, std::uint32_t sequence, std::uint32_t second_word,
                         const std::vector<std::vector<std::uint16_t>>& entries);

  // kVokBadResult for null, unknown or already returned records.
  VokStatus Delete(VokResult* result);
  bool IsLive(const VokResult* result) const;
  std::size_t live_count() const;

 private:
  VokResult* Register(VokResult* result);

  mutable std::mutex mutex_;
  std::unordered_set<const VokResult*> live_;
};

// The readers of the result workers.
VokStatus GetTextResult(ResultRecords& records, VokResult* result, std::int32_t index,
                        std::uint32_t delete_result, std::uint32_t* count, char* buffer);
VokStatus GetWordIdResult(ResultRecords& records, VokResult* result, std::int32_t index,
                          std::uint32_t delete_result, std::uint32_t* count, std::uint16_t* length,
                          std::uint16_t* buffer);

// The record of notification 112: {utterance number, grammar id, answer}.
struct VokCommandRecord {
  std::uint32_t utterance;
  std::uint32_t grammar;
  std::uint32_t answer;
};

// The record of notification 116: the list holds a count, then that many
// item ids.
struct VokMultiCommandRecord {
  std::uint32_t utterance;
  std::uint32_t grammar;
  const std::uint32_t* items;
};

// Both copy {utterance number, grammar id, item id} into `words`.
VokStatus GetCommandResult(const VokCommandRecord* record, std::uint32_t* words);
VokStatus GetMultiCommandResult(const VokMultiCommandRecord* record, std::int32_t index, std::uint32_t* count,
                                std::uint32_t* words);

}  // namespace vok::api
