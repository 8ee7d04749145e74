// The pen controller: the handwriting sentence system with the models of
// the `Resources` section "HWRSentence" and the gesture model of the shared
// data set. Strokes come in one by one; a recognition answers gestures and
// punctuation at once and queues everything else for the delivery thread,
// which runs the back end and builds the word-id records.
//
// A queued request owns the strokes it was made of: until its back end has
// run, the next input waits (the system holds the strokes, so they would
// otherwise join the queued request and be cleared by it).
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/api/parameters.h"
#include "engine/api/recognizer.h"
#include "engine/api/vok_status.h"

namespace vok {
class CHRecognitionSystem;
class CHWRGestureModel;
class HwrCodeConversion;
class Resources;
struct GestureTemplate;
}  // namespace vok

namespace vok::api {

class CPenRecognizer final : public CRecognizer {
 public:
  // The back end's constants before it reads a pen request's sentences.
  static constexpr float kClassBigramWeight = 0.7f;
  static constexpr float kWordProbWeight = 0.5f;
  static constexpr int kWordInsertionPenalty = 0;
  static constexpr int kStackSearchBeam = 300;
  // The segment deltas: 10 x n before the first character, 3 x n per
  // character, with n = 1.
  static constexpr int kSegmentDeltaUnit = 1;
  // A stroke holds at most this many points (a request as well).
  static constexpr std::uint32_t kMaxStrokePoints = 200000;

  // Over the engine's store, back end and shared data set; the script
  // conversion table is read from `conversion_table` when it exists. Null
  // (and kVokSetUpFailed) without a lexicon.
  static std::unique_ptr<CPenRecognizer> Create(const ControllerContext& context,
                                                const std::string& conversion_table, VokStatus* status);
  ~CPenRecognizer() override;

  // One stroke of `count` points, each y in the low and x in the high 16
  // bits. The first stroke of an input latches the pen parameters, numbers
  // the input and posts notification 101. kVokBadArgument for no points or
  // a stroke the system does not take.
  VokStatus ProcessStroke(std::uint32_t count, const std::uint32_t* points,
                          const EngineParameters& parameters);
  // kVokNoStrokes without strokes; gestures and punctuation are answered
  // here, other input is queued.
  VokStatus RecognizeStrokes();
  // Drops the held strokes; an input not yet answered gets the empty pair.
  VokStatus ClearStrokes();
  bool HoldsStrokes();

  // Gesture templates of the shared data set. `data` holds `strokes`
  // strokes one after another, each a 32-bit point count and that many
  // points in the form of ProcessStroke; `size` is its length in bytes.
  VokStatus AddGesture(const char* name, std::int32_t strokes, const void* data, std::uint32_t size);
  VokStatus RemoveGesture(const char* name);
  // Fills the 408-byte template record of the n-th template in use (an
  // empty record for an unknown index).
  VokStatus EnumGesture(std::int32_t index, vok::GestureTemplate* record);

  void Recognize(VokRequest& request) override;
  void FreeRequest(VokRequest* request) override;

  const vok::CHRecognitionSystem& system() const { return *system_; }

 private:
  explicit CPenRecognizer(const ControllerContext& context);
  bool SetUp(const std::string& conversion_table);
  void LoadModels(const vok::Resources& resources);
  // Waits until no queued request holds the system's strokes.
  void WaitIdle(std::unique_lock<std::mutex>& lock);
  // Posts a template's text (gesture or punctuation) as the answer.
  void PostTemplateText(std::uint32_t kind, const std::string& text);
  void DropStrokes();

  ControllerContext context_;
  std::unique_ptr<vok::HwrCodeConversion> conversion_;
  std::unique_ptr<vok::CHRecognitionSystem> system_;
  std::condition_variable idle_;
  std::array<std::uint32_t, 4> latched_{};
  std::uint32_t held_strokes_ = 0;
  std::uint32_t sequence_ = 0;
  bool answered_ = true;
  bool queued_ = false;
  std::uint32_t queued_sequence_ = 0;
};

}  // namespace vok::api
