// The calls the recognition driver makes into the dispatcher "Zunmain". The
// program binds them to the module's exports; tests give a fake.
#pragma once

#include <cstdint>

#include "common/stroke_list.h"

namespace wrendle::app {

class RecognitionDispatcher {
 public:
  virtual ~RecognitionDispatcher() = default;

  // Cuts a line into at most `max_cells` cells; `ends` receives, per cell,
  // the number of strokes up to and including its last. Returns the number
  // of cells, -1 on failure.
  virtual int Segment(const StrokeEntry* strokes, std::int32_t* ends, int max_cells) = 0;
  // `candidates` has room for 12 codes. Returns 1..10 candidates, 11..28 a
  // GestureCode, 0 or less for none. A non-zero `learn_code` (the character
  // with its bytes swapped) teaches the recognizer these strokes.
  virtual int Recognize(const StrokeEntry* strokes, std::uint16_t* candidates, int learn_code) = 0;
  virtual int GetCutSetting() = 0;
  virtual int CutSetting(int cut_setting) = 0;
  virtual void SetPrevCharacter(int code) = 0;
};

}  // namespace wrendle::app
