// The main frame and the writing pad in the test process, over a recording
// hook library owner and the scripted dispatcher: creation, the stroke
// intake of message 1235, minimising and restoring, the companion's
// messages, the system menu, the pad's commands and the close.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/core/pad_commands.h"
#include "app/core/related_data_writers.h"
#include "app/framework/win_app.h"
#include "app/program/wrendle_frame.h"
#include "app/tests/fakes.h"
#include "app/tests/recording_hook_owner.h"
#include "app/tests/wine/test_frame.h"
#include "app/zezividudu/zezividudu_api.h"
#include "platform/system_info.h"
#include "tests/support/executable_directory.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/window_search.h"

namespace {

using app_testing::FakeDispatcher;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::RecordingHookOwner;
using namespace wrendle;
using namespace wrendle::app;

class NoHook final : public HookLibrary {
 public:
  platform::WindowHandle GetFocusWindow() override { return 0; }
  bool PostImeString(std::string_view) override { return false; }
  int SetWaitingRecognize(int, int, platform::WindowHandle) override { return 0; }
};

// The application's side: strings from a table, the calls recorded.
class FakeServices final : public FrameServices {
 public:
  std::map<unsigned, std::string> strings;
  std::vector<std::string> calls;
  std::optional<std::string> LoadResString(unsigned id, int) const override {
    const auto found = strings.find(id);
    if (found == strings.end()) return std::nullopt;
    return found->second;
  }
  int ChangeRecognizer(int language, int mode) override {
    calls.push_back("ChangeRecognizer " + std::to_string(language) + "," + std::to_string(mode));
    return 1;
  }
  void SetRecognitionRange() override { calls.push_back("SetRecognitionRange"); }
  void ApplyRecognizerSettings() override { calls.push_back("ApplyRecognizerSettings"); }
  void ApplyDisplayLanguage() override { calls.push_back("ApplyDisplayLanguage"); }
  void SelectUser(bool interactive) override {
    calls.push_back(interactive ? "SelectUser 1" : "SelectUser 0");
  }
  std::string StartupUserName() override { return "Wang"; }
};

// A pane that is a plain popup window.
class TestPane final : public FramePane {
 public:
  TestPane() {
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "Static", "pane", WS_POPUP | WS_VISIBLE, 0,
                              0, 60, 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~TestPane() override { DestroyWindow(window_); }
  HWND hwnd() const override { return window_; }
  void Refresh(std::uint16_t key) override { keys.push_back(key); }
  void UpdateLanguage() override {}
  void Reload() override {}
  std::vector<std::uint16_t> keys;

 private:
  HWND window_;
};

// Provides the symbols pane only.
class SymbolsOnly final : public PaneFactory {
 public:
  bool Provides(int index) const override { return index == kPaneSymbols; }
  std::unique_ptr<FramePane> Create(int, PaneHost&) override { return std::make_unique<TestPane>(); }
};

// The companion program's window, recording what it is sent.
class Companion {
 public:
  Companion() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &Proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = CWrendleFrame::kCompanionClass;
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, CWrendleFrame::kCompanionClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    messages().clear();
  }
  ~Companion() { DestroyWindow(window_); }
  static std::vector<UINT>& messages() {
    static std::vector<UINT> received;
    return received;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_USER) messages().push_back(message);
    return DefWindowProcA(window, message, wparam, lparam);
  }
  HWND window_;
};

class MainFrameTest : public testing::Test {
 protected:
  MainFrameTest()
      : user_map_(directory_.path().string(), kLanguageSimplifiedChinese),
        driver_(dispatcher_, user_map_, settings_),
        context_{settings_, user_map_, dispatcher_, hook_, driver_, nullptr} {
    settings_.recognizer_language = kLanguageSimplifiedChinese;
    settings_.px = 100;
    settings_.py = 80;
    settings_.sx = 120;
    settings_.sy = 90;
    settings_.mx = 300;
    settings_.my = 20;
    app_.set_resource_handle(GetResourceHandle());
    services_.strings[16] = "Wrendle";
    // Seven full-width marks in GB2312: 14 bytes.
    services_.strings[59] = "\xA3\xAC\xA1\xA3\xA3\xBF\xA3\xA1\xA3\xBA\xA3\xBB\xA1\xA2";
  }
  ~MainFrameTest() override {
    frame_.reset();
    PumpFor(20);
  }

