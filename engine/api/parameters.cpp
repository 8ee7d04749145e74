#include "engine/api/parameters.h"

#include <algorithm>

#include "engine/api/shared_section.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kGroupMask = 0xF000;
constexpr std::uint32_t kSpeechGroup = 0x1000;
constexpr std::uint32_t kPenGroup = 0x2000;
constexpr std::uint32_t kKeyboardGroup = 0x3000;
constexpr std::uint32_t kSpeedLevel = 0x1002;
constexpr std::uint32_t kSharedValue = 0x1003;
constexpr std::uint32_t kBeamBase = 300;
constexpr std::uint32_t kBeamStep = 10;
constexpr std::uint32_t kMaxSpeedLevel = 10;

// 0 or 1 as given; other values are refused.
bool IsSwitch(std::uint32_t value) { return value <= 1; }

}  // namespace

std::uint32_t PenRangeMask(std::uint32_t range) {
  std::uint32_t mask = 0;
  if (range & 2) mask |= 0x1;
  if (range & 4) mask |= 0x2;
  if (range & 1) mask |= 0x24;
  if (range & 32) mask |= 0x44;
  if (range & 64) mask |= 0x84;
  if (range & 16) mask |= 0x14;
  if (range & 8) mask |= 0x8;
  if (range & 128) mask |= 0x100;
  return mask;
}

void EngineParameters::WriteDefaults() {
  speech_ = {0, 0};
  pen_ = {0, 1, 1, 6};
  keyboard_ = {0, 1, 0, 1};
}

VokStatus EngineParameters::Set(std::uint32_t id, std::uint32_t value, const RecognizerPresence& presence,
                                DictationBeams* beams) {
  if (id == kSharedValue) return kVokOk;
  if (!presence.started) return kVokNotStarted;
  const std::uint32_t index = id & 0xFFF;
  switch (id & kGroupMask) {
    case kSpeechGroup:
      if (index > 2) return kVokBadArgument;
      if (id == kSpeedLevel) {
        if (value > kMaxSpeedLevel) return kVokBadArgument;
        if (!presence.speech) return kVokNoSpeechRecognizer;
        if (beams == nullptr || !presence.dictation) return kVokOk;
        const std::uint32_t beam = kBeamBase + kBeamStep * value;
        beams->SetBeams(beam, beam, beam);
        return kVokOk;
      }
      if (index == 1 && !IsSwitch(value)) return kVokBadArgument;
      if (!presence.speech) return kVokNoSpeechRecognizer;
      speech_[index] = value != 0 ? 1 : 0;
      return kVokOk;
    case kPenGroup:
      if (index > 3) return kVokBadArgument;
      if (index <= 1 && !IsSwitch(value)) return kVokBadArgument;
      pen_[index] = value;
      return kVokOk;
    case kKeyboardGroup:
      if (index > 3) return kVokBadArgument;
      keyboard_[index] = value != 0 ? 1 : 0;
      return kVokOk;
    default:
      return kVokBadArgument;
  }
}

VokStatus EngineParameters::Get(std::uint32_t id, std::uint32_t* value, const RecognizerPresence& presence,
                                const DictationBeams* beams) const {
  if (!presence.started) return kVokNotStarted;
  const std::uint32_t index = id & 0xFFF;
  switch (id & kGroupMask) {
    case kSpeechGroup:
      if (index > 3) return kVokBadArgument;
      if (!presence.speech) return kVokNoSpeechRecognizer;
      if (value == nullptr) return kVokBadArgument;
      if (id == kSharedValue) {
        *value = SharedSection().parameter_1003.load();
      } else if (id == kSpeedLevel) {
        if (beams == nullptr || !presence.dictation) {
          *value = 0xFFFFFFFFu;
        } else {
          const auto level = (static_cast<std::int64_t>(beams->PhoneBeam()) - kBeamBase) / kBeamStep;
          *value = static_cast<std::uint32_t>(std::clamp<std::int64_t>(level, 0, kMaxSpeedLevel));
        }
      } else {
        *value = speech_[index];
      }
      return kVokOk;
    case kPenGroup:
      if (index > 3) return kVokBadArgument;
      if (!presence.pen) return kVokNoPenOrKeyboardRecognizer;
      if (value == nullptr) return kVokBadArgument;
      *value = pen_[index];
      return kVokOk;
    case kKeyboardGroup:
      if (index > 3) return kVokBadArgument;
      if (!presence.keyboard) return kVokNoPenOrKeyboardRecognizer;
      if (value == nullptr) return kVokBadArgument;
      *value = keyboard_[index];
      return kVokOk;
    default:
      return kVokBadArgument;
  }
}

}  // namespace vok::api
