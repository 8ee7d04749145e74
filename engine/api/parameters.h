// The parameters of the speech (0x1000-0x1003), pen (0x2000-0x2003) and
// keyboard (0x3000-0x3003) groups, as VOKSetParamP and VOKGetParamP see them.
#pragma once

#include <array>
#include <cstdint>

#include "engine/api/vok_status.h"

namespace vok::api {

// Which recognizers the started engine holds; reading (and writing speech
// parameters) needs the group's recognizer.
struct RecognizerPresence {
  bool started = false;
  bool speech = false;
  bool dictation = false;
  bool pen = false;
  bool keyboard = false;
};

// The dictation system's beams that parameter 0x1002 drives.
class DictationBeams {
 public:
  virtual ~DictationBeams() = default;
  virtual void SetBeams(std::uint32_t phone, std::uint32_t phone_transition,
                        std::uint32_t syllable_transition) = 0;
  virtual std::uint32_t PhoneBeam() const = 0;
};

// The range mask of the handwriting system from the value of parameter 0x2003.
std::uint32_t PenRangeMask(std::uint32_t range);

class EngineParameters {
 public:
  EngineParameters() { WriteDefaults(); }

  VokStatus Set(std::uint32_t id, std::uint32_t value, const RecognizerPresence& presence,
                DictationBeams* beams);
  VokStatus Get(std::uint32_t id, std::uint32_t* value, const RecognizerPresence& presence,
                const DictationBeams* beams) const;

  // The values every start-up leaves, success or not: the speech switches
  // off and the pen and keyboard defaults.
  void WriteDefaults();

  std::uint32_t speech(int index) const { return speech_[index]; }
  std::uint32_t pen(int index) const { return pen_[index]; }
  std::uint32_t keyboard(int index) const { return keyboard_[index]; }

 private:
  std::array<std::uint32_t, 2> speech_{};  // 0x1000, 0x1001
  std::array<std::uint32_t, 4> pen_{};     // 0x2000-0x2003
  std::array<std::uint32_t, 4> keyboard_{};
};

}  // namespace vok::api