  bool Create(int layout) {
    settings_.layout = layout;
    frame_ = std::make_unique<CWrendleFrame>(context_, owner_, services_, panes_);
    const bool created = frame_->Create(nullptr);
    PumpFor(50);
    return created;
  }
  // The calls recorded since the last look.
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> calls;
    calls.swap(owner_.calls);
    return calls;
  }
  static bool Has(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
  std::string Handle() const { return std::to_string(owner_.hook_result); }

  // Bitmaps and dialog templates come from the resource library.
  wrendle::framework::CWinApp app_;
  testing_support::TemporaryDirectory directory_;
  Settings settings_;
  CUserMap user_map_;
  FakeDispatcher dispatcher_;
  NoHook hook_;
  RecognitionDriver driver_;
  ProgramContext context_;
  RecordingHookOwner owner_;
  FakeServices services_;
  SymbolsOnly panes_;
  std::unique_ptr<CWrendleFrame> frame_;
};

using Calls = std::vector<std::string>;

TEST_F(MainFrameTest, CreationRegistersAppliesThePenAndTurnsTheCaptureOn) {
  settings_.pen_mouse = 2;
  settings_.is_pressure = 0;
  ASSERT_TRUE(Create(1));
  const std::string h = Handle();
  const Calls calls = TakeCalls();
  const Calls expected_start = {"Hook 1235,1,0", "EnableMouse " + h + ",2", "SetDelayEx " + h + ",1000,1200",
                                "SetPen " + h + ",5,255", "InitialWintab"};
  ASSERT_GE(calls.size(), expected_start.size());
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5), expected_start);
  EXPECT_EQ(calls.back(), "SetIsPressure 0");
  // Capture off while the controls are made, on again in full-screen layout.
  EXPECT_TRUE(Has(calls, "EnableMouse " + h + ",0"));
  EXPECT_EQ(calls[calls.size() - 2], "EnableMouse " + h + ",2");
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd())) << "full-screen: the frame stays hidden";
  ASSERT_NE(frame_->pad(), nullptr);
  EXPECT_TRUE(IsWindowVisible(frame_->pad()->hwnd()));
  EXPECT_EQ(services_.calls, (std::vector<std::string>{"SelectUser 0"}))
      << "the pad attaches the user's files";
}

TEST_F(MainFrameTest, RefusedRegistrationFailsTheCreation) {
  owner_.hook_result = 0;
  EXPECT_FALSE(Create(0));
  EXPECT_EQ(frame_->hwnd(), nullptr);
}

TEST_F(MainFrameTest, SavedRectangleKeptAtTheMinimumTrackingSize) {
  ASSERT_TRUE(Create(0));
  RECT window;
  GetWindowRect(frame_->hwnd(), &window);
  EXPECT_EQ(window.left, 100);
  EXPECT_EQ(window.right - window.left, frame_->min_track().cx);
  EXPECT_EQ(window.bottom - window.top, frame_->min_track().cy);
  EXPECT_EQ(frame_->saved_rect().right, 100 + frame_->min_track().cx);
  EXPECT_TRUE(IsWindowVisible(frame_->hwnd()));
  EXPECT_FALSE(IsWindowVisible(frame_->pad()->hwnd())) << "write-pad: the pad is hidden";
}

TEST_F(MainFrameTest, CharacterButtonsFollowString59) {
  ASSERT_TRUE(Create(0));
  char text[8];
  for (int k = 0; k < 12; ++k) {
    const HWND button = GetDlgItem(frame_->hwnd(), 10000 + k);
    ASSERT_NE(button, nullptr) << k;
    const int length = GetWindowTextA(button, text, sizeof text);
    EXPECT_EQ(length, k < 7 ? 2 : 0) << k;
  }
}

