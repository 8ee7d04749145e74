// A pending recognition and the base of the controllers that run them.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/api/result_records.h"

namespace vok::api {

class CEngine;
class CNotifier;
class CRecognizer;

// What every controller uses of its engine library: the engine it belongs
// to, the notifier of the client window and the records it hands out.
struct ControllerContext {
  CEngine& engine;
  CNotifier& notifier;
  ResultRecords& records;
};

enum RecognizerKind : std::uint32_t { kKeyboardKind = 0, kSpeechKind = 1, kPenKind = 2 };

inline constexpr std::uint32_t kSpeechPriority = 200;
inline constexpr std::uint32_t kPenPriority = 100;
inline constexpr std::uint32_t kKeyConversionPriority = 99;
inline constexpr std::uint32_t kPerKeyPriority = 98;

struct VokRequest {
  std::uint8_t option = 1;          // 0 only for the per-key keyboard requests
  std::uint8_t rescoring = 0;       // rescoring wanted
  std::uint8_t context_switch = 0;  // pen 0x2000 / keyboard 0x3000 as latched
  std::uint32_t sequence = 0;
  std::uint32_t second_word = 0xFFFFFFFFu;  // or the grammar id for speech
  std::uint32_t kind = kPenKind;
  std::uint32_t option_bits = 0;  // keyboard: bit 0 from 0x3001, bit 1 from 0x3003
  std::vector<char> attached;     // keyboard: a copy of the key buffer
  CRecognizer* owner = nullptr;
  std::uint32_t priority = kPenPriority;
  // Set by a controller that answered the request in another way (a refused
  // per-key conversion: notification 120): no result pair follows.
  bool answered = false;
};

class CRecognizer {
 public:
  explicit CRecognizer(std::uint32_t kind) : kind_(kind) {}
  virtual ~CRecognizer() = default;
  CRecognizer(const CRecognizer&) = delete;
  CRecognizer& operator=(const CRecognizer&) = delete;

  // Runs one request and fills the two result slots; may throw.
  virtual void Recognize(VokRequest& request) = 0;
  virtual void FreeRequest(VokRequest* request) { delete request; }

  std::uint32_t kind() const { return kind_; }
  // The first and second result of the last recognition, handed over once.
  void TakeResults(VokResult** first, VokResult** second) {
    *first = first_;
    *second = second_;
    first_ = second_ = nullptr;
  }

 protected:
  void SetResults(VokResult* first, VokResult* second) {
    first_ = first;
    second_ = second;
  }
  // Held while the controller recognizes.
  std::mutex guard_;

 private:
  std::uint32_t kind_;
  VokResult* first_ = nullptr;
  VokResult* second_ = nullptr;
};

}  // namespace vok::api
