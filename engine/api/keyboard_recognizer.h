// The keyboard controller: the keyboard pronunciation-to-character system
// over the engine's store and the lexicon's pronunciations, and the key
// buffer of the current input. Keys come in one at a time; the conversion
// runs in the delivery thread on a copy of the buffer that the request
// carries: after every key when the per-key switch is on (a request that
// still waits is replaced by the next), and once more when the client asks
// for the result.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "engine/api/key_buffer.h"
#include "engine/api/parameters.h"
#include "engine/api/recognizer.h"
#include "engine/api/vok_status.h"

namespace vok {
class P2HSystem;
}  // namespace vok

namespace vok::api {

class CKeyboardRecognizer final : public CRecognizer {
 public:
  // Null (and kVokSetUpFailed) without a lexicon or a back end.
  static std::unique_ptr<CKeyboardRecognizer> Create(const ControllerContext& context, VokStatus* status);
  ~CKeyboardRecognizer() override;

  // One key (its low byte), as a set of one key; Backspace (8) removes the
  // last position.
  VokStatus ProcessKey(std::uint32_t key, const EngineParameters& parameters);
  // A zero-ended set of alternative keys as one position. The first key of
  // a new input latches the keyboard parameters, numbers the input and posts
  // notification 102 or 103. kVokKeyRefused when the buffer refuses it.
  VokStatus ProcessKeySet(const char* keys, const EngineParameters& parameters);
  // Queues the conversion of the buffer and empties it; kVokNoKeys when
  // there is nothing to answer.
  VokStatus RecognizeKeys(const EngineParameters& parameters);
  // Empties the buffer; an input not yet answered gets the empty pair.
  VokStatus ClearKeys();
  // The key text and its zero; kVokBadArgument (and an empty text when
  // there is room for one) when it does not fit in `size` bytes.
  VokStatus GetKeyBuffer(std::uint32_t size, char* buffer);
  bool HoldsKeys();
  // Empties the buffer without an answer (pending results cleared).
  void DropKeys();

  void Recognize(VokRequest& request) override;

  const vok::P2HSystem& system() const { return *system_; }
  std::int32_t failing_position();

 private:
  explicit CKeyboardRecognizer(const ControllerContext& context);
  bool SetUp();
  VokStatus AddKeys(std::string_view keys, const EngineParameters& parameters);
  // Queues a request of the buffer as it is now.
  void Queue(std::uint32_t priority, std::uint32_t option_bits);
  // Feeds the keys to the system; the byte offset of the position whose key
  // it refused, or -1 when it took them all.
  std::int32_t FeedKeys(const KeyBuffer& keys);
  void Convert(VokRequest& request, const KeyBuffer& keys, std::uint32_t kind_bits);
  // The hypotheses and alternatives records without entries.
  void SetEmptyResults(const VokRequest& request, std::uint32_t kind_bits);
  // A per-key request of an input that a clear has answered already.
  bool AnsweredByClear(const VokRequest& request);

  ControllerContext context_;
  // Held while a request is converted; the system is used under it only.
  std::mutex conversion_;
  std::unique_ptr<vok::P2HSystem> system_;
  KeyBuffer keys_;
  std::array<std::uint32_t, 4> latched_{};
  std::uint32_t sequence_ = 0;
  bool answered_ = true;
  // The input the last clear answered with the empty pair.
  std::optional<std::uint32_t> cleared_sequence_;
};

}  // namespace vok::api