TEST_F(MainFrameTest, CapturedLineIsFetchedPostedAndRecognized) {
  ASSERT_TRUE(Create(1));
  owner_.capture = app_testing::Line(2);
  dispatcher_.segmentations.push_back({1, {2}});
  dispatcher_.Will({0xBBD2});
  TakeCalls();
  frame_->SendMessage(CWrendleFrame::kPenNotify, StrokeIntake::kCaptureEnd, 9);
  const std::string h = Handle();
  const Calls calls = TakeCalls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], "EnableMouse " + h + ",0");
  EXPECT_EQ(calls[1], "GetSize " + h + ",9");
  EXPECT_EQ(calls.back(), "ClearData " + h + ",9");
  EXPECT_TRUE(dispatcher_.calls.empty()) << "recognized from the posted message";
  ASSERT_TRUE(PumpUntil([&] { return !dispatcher_.calls.empty(); }));
  ASSERT_EQ(driver_.cell_count(), 1);
  EXPECT_EQ(driver_.Cell(0)->code(), 0xBBD2);
  EXPECT_TRUE(Has(TakeCalls(), "EnableMouse " + h + ",1")) << "capture on again";
}

TEST_F(MainFrameTest, ForgedBlockMessagesAreIgnored) {
  ASSERT_TRUE(Create(1));
  TakeCalls();
  EXPECT_EQ(frame_->SendMessage(CWrendleFrame::kPenNotify, StrokeIntake::kFetched, 0x12345678), 0);
  frame_->PostMessage(CWrendleFrame::kPenNotify, StrokeIntake::kFetched, 1);
  PumpFor(50);
  EXPECT_TRUE(dispatcher_.calls.empty());
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(MainFrameTest, EmptyCaptureTurnsTheCaptureOnAtOnce) {
  ASSERT_TRUE(Create(1));
  TakeCalls();
  frame_->SendMessage(CWrendleFrame::kPenNotify, StrokeIntake::kCaptureEnd, 3);
  const std::string h = Handle();
  EXPECT_EQ(TakeCalls(), (Calls{"EnableMouse " + h + ",0", "GetSize " + h + ",3", "ClearData " + h + ",3",
                                "EnableMouse " + h + ",1"}));
}

TEST_F(MainFrameTest, WaitButtonAppearsBesideTheCursorAndGoesOnAPressElsewhere) {
  settings_.wait_recognize = true;
  ASSERT_TRUE(Create(1));
  SetCursorPos(400, 300);
  TakeCalls();
  frame_->SendMessage(CWrendleFrame::kPenNotify, StrokeIntake::kRecognize, 0);
  const HWND button = frame_->wait_button().hwnd();
  EXPECT_TRUE(IsWindowVisible(button));
  RECT rect;
  GetWindowRect(button, &rect);
  EXPECT_EQ(rect.left, 405);
  EXPECT_EQ(rect.top, 288);
  EXPECT_EQ(TakeCalls(),
            (Calls{"SetWaittingRecognize 1,0," + std::to_string(reinterpret_cast<std::uintptr_t>(button))}));
  frame_->SendMessage(CWrendleFrame::kPenNotify, StrokeIntake::kRecognize, 2);
  EXPECT_FALSE(IsWindowVisible(button));
  EXPECT_TRUE(TakeCalls().empty()) << "the line goes on";
}

TEST_F(MainFrameTest, CancelledJournalRehooks) {
  ASSERT_TRUE(Create(1));
  TakeCalls();
  frame_->SendMessage(CWrendleFrame::kPenNotify, 18, 0);
  EXPECT_EQ(TakeCalls(), (Calls{"Rehook " + Handle() + ",0"}));
}

TEST_F(MainFrameTest, MinimiseTurnsTheCaptureOffAndTellsTheCompanion) {
  Companion companion;
  ASSERT_TRUE(Create(0));
  PumpFor(20);
  Companion::messages().clear();
  TakeCalls();
  frame_->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);  // low bits are the system's
  const std::string h = Handle();
  const Calls calls = TakeCalls();
  EXPECT_TRUE(Has(calls, "SetActive " + h + ",0"));
  EXPECT_TRUE(Has(calls, "EnableMouse " + h + ",0"));
  EXPECT_EQ(Companion::messages(), (std::vector<UINT>{CWrendleFrame::kPadMinimized}));
  EXPECT_TRUE(IsIconic(frame_->hwnd()));
}

