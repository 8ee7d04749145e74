#include "app/core/stroke_intake.h"

#include <algorithm>
#include <new>

namespace wrendle::app {

void StrokeIntake::OnStrokeData(std::uintptr_t code, std::intptr_t lparam) {
  switch (code) {
    case kRecognize:
      OnRecognize(lparam);
      break;
    case kCaptureEnd:
      OnCaptureEnd(static_cast<int>(lparam));
      break;
    case kFetched:
      OnFetched(lparam);
      break;
    case kCancelJournal:
      hook_.Rehook(handle_);
      break;
    default:
      break;
  }
}

Point StrokeIntake::LastPenPoint() {
  return settings_.is_pressure > 0 ? hook_.GetLastPosition() : host_.CursorPosition();
}

void StrokeIntake::OnRecognize(std::intptr_t lparam) {
  if (lparam == 0) {
    if (!host_.PadVisible() || !settings_.wait_recognize) {
      hook_.SetWaitingRecognize(0, 0, 0);
      return;
    }
    if (!host_.WaitButtonVisible()) {
      host_.ShowWaitButton(PlaceWaitButton(LastPenPoint(), settings_.pen_width, host_.FullScreenSize()));
    }
    hook_.SetWaitingRecognize(1, 0, host_.WaitButtonWindow());
    return;
  }
  host_.HideWaitButton();
  if (lparam == 1) hook_.SetWaitingRecognize(0, 0, 0);
}

void StrokeIntake::OnCaptureEnd(int counter) {
  host_.Request(kRequestCaptureOff);
  bool posted = false;
  const int size = hook_.GetSize(handle_, counter);
  if (size > 0) {
    // The library never holds more than its shared buffer.
    const std::size_t bytes =
        std::min(static_cast<std::size_t>(size), kMaxStrokeListEntries * sizeof(StrokeEntry));
    std::vector<StrokeEntry> block;
    try {
      block.resize((bytes + sizeof(StrokeEntry) - 1) / sizeof(StrokeEntry));
    } catch (const std::bad_alloc&) {
      block.clear();
    }
    if (!block.empty()) {
      const int copied = hook_.GetData(handle_, counter, block.data(), static_cast<int>(bytes));
      block.resize(static_cast<std::size_t>(std::clamp(copied, 0, static_cast<int>(bytes))) /
                   sizeof(StrokeEntry));
      const std::uint32_t sequence = next_sequence_++;
      blocks_.emplace(sequence, std::move(block));
      posted = host_.PostFetched(sequence);
      if (!posted) blocks_.erase(sequence);
    }
  }
  hook_.ClearData(handle_, counter);
  // Nothing to recognize: the capture goes on at once.
  if (!posted) host_.Request(kRequestCaptureOn);
}

void StrokeIntake::OnFetched(std::intptr_t sequence) {
  const auto found = blocks_.find(static_cast<std::uint32_t>(sequence));
  if (found == blocks_.end()) return;
  const std::vector<StrokeEntry> block = std::move(found->second);
  blocks_.erase(found);
  host_.Reply();
  if (StrokeListView::Parse(block)) host_.Recognize(block);
  host_.Request(kRequestCaptureOn);
}

}  // namespace wrendle::app
