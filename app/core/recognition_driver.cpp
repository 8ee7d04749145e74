#include "app/core/recognition_driver.h"

#include <algorithm>
#include <array>

#include "app/core/char_codes.h"

namespace wrendle::app {
namespace {

// Candidate array of one recognition call: ten codes, the end zero and one
// more of room.
using CandidateBuffer = std::array<std::uint16_t, 12>;

class ScopedInsertMode {
 public:
  ScopedInsertMode(std::optional<bool>* slot, bool insert) : slot_(slot), saved_(*slot) { *slot = insert; }
  ~ScopedInsertMode() { *slot_ = saved_; }
  ScopedInsertMode(const ScopedInsertMode&) = delete;
  ScopedInsertMode& operator=(const ScopedInsertMode&) = delete;

 private:
  std::optional<bool>* slot_;
  std::optional<bool> saved_;
};

}  // namespace

RecognitionDriver::RecognitionDriver(RecognitionDispatcher& dispatcher, const CUserMap& user_map,
                                     const Settings& settings, TapPassThrough* taps)
    : dispatcher_(dispatcher), user_map_(user_map), settings_(settings), taps_(taps) {}

std::intptr_t RecognitionDriver::Raise(int code, std::intptr_t a, std::intptr_t b) {
  RecogEventTarget* target = EventTarget();
  return target != nullptr ? target->OnRecogEvent(code, a, b) : 0;
}

std::uint16_t RecognitionDriver::Shaped(std::uint16_t code) const {
  return settings_.full_shape ? ToFullWidth(code, settings_.recognizer_language) : code;
}

const CCandidateItem* RecognitionDriver::Cell(int i) const {
  if (i == -1) i = selected_;
  if (i < 0 || i >= cell_count()) return nullptr;
  return cells_[static_cast<size_t>(i)].get();
}

const CCandidateItem* RecognitionDriver::HistoryCell(int i) const {
  if (i < 0 || i >= history_count()) return nullptr;
  return history_[static_cast<size_t>(i)].get();
}

void RecognitionDriver::ToHistory(CellPtr cell) {
  history_.push_back(std::move(cell));
  while (history_count() > capacity_) history_.erase(history_.begin());
}

// ---------------------------------------------------------------- events

std::intptr_t RecognitionDriver::HandleBaseEvent(int code, std::intptr_t a, std::intptr_t, SendResultPoster& self) {
  switch (code) {
    case kEventSendCell: {
      const CCandidateItem* cell = CellFromArg(a);
      if (cell == nullptr) return 0;
      self.PostSendResult(cell->code(), static_cast<WindowHandle>(Raise(kEventGetTarget)));
      return 0;
    }
    case kEventSendKey:
      self.PostSendResult(static_cast<std::uint16_t>(a), static_cast<WindowHandle>(Raise(kEventGetTarget)));
      return 0;
    case kEventSendAtOnce:
      return a == 1 ? 1 : 0;
    case kEventLineBegins:
      BeginLine(static_cast<int>(a));
      return 0;
    case kEventLearnCell:
      LearnCell(CellFromArg(a));
      return 0;
    default:
      return 0;
  }
}

void RecognitionDriver::BeginLine(int n) {
  if (selected_ != insertion_) {
    CommitCells();
    send_at_once_ = Raise(kEventSendAtOnce, n) != 0;
  } else if (!send_at_once_) {
    replace_sent_ = false;
  } else if (!cells_.empty()) {
    // The selected cell of a line sent at once is rewritten: it was sent
    // already, so the next new cell first erases it in the target.
    cells_.erase(cells_.begin());
    replace_sent_ = true;
    send_at_once_ = Raise(kEventSendAtOnce, n) != 0;
  } else {
    replace_sent_ = false;
  }
}

void RecognitionDriver::LearnCell(CCandidateItem* cell) {
  if (cell == nullptr || !cell->corrected() || !cell->has_strokes()) return;
  cell->set_corrected(false);
  CandidateBuffer ignored{};
  dispatcher_.Recognize(cell->strokes().data(), ignored.data(), SwapBytes(cell->code()));
}

// ---------------------------------------------------------- recognition

void RecognitionDriver::RecognizeStrokes(std::span<const StrokeEntry> strokes, bool no_segment) {
  RecognizeLine(strokes, !no_segment, !no_segment);
}

void RecognitionDriver::RecognizeLine(std::span<const StrokeEntry> strokes, bool segment, bool pass_taps) {
  const auto line = StrokeListView::Parse(strokes);
  if (!line) return;
  if (sign_and_draw_) {
    Raise(kEventInk, 0, reinterpret_cast<std::intptr_t>(strokes.data()));
    return;
  }
  int n = 1;
  std::array<std::int32_t, kMaxCellsPerLine> ends{};
  if (segment && capacity_ > 0) {
    n = dispatcher_.Segment(strokes.data(), ends.data(), kMaxCellsPerLine);
    if (n == 0) return;
    n = std::clamp(n, 0, kMaxCellsPerLine);  // -1 goes on with no cells
  }
  Raise(kEventLineStarts);
  Raise(kEventLineBegins, n);

  // One cell is the line as received.
  const std::vector<StrokeBuffer> cells =
      n > 1 ? SliceLine(*line, std::span<const std::int32_t>(ends.data(), static_cast<size_t>(n)))
            : std::vector<StrokeBuffer>{
                  StrokeBuffer(strokes.begin(), strokes.begin() + static_cast<std::ptrdiff_t>(line->entry_count()))};

  bool productive = false;
  for (int k = 0; k < n; ++k) {
    const StrokeBuffer& cell = cells[static_cast<size_t>(k)];
    CandidateBuffer candidates{};
    const int result = dispatcher_.Recognize(cell.data(), candidates.data(), 0);
    if (result >= 1 && result <= kMaxCandidates) {
      AddRecognizedCell(result, candidates.data(), cell);
      productive = true;
    } else if (result >= kGestureFirst && result <= kGestureEscape) {
      productive = AddGesture(result) || productive;
    } else if (result > kGestureEscape) {
      send_at_once_ = false;
    }
  }
  // A rewrite that produced no cell has nothing to replace the sent
  // character with; left armed, the flag would erase an unrelated character
  // of the target with the next cell.
  replace_sent_ = false;

  Raise(kEventLineDone);
  SelectCell(-1);
  Raise(kEventRefresh);

  if (!productive && pass_taps && taps_ != nullptr) {
    if (const auto point = TapPoint(*line)) taps_->PassTap(*point);
  }
}

void RecognitionDriver::AddRecognizedCell(int result, std::uint16_t* candidates, const StrokeBuffer& strokes) {
  for (int j = 0; j < result; ++j) {
    std::uint16_t& c = candidates[j];
    if ((c >> 8) & 0x80) continue;  // a double-byte character
    if (user_map_.Contains(SwapBytes(c))) {
      send_at_once_ = false;
    } else if ((c >> 8) == 0x20) {
      // A single-byte character from the engine: 0x2000 plus the byte.
      c = Shaped(static_cast<std::uint16_t>(c & 0xFF));
    }
  }
  AddCell(candidates[0], std::span<const std::uint16_t>(candidates, static_cast<size_t>(result)), strokes);
}

// Returns whether the gesture makes the line productive: every key except
// Enter and Space does.
bool RecognitionDriver::AddGesture(int gesture) {
  replace_sent_ = false;
  const auto key = GestureKey(gesture);
  if (!key) {
    send_at_once_ = false;  // 15: no key
    return false;
  }
  SendKeyCode(*key);
  return *key != kKeyEnter && *key != kKeySpace;
}

// ------------------------------------------------------------ keys

void RecognitionDriver::SendKeyCode(std::uint16_t key) {
  Raise(kEventLineStarts);
  Raise(kEventLineBegins, 1);
  AddCell(key, {}, {});
  Raise(kEventLineDone);
  Raise(kEventRefresh);
}

void RecognitionDriver::SendKeyCodeAfterSelection(std::uint16_t key) {
  if (selected_ == insertion_) SelectCell(insertion_ + 1);
  SendKeyCode(key);
}

void RecognitionDriver::SendKeyCodeAtSelection(std::uint16_t key) {
  if (cells_.empty()) return;
  if (selected_ != insertion_) insertion_ = std::max(selected_, 0);
  SendKeyCode(key);
}

// ------------------------------------------------------------- cells

void RecognitionDriver::AddCell(std::uint16_t code, std::span<const std::uint16_t> candidates,
                                std::span<const StrokeEntry> strokes) {
  if (code == kKeyBackspace || code == kKeyDelete) {
    if (cells_.empty()) {
      Raise(kEventSendKey, code);
    } else {
      RemoveCell(insertion_, code == kKeyBackspace);
    }
    replace_sent_ = false;
    return;
  }
  code = Shaped(code);
  insertion_ = std::clamp(insertion_, 0, cell_count());
  const bool insert = InsertMode();
  CCandidateItem* cell = nullptr;
  if (insertion_ < cell_count() && !insert) {
    cell = cells_[static_cast<size_t>(insertion_)].get();  // reused: Fill clears its flags
  } else {
    auto fresh = std::make_unique<CCandidateItem>();
    cell = fresh.get();
    cells_.insert(cells_.begin() + insertion_, std::move(fresh));
  }
  cell->Fill(code, candidates, strokes);
  Raise(kEventCellSelected, CellArg(cell));
  Raise(kEventCellChanged, CellArg(cell));

  if (replace_sent_) {
    Raise(kEventSendKey, kKeyBackspace);
    replace_sent_ = false;
  }

  if (cell_count() > capacity_) {
    // The first cell leaves the strip and is sent before the history takes
    // it: with capacity 0 the history deletes it at once.
    CellPtr first = std::move(cells_.front());
    cells_.erase(cells_.begin());
    Raise(kEventSendCell, CellArg(first.get()));
    ToHistory(std::move(first));
    insertion_ = std::min(insertion_, cell_count());
    Raise(kEventCellsChanged, 0, insertion_);
  } else if (!send_at_once_) {
    Raise(kEventCellsChanged, insertion_, insert ? cell_count() - insertion_ : 1);
    ++insertion_;
    Raise(kEventPositionMoved, insertion_, 0);
  } else if (IsKeyCode(code)) {
    Raise(kEventSendKey, code);
    RemoveCell(0, false);
    return;
  } else {
    Raise(kEventSendCell, CellArg(cells_.front().get()));
    Raise(kEventCellsChanged, 0, 1);
    ++insertion_;
    Raise(kEventPositionMoved, insertion_, 0);
  }
  selected_ = insertion_ - 1;
}

void RecognitionDriver::SelectCell(int i) {
  const CCandidateItem* cell = nullptr;
  if (i >= 0 && i < cell_count()) {
    insertion_ = i;
    cell = cells_[static_cast<size_t>(i)].get();
  } else {
    i = cell_count() - 1;
    cell = i >= 0 ? cells_[static_cast<size_t>(i)].get() : &empty_cell_;
    insertion_ = cell_count();
  }
  selected_ = i;
  Raise(kEventCellSelected, CellArg(cell));
  Raise(kEventCellChanged, CellArg(cell));
  Raise(kEventPositionMoved, insertion_, 0);
}

void RecognitionDriver::ChooseCandidate(std::uint16_t code) {
  if (selected_ < 0 || selected_ >= cell_count()) return;
  code = Shaped(code);
  if (send_at_once_) Raise(kEventSendKey, kKeyBackspace);
  CCandidateItem* cell = cells_[static_cast<size_t>(selected_)].get();
  cell->set_code(code);
  // Taking the recognizer's first choice again corrects nothing.
  const auto candidates = cell->candidates();
  cell->set_corrected(candidates.empty() || code != Shaped(candidates.front()));
  Raise(kEventCellChanged, CellArg(cell));
  if (send_at_once_) Raise(kEventSendCell, CellArg(cell));
  Raise(kEventCellsChanged, selected_, 1);
  Raise(kEventRefresh);
}

void RecognitionDriver::ChooseCandidateByIndex(int i) {
  const CCandidateItem* cell = Cell(-1);
  if (cell != nullptr && i >= 0 && i < static_cast<int>(cell->candidates().size())) {
    // Candidate 0 leaves the cell uncorrected (see ChooseCandidate).
    ChooseCandidate(cell->candidates()[static_cast<size_t>(i)]);
  }
  Raise(kEventRefresh);
}

void RecognitionDriver::RemoveCell(int i, bool backwards) {
  if (i == 0) backwards = false;
  if (backwards) --i;
  if (i < 0 || i >= cell_count()) return;
  const int old_count = cell_count();
  cells_.erase(cells_.begin() + i);
  SelectCell(backwards ? insertion_ - 1 : insertion_);
  Raise(kEventCellsChanged, insertion_, old_count - insertion_);
}

void RecognitionDriver::MoveCell(int to, int from) {
  if (from == -1) from = selected_;
  if (from < 0 || from >= cell_count() || to < 0 || to > cell_count() || to == from) return;
  CellPtr cell = std::move(cells_[static_cast<size_t>(from)]);
  cells_.erase(cells_.begin() + from);
  if (to > from) {
    cells_.insert(cells_.begin() + (to - 1), std::move(cell));
    Raise(kEventCellsChanged, from, to - from);
  } else {
    cells_.insert(cells_.begin() + to, std::move(cell));
    Raise(kEventCellsChanged, to, from - to);
  }
  SelectCell(to);
  Raise(kEventRefresh);
}

void RecognitionDriver::MergeWithPrevious(int i) {
  if (i <= 0 || i >= cell_count()) return;
  const CCandidateItem& later = *cells_[static_cast<size_t>(i)];
  if (!later.has_strokes()) return;
  const StrokeBuffer joined = JoinStrokeLists(cells_[static_cast<size_t>(i - 1)]->strokes(), later.strokes());
  RemoveCell(i, true);
  // The joined cell takes the place of the remaining one, whatever the
  // insert mode: inserting would keep the old cell beside the merged one.
  if (insertion_ != i - 1) SelectCell(i - 1);
  ScopedInsertMode overwrite(&insert_override_, false);
  RecognizeLine(joined, false, false);
}

void RecognitionDriver::SplitCell(int i) {
  if (i < 0 || i >= cell_count()) return;
  const CCandidateItem& cell = *cells_[static_cast<size_t>(i)];
  if (!cell.has_strokes()) return;
  StrokeBuffer copy;
  try {
    copy = cell.strokes();
  } catch (const std::bad_alloc&) {
    return;
  }
  const int saved_cut = dispatcher_.GetCutSetting();
  std::array<std::int32_t, kMaxCellsPerLine> ends{};
  int n = dispatcher_.Segment(copy.data(), ends.data(), kMaxCellsPerLine);
  if (n < 2) {
    dispatcher_.CutSetting(1);
    n = dispatcher_.Segment(copy.data(), ends.data(), kMaxCellsPerLine);
  }
  if (n >= 2) {
    if (insertion_ != i) SelectCell(i);
    // A cell inside the strip is removed and its pieces inserted in its
    // place; the last cell is overwritten by the first piece and the others
    // appended. Either way the split cell is not kept beside its pieces.
    const bool last = i == cell_count() - 1;
    if (!last) RemoveCell(insertion_, false);
    ScopedInsertMode mode(&insert_override_, !last);
    RecognizeLine(copy, true, false);
  }
  dispatcher_.CutSetting(saved_cut);
}

void RecognitionDriver::CommitCells() {
  const int committed = cell_count();
  if (committed > 0) history_.clear();
  while (!cells_.empty()) {
    CellPtr cell = std::move(cells_.front());
    cells_.erase(cells_.begin());
    if (settings_.auto_learn) Raise(kEventLearnCell, CellArg(cell.get()));
    if (!send_at_once_) Raise(kEventSendCell, CellArg(cell.get()));
    ToHistory(std::move(cell));
  }
  send_at_once_ = false;
  if (committed > 0) {
    insertion_ = 0;
    selected_ = -1;
    Raise(kEventCellsChanged, 0, committed);
    Raise(kEventPositionMoved, 0, 0);
  }
}

void RecognitionDriver::RestoreHistory() {
  if (history_.empty()) return;
  for (CellPtr& cell : history_) cells_.push_back(std::move(cell));
  history_.clear();
  const int n = cell_count();
  insertion_ = n;
  selected_ = n - 1;
  Raise(kEventCellSelected, CellArg(cells_.back().get()));
  Raise(kEventCellsChanged, 0, n);
  Raise(kEventPositionMoved, n, 0);
}

void RecognitionDriver::SetCapacity(int n) {
  history_.clear();
  cells_.clear();
  capacity_ = std::max(n, 0);
  insertion_ = 0;
  selected_ = -1;
}

}  // namespace wrendle::app