TEST_F(MainFrameTest, RestoreInFullScreenKeepsTheFrameHidden) {
  Companion companion;
  ASSERT_TRUE(Create(1));
  Companion::messages().clear();
  TakeCalls();
  frame_->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd()));
  const std::string h = Handle();
  const Calls calls = TakeCalls();
  EXPECT_TRUE(Has(calls, "EnableMouse " + h + ",1"));
  EXPECT_TRUE(Has(calls, "SetActive " + h + ",1"));
  EXPECT_EQ(Companion::messages(), (std::vector<UINT>{CWrendleFrame::kPadRestored}));
}

TEST_F(MainFrameTest, CreationAsksTheCompanionForThePadMode) {
  Companion companion;
  ASSERT_TRUE(Create(1));
  EXPECT_EQ(Companion::messages(), (std::vector<UINT>{CWrendleFrame::kResendPadMode}));
}

struct ShowPadCase {
  int layout;
  WPARAM show;
  LPARAM mode;
  bool frame_visible;
  bool pad_visible;
  int layout_after;
};

class ShowPadTest : public MainFrameTest, public testing::WithParamInterface<ShowPadCase> {};

TEST_P(ShowPadTest, Table) {
  const ShowPadCase& c = GetParam();
  ASSERT_TRUE(Create(c.layout));
  frame_->SendMessage(CWrendleFrame::kShowPad, c.show, c.mode);
  PumpFor(20);
  EXPECT_EQ(IsWindowVisible(frame_->hwnd()) != FALSE, c.frame_visible);
  EXPECT_EQ(IsWindowVisible(frame_->pad()->hwnd()) != FALSE, c.pad_visible);
  EXPECT_EQ(settings_.layout, c.layout_after);
}

INSTANTIATE_TEST_SUITE_P(Messages, ShowPadTest,
                         testing::Values(ShowPadCase{0, 1, 100, true, false, 0},   // write-pad stays
                                         ShowPadCase{1, 1, 100, true, false, 0},   // to write-pad
                                         ShowPadCase{0, 1, 200, false, true, 1},   // to full-screen
                                         ShowPadCase{1, 1, 200, false, true, 1},   // full-screen stays
                                         ShowPadCase{0, 0, 0, false, false, 0},    // hide write-pad
                                         ShowPadCase{1, 0, 0, false, false, 1}));  // hide full-screen

TEST_F(MainFrameTest, SystemMenuCarriesThePopupMenuWithoutRestoreAndSize) {
  ASSERT_TRUE(Create(0));
  const HMENU menu = GetSystemMenu(frame_->hwnd(), FALSE);
  frame_->SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
  const int count = GetMenuItemCount(menu);
  frame_->SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(menu));
  EXPECT_EQ(GetMenuItemCount(menu), count) << "rebuilt, not appended twice";
  EXPECT_EQ(GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, kPadSignAndDraw, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, kPadWindowMode, MF_BYCOMMAND), static_cast<UINT>(-1)) << "full-screen only";
  EXPECT_NE(GetMenuState(menu, kPadFullWidth, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(MainFrameTest, SystemMenuItemRunsThePadCommand) {
  ASSERT_TRUE(Create(0));
  settings_.full_shape = false;
  frame_->SendMessage(WM_SYSCOMMAND, kPadFullWidth, 0);
  EXPECT_TRUE(settings_.full_shape);
}

TEST_F(MainFrameTest, WindowModeSwapsFrameAndPad) {
  ASSERT_TRUE(Create(0));
  frame_->SendMessage(WM_COMMAND, kCommandWindowMode, 0);
  EXPECT_EQ(settings_.layout, 1);
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd()));
  EXPECT_TRUE(IsWindowVisible(frame_->pad()->hwnd()));
  frame_->pad()->SendMessage(WM_COMMAND, kPadWindowMode, 0);
  EXPECT_EQ(settings_.layout, 0);
  EXPECT_TRUE(IsWindowVisible(frame_->hwnd()));
  EXPECT_FALSE(IsWindowVisible(frame_->pad()->hwnd()));
}

