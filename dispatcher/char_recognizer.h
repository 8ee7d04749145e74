// Base of the dispatcher's recognizer family.
#pragma once

#include <cstdint>

#include "common/stroke_list.h"
#include "dispatcher/dispatcher_state.h"

namespace wrendle {

// The strokes of one cell: the caller's list, passed on unchanged to the
// modules, and its checked view.
struct CellStrokes {
  const StrokeEntry* list;
  const StrokeListView& view;
};

class CCharRecognizer {
 public:
  explicit CCharRecognizer(DispatcherState& state) : state_(state) {}
  virtual ~CCharRecognizer() = default;
  CCharRecognizer(const CCharRecognizer&) = delete;
  CCharRecognizer& operator=(const CCharRecognizer&) = delete;

  // Non-zero when the recognizer can work.
  virtual int Init() { return 0; }
  virtual int SetRange(int range_flags) {
    state_.range_flags = range_flags;
    return range_flags;
  }
  virtual int AttachLearn(const char*, const char*, const char*, const char*) { return 0; }
  // `candidates` has room for 11 codes. Returns 1..10 candidates, a gesture
  // code 11..28, or 0.
  virtual int Recognize(const CellStrokes&, std::uint16_t*, int /*learn_code*/) { return 0; }
  void SetPrevCharacter(std::uint16_t code) { state_.previous_character = code; }
  virtual int LanguageId() const { return 0; }
  virtual int Mode() const { return 0; }

 protected:
  DispatcherState& state_;
};

}  // namespace wrendle
