// The recognition driver and the candidate cells shared by every recognition
// frame of the program (the main frame and the writing pad): it turns a
// StrokeList into cells of the result strip, keeps the strip of at most C
// cells with a history behind it, turns gestures into editing keys, sends
// committed cells through events 11 and 12, and learns corrected cells.
//
// The frames are the windows around it: each implements RecogEventTarget and
// hands the events it does not handle itself to HandleBaseEvent.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/core/candidate_item.h"
#include "app/core/recog_events.h"
#include "app/core/recognition_dispatcher.h"
#include "app/core/settings.h"
#include "app/core/stroke_cells.h"
#include "app/core/user_map.h"
#include "platform/notification_window.h"

namespace wrendle::app {

using platform::WindowHandle;

// Turns a tap that recognized to nothing into a click on the window under
// the pen (screen pixels).
class TapPassThrough {
 public:
  virtual ~TapPassThrough() = default;
  virtual void PassTap(StrokeEntry screen_point) = 0;
};

// What a frame does for events 11 and 12: post WM_SENDRESULT to itself.
class SendResultPoster {
 public:
  virtual ~SendResultPoster() = default;
  virtual void PostSendResult(std::uint16_t code, WindowHandle target) = 0;
};

class RecognitionDriver {
 public:
  static constexpr int kDefaultCapacity = 10;
  static constexpr int kMaxCellsPerLine = 10;

  RecognitionDriver(RecognitionDispatcher& dispatcher, const CUserMap& user_map, const Settings& settings,
                    TapPassThrough* taps = nullptr);
  RecognitionDriver(const RecognitionDriver&) = delete;
  RecognitionDriver& operator=(const RecognitionDriver&) = delete;

  // Events go to the pad when it is set, else to the main target.
  void SetMainTarget(RecogEventTarget* target) { main_target_ = target; }
  void SetPadTarget(RecogEventTarget* target) { pad_target_ = target; }
  RecogEventTarget* main_target() const { return main_target_; }
  RecogEventTarget* pad_target() const { return pad_target_; }
  RecogEventTarget* EventTarget() const { return pad_target_ != nullptr ? pad_target_ : main_target_; }

  // The base frame's handling of events 11, 12, 106, 107 and 108; 0 for the
  // others. `self` is the frame that handles the event.
  std::intptr_t HandleBaseEvent(int code, std::intptr_t a, std::intptr_t b, SendResultPoster& self);

  // A line of handwriting from the stroke intake: cut into cells unless
  // `no_segment` (the write-pad ink box), recognized, and, when it yields
  // nothing and was cut, passed through as a tap. A malformed list is ignored.
  void RecognizeStrokes(std::span<const StrokeEntry> strokes, bool no_segment);

  void SendKeyCode(std::uint16_t key);
  void SendKeyCodeAfterSelection(std::uint16_t key);
  void SendKeyCodeAtSelection(std::uint16_t key);

  void AddCell(std::uint16_t code, std::span<const std::uint16_t> candidates,
               std::span<const StrokeEntry> strokes);
  void SelectCell(int i);
  void ChooseCandidate(std::uint16_t code);
  void ChooseCandidateByIndex(int i);
  void RemoveCell(int i, bool backwards);
  void MoveCell(int to, int from);
  void MergeWithPrevious(int i);
  void SplitCell(int i);
  void CommitCells();
  void RestoreHistory();
  void SetCapacity(int n);

  // Cells by index; -1 is the selected cell. Null when there is none.
  const CCandidateItem* Cell(int i) const;
  int cell_count() const { return static_cast<int>(cells_.size()); }
  const CCandidateItem* HistoryCell(int i) const;
  int history_count() const { return static_cast<int>(history_.size()); }
  int capacity() const { return capacity_; }
  int insertion() const { return insertion_; }
  int selected() const { return selected_; }
  bool send_at_once() const { return send_at_once_; }
  bool replace_sent() const { return replace_sent_; }
  // The keyboard pane's Tab, Backspace and Enter: the next cell replaces
  // nothing already sent.
  void clear_replace_sent() { replace_sent_ = false; }

  bool sign_and_draw() const { return sign_and_draw_; }
  void set_sign_and_draw(bool on) { sign_and_draw_ = on; }

  std::intptr_t Raise(int code, std::intptr_t a = 0, std::intptr_t b = 0);

 private:
  using CellPtr = std::unique_ptr<CCandidateItem>;

  // `segment`: cut the line into cells. `pass_taps`: a line that yields
  // nothing is passed on as a click (only lines from the stroke intake).
  void RecognizeLine(std::span<const StrokeEntry> strokes, bool segment, bool pass_taps);
  void AddRecognizedCell(int result, std::uint16_t* candidates, const StrokeBuffer& strokes);
  bool AddGesture(int gesture);
  void BeginLine(int n);
  void LearnCell(CCandidateItem* cell);
  std::uint16_t Shaped(std::uint16_t code) const;
  bool InsertMode() const { return insert_override_.value_or(settings_.insert); }
  // Takes a cell that leaves the strip into the history, deleting the oldest
  // beyond the capacity.
  void ToHistory(CellPtr cell);

  RecognitionDispatcher& dispatcher_;
  const CUserMap& user_map_;
  const Settings& settings_;
  TapPassThrough* taps_;
  RecogEventTarget* main_target_ = nullptr;
  RecogEventTarget* pad_target_ = nullptr;

  std::vector<CellPtr> cells_;
  std::vector<CellPtr> history_;  // oldest first
  CCandidateItem empty_cell_;
  int capacity_ = kDefaultCapacity;
  int insertion_ = 0;  // P, 0..count
  int selected_ = -1;  // S, -1 none
  bool send_at_once_ = false;
  bool replace_sent_ = false;
  bool sign_and_draw_ = false;
  // Merge and split force the insert mode for the cells they re-enter.
  std::optional<bool> insert_override_;
};

}  // namespace wrendle::app