TEST_F(MainFrameTest, PaneStateKeptPerLayoutAndUnbuiltPanesKeepTheirFlags) {
  settings_.full_screen_panes[kPaneKeyboard] = {true, 11, 12};
  settings_.full_screen_panes[kPaneSymbols] = {true, 50, 60};
  ASSERT_TRUE(Create(1));
  ASSERT_NE(frame_->IsPaneOpen(kPaneSymbols), nullptr);
  RECT pane;
  GetWindowRect(frame_->IsPaneOpen(kPaneSymbols)->hwnd(), &pane);
  EXPECT_EQ(pane.left, 50);
  EXPECT_EQ(pane.top, 60);
  EXPECT_EQ(frame_->IsPaneOpen(kPaneKeyboard), nullptr) << "no keyboard pane is built";
  EXPECT_EQ(frame_->IsPaneOpen(7), nullptr);
  frame_->SendMessage(WM_CLOSE);
  EXPECT_TRUE(settings_.full_screen_panes[kPaneSymbols].open);
  EXPECT_EQ(settings_.full_screen_panes[kPaneSymbols].x, 50);
  EXPECT_TRUE(settings_.full_screen_panes[kPaneKeyboard].open) << "a user's flag is never overwritten";
  EXPECT_EQ(settings_.full_screen_panes[kPaneKeyboard].x, 11);
}

