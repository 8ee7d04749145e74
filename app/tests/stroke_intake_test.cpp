#include "app/core/stroke_intake.h"

#include <gtest/gtest.h>

#include "recording_hook_owner.h"

namespace wrendle::app {
namespace {

using app_testing::RecordingHookOwner;

// Records the frame's side of the intake into the same list as the hook calls.
class RecordingHost final : public StrokeIntakeHost {
 public:
  explicit RecordingHost(std::vector<std::string>& calls) : calls_(calls) {}

  bool pad_visible = true;
  bool button_visible = false;
  bool post_succeeds = true;
  std::vector<std::uint32_t> posted;
  std::vector<std::vector<StrokeEntry>> recognized;

  bool PadVisible() override { return pad_visible; }
  bool WaitButtonVisible() override { return button_visible; }
  platform::WindowHandle WaitButtonWindow() override { return 77; }
  void ShowWaitButton(Point at) override {
    button_visible = true;
    calls_.push_back("ShowWaitButton " + std::to_string(at.x) + "," + std::to_string(at.y));
  }
  void HideWaitButton() override {
    button_visible = false;
    calls_.push_back("HideWaitButton");
  }
  Point CursorPosition() override { return {300, 200}; }
  Size FullScreenSize() override { return {1024, 740}; }
  bool PostFetched(std::uint32_t sequence) override {
    calls_.push_back("Post " + std::to_string(sequence));
    if (post_succeeds) posted.push_back(sequence);
    return post_succeeds;
  }
  void Reply() override { calls_.push_back("Reply"); }
  void Request(int code) override { calls_.push_back("Request " + std::to_string(code)); }
  void Recognize(std::span<const StrokeEntry> strokes) override {
    calls_.push_back("Recognize");
    recognized.emplace_back(strokes.begin(), strokes.end());
  }

 private:
  std::vector<std::string>& calls_;
};

class StrokeIntakeTest : public testing::Test {
 protected:
  StrokeIntakeTest() : host_(hook_.calls), intake_(hook_, settings_, host_) { intake_.set_handle(5); }

  std::vector<std::string> Run(std::uintptr_t code, std::intptr_t lparam) {
    hook_.calls.clear();
    intake_.OnStrokeData(code, lparam);
    return hook_.calls;
  }
  std::vector<StrokeEntry> Line() const {
    return StrokeListBuilder().AddStroke({{10, 10}, {40, 12}}).Build();
  }

  RecordingHookOwner hook_;
  Settings settings_;
  RecordingHost host_;
  StrokeIntake intake_;
};

using Calls = std::vector<std::string>;

TEST_F(StrokeIntakeTest, RecognizeAtOnceWithoutTheWaitButton) {
  settings_.wait_recognize = false;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0), (Calls{"SetWaittingRecognize 0,0,0"}));
  settings_.wait_recognize = true;
  host_.pad_visible = false;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0), (Calls{"SetWaittingRecognize 0,0,0"}));
}

TEST_F(StrokeIntakeTest, WaitButtonShownBesideTheCursorWithoutTablet) {
  settings_.wait_recognize = true;
  settings_.pen_width = 5;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0),
            (Calls{"ShowWaitButton 305,188", "SetWaittingRecognize 1,0,77"}));
  // Already shown: the library waits on it again, it does not move.
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0), (Calls{"SetWaittingRecognize 1,0,77"}));
}

TEST_F(StrokeIntakeTest, WaitButtonShownBesideTheTabletPen) {
  settings_.wait_recognize = true;
  settings_.is_pressure = 1;
  hook_.last_position = {1020, 730};
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0),
            (Calls{"GetLastPosition", "ShowWaitButton 999,715", "SetWaittingRecognize 1,0,77"}));
}

TEST_F(StrokeIntakeTest, ButtonPressOrAPressElsewhere) {
  host_.button_visible = true;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 1), (Calls{"HideWaitButton", "SetWaittingRecognize 0,0,0"}));
  host_.button_visible = true;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 2), (Calls{"HideWaitButton"}));
}

TEST_F(StrokeIntakeTest, EmptyCaptureTurnsTheCaptureOnAtOnce) {
  EXPECT_EQ(Run(StrokeIntake::kCaptureEnd, 3),
            (Calls{"Request 22", "GetSize 5,3", "ClearData 5,3", "Request 23"}));
}

