// wrendle32.exe end to end, the writing pad's commands: its popup menu, the
// layout switch with the ink box's tablet context (on the stand-in tablet
// driver), the sign-and-draw program and mode, the kernel-variant switch,
// and presses on the pad's buttons that start no pen capture. The outside
// programs are the tests' stand-in, copied under their names.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/core/pad_commands.h"
#include "app/tests/wine/program_session.h"
#include "app/tests/wine/sample_ink.h"
#include "app/zezividudu/string_table.h"
#include "hook/tests/wine/wintab_standin.h"
#include "tests/support/screenshot.h"

namespace {

using namespace program_testing;
using namespace wrendle::app;

constexpr int kLanguage = 4000;
constexpr int kFrameWindowMode = 41;
constexpr RECT kTargetPlace = {40, 300, 840, 720};

std::string Settings(int layout, const std::string& more = "") {
  return "[CodePage]\r\nRecognizer=4000\r\nDisplay=4000\r\n[Kernel]\r\nCursive=0\r\n[Layout]\r\nLayout=" +
         std::to_string(layout) +
         "\r\nPx=320\r\nPy=160\r\nSx=720\r\nSy=560\r\nMx=700\r\nMy=40\r\nKB_0=0\r\nKB_2=0\r\n[Pen]\r\nDelay="
         "30\r\n" +
         more;
}

class PadTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(IniPath());
    RemoveLearnedFiles();
    testing_support::ClipCursorForTests();
    ASSERT_TRUE(target_.PlaceAndFocus(kTargetPlace));
  }
  void TearDown() override { std::filesystem::remove(IniPath()); }

  static bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

  Target target_;
};

TEST_F(PadTest, MenuButtonOpensThePopupMenuAndFullWidthIsChosenByItsKey) {
  WriteIni(Settings(1));
  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_NE(program.OpenPadMenu(), nullptr) << "the popup menu under the menu button";
  testing_support::SaveScreenshot("pad_popup_menu");
  PressKey('U');  // "F&ull Width"
  EXPECT_TRUE(WaitFor([&] { return program.OpenMenuWindow(milliseconds(0)) == nullptr; }));
  EXPECT_TRUE(Visible(program.pad()));
  EXPECT_EQ(program.Close(), 0);
  EXPECT_EQ(IniValue("Char", "FullShape"), "1");
}

// The frame's window-mode button and the pad's menu command swap the two
// windows; the ink box's tablet context takes the pen only in write-pad
// layout.
TEST_F(PadTest, WindowModeCommandsSwapFrameAndPadAndTheInkBoxTabletContext) {
  using namespace jebhook::wine_test;
  HMODULE wintab = LoadLibraryA((Folder() / "Wintab32.dll").string().c_str());
  ASSERT_NE(wintab, nullptr);
  const auto configure = reinterpret_cast<StandInConfigureFn>(
      reinterpret_cast<void*>(GetProcAddress(wintab, "StandInConfigure")));
  const auto read_state = reinterpret_cast<StandInReadStateFn>(
      reinterpret_cast<void*>(GetProcAddress(wintab, "StandInReadState")));
  ASSERT_TRUE(configure && read_state) << "the builtin wintab32 was loaded, not the stand-in";
  StandInDevice device{};
  device.pressure_max = 1023;
  device.cursor_count = 1;
  device.cursor_active[0] = TRUE;
  device.cursor_packet_data[0] = 0x5C0;
  configure(&device);
  const auto pad_context = [&] {
    StandInState state{};
    read_state(&state);
    const StandInContext* context = FindContext(state, "wrendle32_pad");
    return context != nullptr ? *context : StandInContext{};
  };

  WriteIni(Settings(0));
  {
    Wrendle program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(WaitFor([&] { return Visible(program.frame()); }));
    EXPECT_FALSE(Visible(program.pad()));
    StandInContext context = pad_context();
    ASSERT_TRUE(context.open) << "the ink box opened its context";
    EXPECT_TRUE(context.enabled) << "write-pad: the ink box takes the pen";

    Click(GetDlgItem(program.frame(), kFrameWindowMode));
    ASSERT_TRUE(WaitFor([&] { return Visible(program.pad()) && !Visible(program.frame()); }))
        << "full-screen: the pad in place of the frame";
    testing_support::SaveScreenshot("pad_after_window_mode");
    // The frame switches the tablet context after it has swapped the windows.
    EXPECT_TRUE(WaitFor([&] {
      context = pad_context();
      return !context.enabled && context.to_bottom_calls >= 1;
    })) << "full-screen: the ink box's context is off and at the bottom (enabled "
        << context.enabled << ", " << context.to_bottom_calls << " calls to the bottom)";

    ASSERT_TRUE(program.ChooseFromMenu(MenuOf(1, 0, kLanguage), kPadWindowMode));
    ASSERT_TRUE(WaitFor([&] { return Visible(program.frame()) && !Visible(program.pad()); }))
        << "write-pad again";
    EXPECT_TRUE(WaitFor([&] {
      context = pad_context();
      return context.enabled && context.to_top_calls >= 2;
    })) << "write-pad again: the ink box's context is on and on top (enabled "
        << context.enabled << ", " << context.to_top_calls << " calls to the top)";
    EXPECT_EQ(program.Close(), 0);
  }
  EXPECT_EQ(IniValue("Layout", "Layout"), "0");
  // The next tests find no tablet.
  configure(&(device = StandInDevice{}));
  FreeLibrary(wintab);
}

