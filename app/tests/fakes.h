// Fakes for the portable tests of the pen-input program: a scripted
// dispatcher and a frame that records the events it receives.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "app/core/recognition_driver.h"
#include "common/stroke_list.h"

namespace wrendle {
inline bool operator==(const StrokeEntry& a, const StrokeEntry& b) { return a.x == b.x && a.y == b.y; }
}  // namespace wrendle

namespace app_testing {

using wrendle::StrokeEntry;

// Recognition results in order; when the script is empty, 0 (no result).
class FakeDispatcher final : public wrendle::app::RecognitionDispatcher {
 public:
  struct Result {
    int value;
    std::vector<std::uint16_t> codes;
  };
  struct Segmentation {
    int value;
    std::vector<std::int32_t> ends;
  };
  struct RecognizeCall {
    std::vector<StrokeEntry> strokes;  // up to and including the end entry
    int learn_code;
  };

  std::deque<Result> results;
  // Without a script Segment gives one cell of every stroke.
  std::deque<Segmentation> segmentations;
  std::vector<RecognizeCall> calls;
  std::vector<int> cut_settings;  // every CutSetting value, in order
  int cut_setting = 50;
  int segment_calls = 0;
  std::vector<int> prev_characters;

  int Segment(const StrokeEntry* strokes, std::int32_t* ends, int max_cells) override {
    ++segment_calls;
    if (segmentations.empty()) {
      const auto view = wrendle::StrokeListView::ParseUnbounded(strokes);
      ends[0] = view ? static_cast<std::int32_t>(view->stroke_count()) : 0;
      return 1;
    }
    const Segmentation next = segmentations.front();
    segmentations.pop_front();
    for (size_t i = 0; i < next.ends.size() && static_cast<int>(i) < max_cells; ++i) ends[i] = next.ends[i];
    return next.value;
  }

  int Recognize(const StrokeEntry* strokes, std::uint16_t* candidates, int learn_code) override {
    RecognizeCall call{{}, learn_code};
    const auto view = wrendle::StrokeListView::ParseUnbounded(strokes);
    if (view) call.strokes.assign(strokes, strokes + view->entry_count());
    calls.push_back(std::move(call));
    if (learn_code != 0 || results.empty()) return 0;
    const Result next = results.front();
    results.pop_front();
    for (size_t i = 0; i < next.codes.size(); ++i) candidates[i] = next.codes[i];
    return next.value;
  }

  int GetCutSetting() override { return cut_setting; }
  int CutSetting(int value) override {
    cut_settings.push_back(value);
    cut_setting = value;
    return value;
  }
  void SetPrevCharacter(int code) override { prev_characters.push_back(code); }

  // One candidate list of `codes`.
  void Will(std::vector<std::uint16_t> codes) {
    results.push_back({static_cast<int>(codes.size()), std::move(codes)});
  }
  void WillReturn(int value) { results.push_back({value, {}}); }
};

class FakeTaps final : public wrendle::app::TapPassThrough {
 public:
  std::vector<StrokeEntry> taps;
  void PassTap(StrokeEntry point) override { taps.push_back(point); }
};

// A frame that logs every event except the target query 104, answers 104
// with `target`, hands everything to the base handling and logs the posted
// WM_SENDRESULT messages as "send <code>".
class RecordingFrame final : public wrendle::app::RecogEventTarget, public wrendle::app::SendResultPoster {
 public:
  explicit RecordingFrame(wrendle::app::RecognitionDriver* driver) : driver_(driver) {}

  std::vector<std::string> events;
  std::vector<std::uint16_t> sent;
  wrendle::app::WindowHandle target = 0x4242;

  std::intptr_t OnRecogEvent(int code, std::intptr_t a, std::intptr_t b) override {
    if (code == wrendle::app::kEventGetTarget) return static_cast<std::intptr_t>(target);
    events.push_back(Format(code, a, b));
    return driver_->HandleBaseEvent(code, a, b, *this);
  }

  void PostSendResult(std::uint16_t code, wrendle::app::WindowHandle to) override {
    char line[32];
    std::snprintf(line, sizeof line, "send %04x%s", code, to == target ? "" : " elsewhere");
    events.push_back(line);
    sent.push_back(code);
  }

  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(events);
    return taken;
  }

 private:
  static std::string Format(int code, std::intptr_t a, std::intptr_t b) {
    char line[64];
    switch (code) {
      case 11:
      case 100:
      case 101:
      case 108: {
        const auto* cell = wrendle::app::CellFromArg(a);
        std::snprintf(line, sizeof line, "%d c:%04x", code, cell != nullptr ? cell->code() : 0xFFFF);
        break;
      }
      case 12:
        std::snprintf(line, sizeof line, "12 %04x", static_cast<unsigned>(a));
        break;
      case 102:
      case 103:
        std::snprintf(line, sizeof line, "%d %d %d", code, static_cast<int>(a), static_cast<int>(b));
        break;
      case 106:
      case 107:
        std::snprintf(line, sizeof line, "%d %d", code, static_cast<int>(a));
        break;
      default:
        std::snprintf(line, sizeof line, "%d", code);
        break;
    }
    return line;
  }

  wrendle::app::RecognitionDriver* driver_;
};

// A line of `count` short strokes standing side by side, 100 pixels apart.
inline std::vector<StrokeEntry> Line(int count, int x0 = 100, int y0 = 100) {
  wrendle::StrokeListBuilder builder;
  for (int i = 0; i < count; ++i) {
    const int x = x0 + 100 * i;
    builder.AddStroke({{x, y0}, {x + 40, y0 + 40}, {x + 80, y0 + 80}});
  }
  return builder.Build();
}

// A dot: one stroke of two points within a few pixels.
inline std::vector<StrokeEntry> Tap(int x, int y) {
  wrendle::StrokeListBuilder builder;
  builder.AddStroke({{x, y}, {x + 2, y + 1}});
  return builder.Build();
}

}  // namespace app_testing
