// The result strip, its popup candidate list and a candidate row on the
// real recognition driver with the scripted dispatcher, pressed and dragged
// with the system mouse.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/core/char_codes.h"
#include "app/tests/fakes.h"
#include "app/tests/wine/controls_fixture.h"
#include "app/win32/candidate_list.h"
#include "app/win32/result_strip.h"
#include "tests/support/temporary_directory.h"

namespace {

using app_testing::FakeDispatcher;
using app_testing::HostWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using app_testing::TestFrame;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using namespace wrendle::app;

// Big5 characters as codes (first byte low).
constexpr std::uint16_t kOne = 0x40A4;    // A4 40
constexpr std::uint16_t kTwo = 0x47A4;    // A4 47
constexpr std::uint16_t kThree = 0x54A4;  // A4 54
constexpr std::uint16_t kBig = 0x6aA4;    // A4 6A
constexpr std::uint16_t kSmall = 0x70A4;  // A4 70

class NoHook final : public HookLibrary {
 public:
  platform::WindowHandle GetFocusWindow() override { return 0; }
  bool PostImeString(std::string_view) override { return false; }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
};

class StripTest : public testing::Test {
 protected:
  StripTest()
      : user_map_(directory_.path().string(), 2000),
        driver_(dispatcher_, user_map_, settings_),
        context_{settings_, user_map_, dispatcher_, hook_, driver_, nullptr},
        frame_(context_),
        strip_(driver_, user_map_, StripMetrics{24, 2, 10, 8}) {
    settings_.system_language = 2000;
    settings_.recognizer_language = 2000;
    settings_.display_language = 2000;
  }

  void SetUp() override {
    ASSERT_TRUE(frame_.Create());
    ASSERT_TRUE(host_.Create(100, 100, 420, 80));
    ASSERT_TRUE(strip_.Create(RECT{10, 10, 410, 50}, host_.hwnd(), 1100));
    ASSERT_NE(strip_.popup(), nullptr);
    ASSERT_NE(strip_.popup()->hwnd(), nullptr);
    EXPECT_FALSE(IsWindowVisible(strip_.popup()->hwnd()));
    WriteLine();
  }
  void TearDown() override {
    MouseDriver().MoveTo(20, 700);
    PumpFor(50);
  }

  // A line of three cells, each with three candidates.
  void WriteLine() {
    dispatcher_.segmentations.push_back({3, {1, 2, 3}});
    dispatcher_.Will({kOne, kBig, kSmall});
    dispatcher_.Will({kTwo, kBig, kSmall});
    dispatcher_.Will({kThree, kBig, kSmall});
    driver_.RecognizeStrokes(app_testing::Line(3), false);
    InvalidateRect(strip_.hwnd(), nullptr, TRUE);
    UpdateWindow(strip_.hwnd());
    PumpFor(50);
  }

  POINT CellCentre(int i) {
    const RECT cell = strip_.CellRect(i);
    POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(strip_.hwnd(), &p);
    return p;
  }

  // Press and release at `at`, the mouse still between.
  void Click(POINT at) {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(at.x, at.y);
      Settle();
      mouse.Press();
      Settle();
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); });
    PumpFor(100);
  }

  // Press at `from`, move in small steps to `to`, release.
  void Drag(POINT from, POINT to) {
    DriverThread driver([&](MouseDriver& mouse) {
      mouse.MoveTo(from.x, from.y);
      Settle();
      mouse.Press();
      Settle();
      for (int step = 1; step <= 6; ++step) {
        mouse.MoveTo(from.x + (to.x - from.x) * step / 6, from.y + (to.y - from.y) * step / 6);
        Sleep(30);
      }
      Settle();
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); });
    PumpFor(100);
  }

  std::vector<std::uint16_t> Codes() const {
    std::vector<std::uint16_t> codes;
    for (int i = 0; i < driver_.cell_count(); ++i) codes.push_back(driver_.Cell(i)->code());
    return codes;
  }

  testing_support::TemporaryDirectory directory_;
  FakeDispatcher dispatcher_;
  NoHook hook_;
  Settings settings_;
  CUserMap user_map_;
  RecognitionDriver driver_;
  ProgramContext context_;
  TestFrame frame_;
  HostWindow host_;
  CResultStrip strip_;
};