TEST_F(MainFrameTest, CloseWritesTheRectanglesAndUnhooks) {
  owner_.find_result = 0x55550002;
  ASSERT_TRUE(Create(0));
  SetWindowPos(frame_->hwnd(), nullptr, 140, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(frame_->pad()->hwnd(), nullptr, 333, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT window;
  GetWindowRect(frame_->hwnd(), &window);
  TakeCalls();
  frame_->SendMessage(WM_CLOSE);
  EXPECT_EQ(frame_->hwnd(), nullptr);
  EXPECT_EQ(settings_.px, 140);
  EXPECT_EQ(settings_.py, 90);
  EXPECT_EQ(settings_.sx, window.right);
  EXPECT_EQ(settings_.sy, window.bottom);
  EXPECT_EQ(settings_.mx, 333);
  EXPECT_EQ(settings_.my, 44);
  const Calls calls = TakeCalls();
  const std::string h = Handle();
  const Calls tail = {"Unhook " + h, "FindHook 0,1", "Unhook " + std::to_string(0x55550002)};
  ASSERT_GE(calls.size(), tail.size());
  EXPECT_EQ(Calls(calls.end() - 3, calls.end()), tail);
  EXPECT_TRUE(Has(calls, "UnhookJR"));
  EXPECT_TRUE(Has(calls, "UnhookMouse 0"));
}

TEST_F(MainFrameTest, MinimisedFrameDoesNotSaveItsIconicPlace) {
  ASSERT_TRUE(Create(0));
  RECT before;
  GetWindowRect(frame_->hwnd(), &before);
  ShowWindow(frame_->hwnd(), SW_MINIMIZE);
  PumpFor(20);
  ShowWindow(frame_->hwnd(), SW_RESTORE);
  PumpFor(20);
  frame_->SendMessage(WM_CLOSE);
  EXPECT_EQ(settings_.px, before.left);
  EXPECT_EQ(settings_.py, before.top);
}

TEST_F(MainFrameTest, PenMouseButtonCyclesModesAndBitmaps) {
  settings_.pen_mouse = 1;
  ASSERT_TRUE(Create(1));
  CPadFrame& pad = *frame_->pad();
  const int modes[] = {2, 0, 1};
  const BitmapPair bitmaps[] = {{179, 180}, {181, 182}, {183, 184}};
  for (int i = 0; i < 3; ++i) {
    TakeCalls();
    pad.SendMessage(WM_COMMAND, kPadPenMouse, 0);
    EXPECT_EQ(settings_.pen_mouse, modes[i]);
    EXPECT_EQ(pad.pen_mouse_bitmaps(), bitmaps[i]);
    EXPECT_EQ(TakeCalls(), (Calls{"EnableMouse " + Handle() + "," + std::to_string(modes[i])}));
  }
}

TEST_F(MainFrameTest, PadSettingsCommandsReachTheApplication) {
  ASSERT_TRUE(Create(1));
  services_.calls.clear();
  CPadFrame& pad = *frame_->pad();
  pad.SendMessage(WM_COMMAND, kPadCommonChars, 0);
  pad.SendMessage(WM_COMMAND, kPadCursive, 0);
  pad.SendMessage(WM_COMMAND, kPadFullStrokes, 0);
  pad.SendMessage(WM_COMMAND, kPadSelectUser, 0);
  EXPECT_EQ(services_.calls, (std::vector<std::string>{"SetRecognitionRange", "ChangeRecognizer 4000,1",
                                                       "ChangeRecognizer 4000,0", "SelectUser 1"}));
}

TEST_F(MainFrameTest, SetupFromThePadAppliesItsSettingsOnOk) {
  ASSERT_TRUE(Create(1));
  TakeCalls();
  services_.calls.clear();
  std::thread answer([] {
    for (int i = 0; i < 200; ++i) {
      const HWND dialog = testing_support::FindWindowOf(
          GetCurrentProcessId(), [](HWND w) { return IsWindowVisible(w) && GetDlgItem(w, 1037) != nullptr; });
      if (dialog != nullptr) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(50);
    }
  });
  frame_->pad()->SendMessage(WM_COMMAND, kPadSetup, 0);
  answer.join();
  EXPECT_EQ(services_.calls, (std::vector<std::string>{"ApplyRecognizerSettings"}));
  const Calls calls = TakeCalls();
  const std::string h = Handle();
  EXPECT_TRUE(Has(calls, "SetIsPressure 0"));
  EXPECT_TRUE(Has(calls, "SetPen " + h + ",5,255")) << "the pen settings applied";
  EXPECT_TRUE(Has(calls, "SetDelayEx " + h + ",1000,1200"));
  EXPECT_EQ(calls.back(), "EnableMouse " + h + ",1") << "the capture is on again after the dialog";
}

TEST_F(MainFrameTest, SignAndDrawWithoutItsProgramTogglesTheMode) {
  ASSERT_TRUE(Create(1));
  EXPECT_FALSE(driver_.sign_and_draw());
  frame_->pad()->SendMessage(WM_COMMAND, kPadSignAndDraw, 0);
  EXPECT_TRUE(driver_.sign_and_draw());
  EXPECT_TRUE(IsWindowVisible(frame_->pad()->hwnd()));
}

TEST_F(MainFrameTest, LaunchWaitForAProcessThePadDidNotStartIsIgnored) {
  ASSERT_TRUE(Create(1));
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  frame_->pad()->SendMessage(CPadFrame::kLaunchWait, 1, reinterpret_cast<LPARAM>(self));
  PumpFor(300);
  EXPECT_TRUE(IsWindowVisible(frame_->pad()->hwnd()));
  EXPECT_NE(WaitForSingleObject(self, 0), WAIT_FAILED) << "a handle it does not own is never closed";
  CloseHandle(self);
}

TEST_F(MainFrameTest, SendButtonCommitsOrRestores) {
  ASSERT_TRUE(Create(1));
  dispatcher_.segmentations.push_back({1, {1}});
  dispatcher_.Will({0xBBD2});
  driver_.RecognizeStrokes(app_testing::Line(1), false);
  ASSERT_EQ(driver_.cell_count(), 1);
  frame_->pad()->SendMessage(WM_COMMAND, kPadSend, 0);
  EXPECT_EQ(driver_.cell_count(), 0);
  EXPECT_EQ(driver_.history_count(), 1);
}

TEST_F(MainFrameTest, CaptionShowsTheFirstCell) {
  ASSERT_TRUE(Create(0));
  dispatcher_.segmentations.push_back({1, {1}});
  dispatcher_.Will({0xBBD2});
  driver_.RecognizeStrokes(app_testing::Line(1), false);
  PumpFor(20);
  char caption[64] = "";
  GetWindowTextA(frame_->hwnd(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Wrendle-[ \xD2\xBB ]");
}

// Ten one-character phrases of the selected cell's character: the phrase
// row shows their first characters a page at a time, and the page buttons
// move the page within them.
TEST_F(MainFrameTest, PhraseRowPagesThroughThePhrasesOfTheSelectedCell) {
  constexpr std::uint16_t kZhong = 0xD0D6, kGuo = 0xFAB9;
  const auto text = [](std::uint16_t code) {
    return std::string{static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
  };
  std::vector<std::uint16_t> heads;
  std::vector<std::string> entries;
  for (int i = 0; i < 10; ++i) {
    heads.push_back(static_cast<std::uint16_t>(0xB0 | (0xA1 + i) << 8));
    entries.push_back(text(heads.back()));
  }
  std::ofstream(directory_.File("schar.txt"), std::ios::binary) << WritePhraseFile({{kZhong, entries}});
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(directory_.path().string().c_str());
  ASSERT_TRUE(Create(0));
  dispatcher_.segmentations.push_back({1, {1}});
  dispatcher_.Will({kZhong});
  driver_.RecognizeStrokes(app_testing::Line(1), false);
  ASSERT_NE(frame_->AssocPhraseProvider(), nullptr);
  frame_->AssocPhraseProvider()->SetKey(kZhong);

  const CandidateGrid& row = frame_->phrases().grid();
  const int page = row.rows() * row.columns();
  ASSERT_GT(page, 0);
  ASSERT_LT(page, 10) << "more phrases than a page";
  const auto shown = [&] {
    std::vector<std::uint16_t> codes;
    for (int i = 0; i < row.visible_count(); ++i) codes.push_back(*row.CodeAt(i));
    return codes;
  };
  const auto heads_from = [&](int first, int count) {
    return std::vector<std::uint16_t>(heads.begin() + first, heads.begin() + first + count);
  };
  frame_->ShowAssocPage(0);
  EXPECT_EQ(shown(), heads_from(0, page));
  // Forward to the last full page, and no further.
  int offset = 0;
  for (int press = 0; press < 10 / page + 1; ++press) {
    frame_->SendMessage(WM_COMMAND, kCommandPhraseNext);
    offset = std::min(offset + page, 10 - page);
    EXPECT_EQ(frame_->phrase_offset(), offset) << "press " << press;
  }
  EXPECT_EQ(shown(), heads_from(10 - page, page));
  frame_->SendMessage(WM_COMMAND, kCommandPhrasePrevious);
  EXPECT_EQ(frame_->phrase_offset(), std::max(0, 10 - 2 * page));

  // A key that is not the selected cell's: the row is emptied.
  frame_->AssocPhraseProvider()->SetKey(kGuo);
  frame_->ShowAssocPage(0);
  EXPECT_EQ(row.visible_count(), 0);
  frame_.reset();
  SetCurrentDirectoryA(previous);
}

// The Speech command works only while the text-to-speech library (with all
// its entries) and, for GB2312, the code table lie in the program's folder
// or the Windows folder when the pad is made.
TEST_F(MainFrameTest, SpeechCommandTogglesOnlyWithTheSpeechLibraryAndTable) {
  settings_.speech = 0;
  ASSERT_TRUE(Create(1));
  frame_->pad()->SendMessage(WM_COMMAND, kPadSpeech, 0);
  EXPECT_EQ(settings_.speech, 0) << "no library";

  const std::filesystem::path windows = platform::WindowsDirectory();
  const std::filesystem::path library = windows / "TALV32SC.DLL", table = windows / "GBB5.TAB";
  std::filesystem::copy_file(testing_support::ExecutableDirectory() / ".." / "speech_full" / "TALV32SC.DLL",
                             library, std::filesystem::copy_options::overwrite_existing);
  std::ofstream(table, std::ios::binary) << std::string(13526, '\0');
  ASSERT_TRUE(Create(1));
  frame_->pad()->SendMessage(WM_COMMAND, kPadSpeech, 0);
  EXPECT_EQ(settings_.speech, 1);
  frame_->pad()->SendMessage(WM_COMMAND, kPadSpeech, 0);
  EXPECT_EQ(settings_.speech, 0);
  frame_.reset();  // the pad lets go of the library
  std::filesystem::remove(table);
  ASSERT_TRUE(Create(1));
  frame_->pad()->SendMessage(WM_COMMAND, kPadSpeech, 0);
  EXPECT_EQ(settings_.speech, 0) << "GB2312 without the table";
  frame_.reset();
  std::filesystem::remove(library);
}

TEST_F(MainFrameTest, IgnoredSystemMessagesAnswerZero) {
  ASSERT_TRUE(Create(0));
  for (UINT message : {0x501u, 0x505u, 0x506u}) EXPECT_EQ(frame_->SendMessage(message, 1, 1), 0) << message;
}

}  // namespace
