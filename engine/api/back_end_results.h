// What a controller makes of its system's N-best list once the back end of a
// queued request has run: the optional context rescoring (notification 113
// asks the client for two context texts), the table of hypotheses and the
// alternatives of each word position, and from them the two word-id records
// that the delivery thread posts with notification 111.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/api/notifier.h"
#include "engine/api/result_records.h"

namespace vok {
class CSystem;
}  // namespace vok

namespace vok::api {

// The record of notification 113: the client may write two texts of at most
// 15 bytes each.
struct VokContextRecord {
  static constexpr std::size_t kTextBytes = 16;
  std::uint32_t sequence;
  char first[kTextBytes];
  char second[kTextBytes];
};

// The N-best list as the result records carry it: at most 200 hypotheses of
// at most 50 word ids each. One table per engine, filled and read only by
// the delivery thread.
class HypothesesTable {
 public:
  static constexpr int kMaxHypotheses = 200;
  static constexpr int kMaxWords = 50;

  void Fill(const vok::CSystem& system);
  const std::vector<std::vector<std::uint16_t>>& hypotheses() const { return hypotheses_; }

 private:
  std::vector<std::vector<std::uint16_t>> hypotheses_;
};

// Turns a context text into word ids; empty when it has none.
using TextToWordIds = std::function<std::vector<std::uint16_t>(const char* text)>;

struct ResultRequest {
  std::uint32_t sequence = 0;
  std::uint32_t second_word = 0xFFFFFFFFu;
  // The flag and the recognizer byte of both records (0x201 for pen).
  std::uint32_t kind_bits = 0;
};

class BackEndResults {
 public:
  BackEndResults(CNotifier& notifier, ResultRecords& records, HypothesesTable& table)
      : notifier_(notifier), records_(records), table_(table) {}

  // Notification 113 for the request: the texts the client wrote, each cut
  // to 15 bytes. Empty texts when the send fails.
  VokContextRecord AskContext(std::uint32_t sequence);

  // Rescoring with the two context texts (either may be empty), when a text
  // was given or the best hypothesis holds at least two words.
  void Rescore(vok::CSystem& system, const VokContextRecord& context, const TextToWordIds& to_word_ids);

  // Fills the table and the alternatives from the system's list and makes
  // the hypotheses record (kind 64) and the alternatives record (kind 32);
  // both null when memory fails.
  void Build(vok::CSystem& system, const ResultRequest& request, VokResult** hypotheses,
             VokResult** alternatives);

  // What follows the back end of a queued request: notification 113 when
  // `ask_context`, the rescoring when `rescore`, then Build. `language` is
  // held over the work on the system, never over the send.
  void Finish(vok::CSystem& system, std::mutex& language, bool ask_context, bool rescore,
              const TextToWordIds& to_word_ids, const ResultRequest& request, VokResult** hypotheses,
              VokResult** alternatives);

 private:
  CNotifier& notifier_;
  ResultRecords& records_;
  HypothesesTable& table_;
};

}  // namespace vok::api