TEST_F(StripTest, PressOnTheLastCellOpensItsCandidatesBelowAndAChoiceCorrectsIt) {
  ASSERT_EQ(Codes(), (std::vector<std::uint16_t>{kOne, kTwo, kThree}));
  Click(CellCentre(2));
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(strip_.popup()->hwnd()) != FALSE; }, 2000));
  RECT cell = strip_.CellRect(2);
  POINT bottom_left{cell.left, cell.bottom};
  ClientToScreen(strip_.hwnd(), &bottom_left);
  RECT popup;
  GetWindowRect(strip_.popup()->hwnd(), &popup);
  EXPECT_EQ(popup.left, bottom_left.x);
  EXPECT_EQ(popup.top, bottom_left.y + 3);
  CCandidateList& list = strip_.popup()->list();
  EXPECT_EQ(list.grid().rows(), 5);
  EXPECT_EQ(list.grid().columns(), 2);
  EXPECT_EQ(list.grid().visible_count(), 3);
  EXPECT_EQ(GetCapture(), list.hwnd());
  testing_support::SaveScreenshot("popup_list");

  // The second candidate: row 0, column 1 of the popup's list.
  const RECT second = list.CellRect(1);
  POINT at{(second.left + second.right) / 2, (second.top + second.bottom) / 2};
  ClientToScreen(list.hwnd(), &at);
  Click(at);
  EXPECT_FALSE(IsWindowVisible(strip_.popup()->hwnd()));
  EXPECT_EQ(driver_.Cell(2)->code(), kBig);
  EXPECT_TRUE(driver_.Cell(2)->corrected());
  EXPECT_EQ(driver_.insertion(), driver_.cell_count()) << "the selection is back at the end";
}

TEST_F(StripTest, PressOutsideClosesThePopupAndASecondPressReturnsToTheEnd) {
  Click(CellCentre(1));
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(strip_.popup()->hwnd()) != FALSE; }, 2000));
  EXPECT_EQ(driver_.insertion(), 1);
  Click(POINT{700, 600});
  EXPECT_FALSE(IsWindowVisible(strip_.popup()->hwnd()));
  EXPECT_EQ(Codes(), (std::vector<std::uint16_t>{kOne, kTwo, kThree})) << "nothing chosen";
  Click(CellCentre(1));
  EXPECT_FALSE(IsWindowVisible(strip_.popup()->hwnd()));
  EXPECT_EQ(driver_.insertion(), driver_.cell_count());
}

