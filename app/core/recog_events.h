// Events that the recognition driver raises through OnRecogEvent (code, a, b)
// on the event target: the writing pad when it exists, else the main frame.
#pragma once

#include <cstdint>

namespace wrendle::app {

class CCandidateItem;

enum RecogEvent : int {
  kEventSendCell = 11,      // a: cell; send its code to the target
  kEventSendKey = 12,       // a: key code; send the key to the target
  kEventCellSelected = 100, // a: cell (or an empty cell): show its candidates
  kEventCellChanged = 101,  // a: cell
  kEventCellsChanged = 102, // a: first, b: count
  kEventPositionMoved = 103,// a: insertion position
  kEventGetTarget = 104,    // returns the target window
  kEventInk = 105,          // b: StrokeList; sign-and-draw ink to paste as a picture
  kEventSendAtOnce = 106,   // a: n; non-zero when a line of n cells is sent at once
  kEventLineBegins = 107,   // a: n cells
  kEventLearnCell = 108,    // a: cell
  kEventLineDone = 109,
  kEventLineStarts = 110,
  kEventRefresh = 111,
  kEventRequest = 1024,     // a: 21 pen settings, 22 hook capture off, 23 on again, 24 fill popup menu b
};

class RecogEventTarget {
 public:
  virtual ~RecogEventTarget() = default;
  virtual std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) = 0;
};

// A cell as an event argument and back.
inline std::intptr_t CellArg(const CCandidateItem* cell) { return reinterpret_cast<std::intptr_t>(cell); }
inline CCandidateItem* CellFromArg(std::intptr_t a) { return reinterpret_cast<CCandidateItem*>(a); }

}  // namespace wrendle::app