TEST_F(PadTest, SignAndDrawProgramHidesFrameAndPadUntilItEnds) {
  OutsideProgram markwell("Markwell.exe");
  WriteIni(Settings(1));
  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.ChooseFromMenu(MenuOf(1, 0, kLanguage), kPadSignAndDraw));
  ASSERT_TRUE(markwell.WaitUntilRunning());
  EXPECT_TRUE(WaitFor([&] { return !Visible(program.pad()) && !Visible(program.frame()); }))
      << "hidden while the program runs";
  std::this_thread::sleep_for(milliseconds(800));
  EXPECT_FALSE(Visible(program.pad())) << "still hidden";
  EXPECT_EQ(markwell.Log(), "Markwell.exe\r\n");
  markwell.Close();
  EXPECT_TRUE(WaitFor([&] { return Visible(program.pad()); })) << "back once it ended";
  EXPECT_FALSE(Visible(program.frame()));
  EXPECT_EQ(program.Close(), 0);
  EXPECT_EQ(IniValue("Char", "Inking"), "0") << "the program ran: the mode stays off";
}

TEST_F(PadTest, SignAndDrawWithoutItsProgramPastesTheNextLineAsABitmap) {
  std::error_code ignored;
  std::filesystem::remove(Folder() / "Markwell.exe", ignored);
  WriteIni(Settings(1, "PenMouse=2\r\n"));
  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.ChooseFromMenu(MenuOf(1, 0, kLanguage), kPadSignAndDraw));
  ASSERT_TRUE(target_.Focus());
  std::this_thread::sleep_for(milliseconds(300));
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }

  const RECT area = {kTargetPlace.left, (kTargetPlace.top + kTargetPlace.bottom) / 2, kTargetPlace.right,
                     kTargetPlace.bottom};
  const std::vector<Stroke> ink = ScaleInto({ReadSample(WRENDLE_SAMPLE_PATH)[0]}, area);
  Draw(ink);
  EXPECT_TRUE(WaitFor([&] { return target_.Log().find(L"edit keydown 86") != std::wstring::npos; }))
      << "Ctrl+V reached the target";
  ASSERT_TRUE(WaitFor([] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }));
  // The bitmap is there while the program still holds the clipboard open.
  ASSERT_TRUE(WaitFor([] { return OpenClipboard(nullptr) != FALSE; }));
  BITMAP picture{};
  GetObjectA(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), sizeof picture, &picture);
  CloseClipboard();
  int left = INT_MAX, right = INT_MIN;
  for (const auto& p : ink.front()) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
  }
  EXPECT_NEAR(picture.bmWidth, right - left + 1, 4) << "the ink's width";
  EXPECT_EQ(target_.EditText(), L"") << "nothing recognized";
  testing_support::SaveScreenshot("pad_sign_and_draw");
  EXPECT_EQ(program.Close(), 0);
  EXPECT_EQ(IniValue("Char", "Inking"), "1");
}

// Cancel leaves everything as it was; OK toggles the kernel variant, starts
// the switch program from the program's folder and ends the program.
TEST_F(PadTest, KernelVariantSwitchStartsItsProgramAndEndsWithTheRangeBitToggled) {
  OutsideProgram variant("vurevaduzi.exe");
  WriteIni(Settings(1));
  Wrendle program;
  ASSERT_TRUE(program.started());
  const std::string question(*zezividudu::FindString(kLanguage, 1128));  // bit 0x8 is set by default
  const auto ask = [&] {
    program.PadCommand(kPadKernelVariant);
    return program.WaitForDialog(0xFFFF);
  };

  HWND box = ask();
  ASSERT_NE(box, nullptr);
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  EXPECT_EQ(std::string(text), question);
  Click(GetDlgItem(box, IDCANCEL));
  EXPECT_TRUE(WaitFor([&] { return Visible(program.pad()); })) << "Cancel shows the pad again";
  EXPECT_TRUE(program.process().running());

  box = ask();
  ASSERT_NE(box, nullptr);
  testing_support::SaveScreenshot("pad_kernel_variant_question");
  Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(program.process().WaitForExit(), 0);
  ASSERT_TRUE(variant.WaitUntilRunning());
  EXPECT_EQ(variant.Log(), "\"" + (Folder() / "vurevaduzi.exe").string() + "\"\r\n");
  EXPECT_EQ(IniValue("Kernel", "Range"), std::to_string(0x8001)) << "bit 0x8 toggled off";
}

// With the pen captured at once, presses on the pad's buttons are the
// buttons' own: the menu opens, the mode changes, nothing is written.
TEST_F(PadTest, PressesOnThePadButtonsStartNoCaptureInTheAtOncePenMode) {
  WriteIni(Settings(1, "PenMouse=2\r\n"));
  Wrendle program;
  ASSERT_TRUE(program.started());
  RECT before;
  GetWindowRect(program.pad(), &before);
  ASSERT_NE(program.OpenPadMenu(), nullptr) << "the menu button got its press";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return program.OpenMenuWindow(milliseconds(0)) == nullptr; }));
  Click(program.PadButton(Wrendle::kPenMouseButtonId));
  Click(program.PadButton(Wrendle::kSendButtonId));
  std::this_thread::sleep_for(milliseconds(900));  // past the writing pause
  RECT after;
  GetWindowRect(program.pad(), &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left) << "no cell in the strip";
  EXPECT_FALSE(Visible(GetDlgItem(program.pad(), Wrendle::kStripId)));
  EXPECT_EQ(program.Close(), 0);
  EXPECT_EQ(IniValue("Pen", "PenMouse"), "0") << "2 -> 0: the pen/mouse button got its press";
}

}  // namespace