TEST_F(StripTest, PopupStaysOnTheScreen) {
  SetWindowPos(host_.hwnd(), nullptr, GetSystemMetrics(SM_CXSCREEN) - 200, GetSystemMetrics(SM_CYSCREEN) - 60,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(50);
  strip_.ShowCellCandidates(2);
  RECT popup;
  GetWindowRect(strip_.popup()->hwnd(), &popup);
  EXPECT_LE(popup.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_LE(popup.bottom, GetSystemMetrics(SM_CYSCREEN));
  ReleaseCapture();
}

TEST_F(StripTest, DraggedCellsMoveOrLeaveTheStrip) {
  // Cell 2 dropped onto cell 0: moved there.
  const POINT third = CellCentre(2);
  const POINT first = CellCentre(0);
  Drag(third, POINT{first.x, third.y});
  EXPECT_EQ(Codes(), (std::vector<std::uint16_t>{kThree, kOne, kTwo}));
  // Cell 0 dropped far below the strip: removed.
  const POINT now_first = CellCentre(0);
  Drag(now_first, POINT{now_first.x, now_first.y + 120});
  EXPECT_EQ(Codes(), (std::vector<std::uint16_t>{kOne, kTwo}));
}

TEST_F(StripTest, DroppedInPlaceMergesAndOntoTheNextCellSplits) {
  // Merging re-recognizes the joined strokes as one cell.
  dispatcher_.Will({kBig});
  const POINT second = CellCentre(1);
  Drag(second, POINT{second.x + 2, second.y + 12});
  EXPECT_EQ(Codes(), (std::vector<std::uint16_t>{kBig, kThree}));
  // Splitting cuts the cell's strokes again.
  dispatcher_.segmentations.push_back({2, {1, 2}});
  dispatcher_.Will({kOne});
  dispatcher_.Will({kTwo});
  const int segmentations = dispatcher_.segment_calls;
  const POINT merged = CellCentre(0);
  const RECT cell = strip_.CellRect(0);
  Drag(merged, POINT{merged.x + (cell.right - cell.left) + 4, merged.y});
  EXPECT_GT(dispatcher_.segment_calls, segmentations) << "the cell was cut again";
  ASSERT_GE(driver_.cell_count(), 2);
  EXPECT_EQ(driver_.Cell(0)->code(), kOne);
}

TEST_F(StripTest, HighlightedCellIsTeal) {
  strip_.Highlight(1);
  UpdateWindow(strip_.hwnd());
  PumpFor(50);
  const RECT cell = strip_.CellRect(1);
  POINT inside{cell.left + 3, cell.top + 3};
  ClientToScreen(strip_.hwnd(), &inside);
  EXPECT_EQ(ScreenPixel(inside), RGB(0, 128, 128));
  RECT area;
  GetWindowRect(host_.hwnd(), &area);
  testing_support::SaveScreenshot("strip", &area);
}

TEST_F(StripTest, UserCodeShowsDotsAndItsTextInTheBubble) {
  user_map_.Add(0x0141, "hello");
  CCandidateList row(driver_, user_map_, 1, 5, kListKeepParent);
  ASSERT_TRUE(row.Create(RECT{10, 55, 260, 78}, host_.hwnd(), 1101));
  const std::uint8_t codes[] = {0xA4, 0x40, 0x01, 0x41, 0xA4, 0x47};
  row.SetCodes(codes);
  UpdateWindow(row.hwnd());
  const RECT user_cell = row.CellRect(1);
  POINT over{(user_cell.left + user_cell.right) / 2, (user_cell.top + user_cell.bottom) / 2};
  ClientToScreen(row.hwnd(), &over);
  DriverThread([&](MouseDriver& mouse) {
    mouse.MoveTo(over.x - 1, over.y);
    Settle();
    mouse.MoveTo(over.x, over.y);
    Settle();
  });
  ASSERT_TRUE(PumpUntil([&] { return row.bubble().shown(); }, 2000));
  char text[32] = {};
  GetWindowTextA(row.bubble().hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "hello");
  RECT area{0, 0, 600, 300};
  testing_support::SaveScreenshot("candidate_row", &area);
  // Chosen as its code.
  driver_.SelectCell(0);
  Click(over);
  EXPECT_EQ(driver_.Cell(0)->code(), 0x4101);
  EXPECT_TRUE(IsWindowVisible(host_.hwnd())) << "style 0x8000 keeps the parent";
}

TEST_F(StripTest, EmptyGridNeverDividesByZero) {
  CCandidateList row(driver_, user_map_, 1, 10, 0);
  ASSERT_TRUE(row.Create(RECT{10, 55, 12, 57}, host_.hwnd(), 1102));
  row.SetGrid(0, 0);
  const std::uint8_t codes[] = {0xA4, 0x40};
  row.SetCodes(codes);
  UpdateWindow(row.hwnd());
  EXPECT_EQ(row.HitTest(POINT{1, 1}), -1);
  SendMessageA(row.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  SendMessageA(row.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(row.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(row.hot(), -1);
}

}  // namespace