TEST_F(StrokeIntakeTest, CapturedLineIsFetchedQueuedAndRecognizedFromThePostedMessage) {
  hook_.capture = Line();
  const int bytes = static_cast<int>(Line().size() * sizeof(StrokeEntry));
  EXPECT_EQ(Run(StrokeIntake::kCaptureEnd, 4),
            (Calls{"Request 22", "GetSize 5,4", "GetData 5,4," + std::to_string(bytes), "Post 1",
                   "ClearData 5,4"}));
  EXPECT_EQ(intake_.queued(), 1u);
  EXPECT_EQ(Run(StrokeIntake::kFetched, 1), (Calls{"Reply", "Recognize", "Request 23"}));
  ASSERT_EQ(host_.recognized.size(), 1u);
  EXPECT_EQ(host_.recognized[0].size(), Line().size());
  EXPECT_EQ(host_.recognized[0][2].x, 40);
  EXPECT_EQ(intake_.queued(), 0u);
}

TEST_F(StrokeIntakeTest, ForgedOrRepeatedBlockMessagesAreIgnored) {
  hook_.capture = Line();
  intake_.OnStrokeData(StrokeIntake::kCaptureEnd, 1);
  EXPECT_TRUE(Run(StrokeIntake::kFetched, 0x7FFF1234).empty());
  EXPECT_FALSE(Run(StrokeIntake::kFetched, 1).empty());
  EXPECT_TRUE(Run(StrokeIntake::kFetched, 1).empty()) << "a block is taken once";
}

TEST_F(StrokeIntakeTest, FailedPostDropsTheBlockAndTurnsTheCaptureOn) {
  hook_.capture = Line();
  host_.post_succeeds = false;
  const Calls calls = Run(StrokeIntake::kCaptureEnd, 2);
  EXPECT_EQ(calls.back(), "Request 23");
  EXPECT_EQ(intake_.queued(), 0u);
}

TEST_F(StrokeIntakeTest, MalformedCaptureIsNotRecognized) {
  // A header that claims more points than the library copied.
  hook_.capture = {{9, 0}, {1, 1}, {0, 0}};
  intake_.OnStrokeData(StrokeIntake::kCaptureEnd, 1);
  EXPECT_EQ(Run(StrokeIntake::kFetched, 1), (Calls{"Reply", "Request 23"}));
}

TEST_F(StrokeIntakeTest, OversizedSizeIsBoundedByTheLibraryBuffer) {
  hook_.capture = Line();
  hook_.size_override = 1 << 30;
  const Calls calls = Run(StrokeIntake::kCaptureEnd, 1);
  EXPECT_EQ(calls[2], "GetData 5,1," + std::to_string(kMaxStrokeListEntries * sizeof(StrokeEntry)));
  EXPECT_EQ(Run(StrokeIntake::kFetched, 1), (Calls{"Reply", "Recognize", "Request 23"}));
}

TEST_F(StrokeIntakeTest, CaptureEndSentFromWithinTheWaitCallIsRecognizedAfterwards) {
  // The library sends PN_CAPTUREEND from within SetWaittingRecognize: the
  // intake fetches at once and recognizes from the posted message.
  hook_.capture = Line();
  host_.button_visible = true;
  hook_.on_capture_end = [&] { intake_.OnStrokeData(StrokeIntake::kCaptureEnd, 6); };
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 1),
            (Calls{"HideWaitButton", "SetWaittingRecognize 0,0,0", "Request 22", "GetSize 5,6",
                   "GetData 5,6,32", "Post 1", "ClearData 5,6"}));
  EXPECT_TRUE(host_.recognized.empty());
  EXPECT_EQ(Run(StrokeIntake::kFetched, 1), (Calls{"Reply", "Recognize", "Request 23"}));
  // Without a wait button: the same from the pause's own notification.
  settings_.wait_recognize = false;
  EXPECT_EQ(Run(StrokeIntake::kRecognize, 0).back(), "ClearData 5,6");
  EXPECT_EQ(host_.posted.size(), 2u);
}

TEST_F(StrokeIntakeTest, CancelledJournalRehooksOtherCodesDoNothing) {
  EXPECT_EQ(Run(StrokeIntake::kCancelJournal, 0), (Calls{"Rehook 5,0"}));
  for (std::uintptr_t code : {1u, 3u, 4u, 99u}) EXPECT_TRUE(Run(code, 0).empty()) << code;
}

}  // namespace
}  // namespace wrendle::app
