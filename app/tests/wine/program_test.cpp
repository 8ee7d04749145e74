// wrendle32.exe as a process of its own beside the dispatcher, the fake
// kernels, the hook library and the resource library: the five panes opened
// from the pad's commands and its popup menu, their clicks typed into the
// target program with the send button; the setup, recognizer, training and
// About dialogs opened from the real frame and driven with the system mouse.
// The related-character files are small fixtures of the project's writers.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/format_text.h"
#include "app/core/pad_commands.h"
#include "app/core/phone_table.h"
#include "app/core/predefined_strings.h"
#include "app/core/reading_code.h"
#include "app/core/related_data_writers.h"
#include "app/core/user_store.h"
#include "app/tests/wine/program_session.h"
#include "app/tests/wine/sample_ink.h"
#include "app/zezividudu/string_table.h"
#include "tests/support/screenshot.h"

namespace {

using namespace program_testing;
using namespace wrendle::app;

constexpr int kLanguage = 4000;
constexpr std::uint16_t kZhong = 0xD0D6, kZhongBell = 0xD3D6, kGuo = 0xFAB9, kRen = 0xCBC8;
constexpr RECT kTargetPlace = {40, 500, 640, 760};

std::string Text(std::uint16_t code) {
  return {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
}

// The settings: full-screen with the pad at (700, 40), no pane open and the
// panes' places apart from each other (the defaults overlap), the kernel
// alone.
std::string Settings(const std::string& more = "") {
  return "[CodePage]\r\nRecognizer=4000\r\nDisplay=4000\r\n[Kernel]\r\nCursive=0\r\n[Layout]\r\nLayout=1\r\n"
         "Mx=700\r\nMy=40\r\nKB_0=0\r\nKB_2=0\r\nxKB_0=700\r\nyKB_0=120\r\nxKB_1=40\r\nyKB_1=40\r\n"
         "xKB_2=40\r\nyKB_2=220\r\nxKB_3=950\r\nyKB_3=120\r\nxKB_4=40\r\nyKB_4=330\r\n" +
         more;
}

// The strings pane's file in the Windows folder.
std::string StringsPath() {
  return ::platform::JoinPath(::platform::WindowsDirectory(), kPredefinedStringsFile);
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(IniPath());
    RemoveLearnedFiles();
    std::filesystem::remove(StringsPath());
    testing_support::ClipCursorForTests();
    ASSERT_TRUE(target_.PlaceAndFocus(kTargetPlace));
  }
  void TearDown() override {
    std::filesystem::remove(IniPath());
    std::filesystem::remove(StringsPath());
  }

  // Sends what the strip holds and waits for the Edit to hold `text`.
  testing::AssertionResult SendAndExpect(const Wrendle& program, const std::wstring& text) const {
    Click(program.PadButton(Wrendle::kSendButtonId));
    if (target_.WaitForText(text)) return testing::AssertionSuccess();
    char bytes[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, target_.EditText().c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    char log[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, target_.Log().c_str(), -1, log, sizeof log, nullptr, nullptr);
    return testing::AssertionFailure() << "the Edit holds \"" << bytes << "\"; log: " << log;
  }
  static void Shoot(HWND window, const std::string& name) {
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_TRUE(testing_support::SaveScreenshot("program_" + name, &rect));
  }
  static bool Visible(HWND window) { return IsWindow(window) && IsWindowVisible(window); }
  // The panes and the pad never take the activation from the target.
  void ExpectTheTargetKeepsTheForeground() const { EXPECT_EQ(GetForegroundWindow(), target_.window()); }

  Target target_;
};

// The panes' data beside the program: phrases of "zhong", and "zhong"
// (first tone) as the reading of "zhong" with the bell character first.
class PanesTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    std::ofstream(Folder() / "schar.txt", std::ios::binary)
        << WritePhraseFile({{kZhong, {Text(kGuo), Text(kGuo) + Text(kRen)}}});
    PhoneTableContents table;
    table.readings.resize(kGb2312PhoneCharacters);
    const std::uint16_t zhong1 = CodeOf({15, 2, 12, 0});
    table.readings[static_cast<std::size_t>(*PhoneTableIndex(kLanguage, kZhong))] = {zhong1};
    table.homophones[SyllableOf(zhong1)] = {{kZhongBell, kZhong}, {}, {}, {}, {}};
    const auto bytes = WritePhoneTable(table);
    std::ofstream(Folder() / "GBPhone.Tab", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // The first predefined text of the default user: "zhong".
    WritePrivateProfileStringA(PredefinedStringsSection(DefaultUserName(kLanguage), kLanguage).c_str(), "1",
                               Text(kZhong).c_str(), StringsPath().c_str());
  }
  void TearDown() override {
    std::filesystem::remove(Folder() / "schar.txt");
    std::filesystem::remove(Folder() / "GBPhone.Tab");
    ProgramTest::TearDown();
  }

  // The pane dialog holding control `id` and not `absent` (the keyboard's
  // keys share the ids of other panes' buttons).
  static HWND Pane(const Wrendle& program, int id, int absent = 10046) {
    return program.WaitForWindow([=](HWND w) {
      return HasClass(w, "#32770") && GetDlgItem(w, id) != nullptr && GetDlgItem(w, absent) == nullptr;
    });
  }

  // Once the tabbed pane has filled its grid: a screenshot, and a click on
  // its first cell. False when no cell lit up.
  static bool ChooseFirstCell(HWND pane, const std::string& screenshot) {
    std::this_thread::sleep_for(milliseconds(300));
    Shoot(pane, screenshot);
    const std::optional<POINT> cell = FirstCell(pane);
    if (cell) ClickAt(*cell);
    return cell.has_value();
  }
  // The first cell of a tabbed pane: the cell that the pointer, moved down
  // its grid's left column, lights in the highlight colour.
  static std::optional<POINT> FirstCell(HWND pane) {
    RECT tabs{};
    GetWindowRect(GetDlgItem(pane, 18), &tabs);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    testing_support::MouseDriver mouse;
    for (int y = tabs.top + 8; y < tabs.bottom - 4; y += 3) {
      const POINT at = mouse.MoveTo(tabs.left + 14, y);
      std::this_thread::sleep_for(milliseconds(60));
      HDC screen = GetDC(nullptr);
      const bool lit =
          GetPixel(screen, at.x - 2, at.y) == highlight || GetPixel(screen, at.x + 2, at.y + 2) == highlight;
      ReleaseDC(nullptr, screen);
      if (lit) return at;
    }
    return std::nullopt;
  }
};

TEST_F(PanesTest, EachPaneOpensFromThePadAndItsClicksReachTheTargetAfterSend) {
  WriteIni(Settings());
  Wrendle program;
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(target_.Focus());
  const PopupMenuState menu = MenuOf(1, 0, kLanguage);

  // The keyboard, from the pad's command: "a".
  program.PadCommand(kPadKeyboard);
  const HWND keyboard = Pane(program, 10046, 0);
  ASSERT_NE(keyboard, nullptr) << "the on-screen keyboard";
  Shoot(keyboard, "pane_keyboard");
  Click(GetDlgItem(keyboard, 10026));
  EXPECT_TRUE(SendAndExpect(program, L"a"));

  // The symbols, from the popup menu: its first symbol.
  ASSERT_TRUE(program.ChooseFromMenu(menu, kPadSymbols));
  const HWND symbols = Pane(program, 10006);
  ASSERT_NE(symbols, nullptr) << "the symbols pane";
  Shoot(symbols, "pane_symbols");
  char first_symbol[8] = {};
  GetWindowTextA(GetDlgItem(symbols, 10000), first_symbol, sizeof first_symbol);
  wchar_t symbol[4] = {};
  MultiByteToWideChar(936, 0, first_symbol, -1, symbol, 4);
  Click(GetDlgItem(symbols, 10000));
  EXPECT_TRUE(SendAndExpect(program, std::wstring(L"a") + symbol));
  Click(GetDlgItem(symbols, IDOK));  // its Exit
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(symbols); })) << "Exit closes the pane";

  // The predefined strings, from the menu: its first text.
  ASSERT_TRUE(program.ChooseFromMenu(menu, kPadStrings));
  const HWND strings = Pane(program, 10011);
  ASSERT_NE(strings, nullptr) << "the predefined strings pane";
  Shoot(strings, "pane_strings");
  target_.Reset();
  ASSERT_TRUE(target_.Focus());
  Click(GetDlgItem(strings, 10000));
  EXPECT_TRUE(SendAndExpect(program, L"\u4e2d"));

  // The phrases of that text, from the pad's command: the pane takes the
  // selected cell as its key; a phrase continues it.
  Click(GetDlgItem(strings, 10000));
  program.PadCommand(kPadPhrases);
  const HWND phrases = Pane(program, 1057);
  ASSERT_NE(phrases, nullptr) << "the phrase pane";
  ASSERT_TRUE(ChooseFirstCell(phrases, "pane_phrases"));
  EXPECT_TRUE(SendAndExpect(program, L"\u4e2d\u4e2d\u56fd"));
  Click(GetDlgItem(phrases, 1057));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(phrases); })) << "its close button closes it";

  // The homophones of the text, from the menu: the first replaces the cell.
  Click(GetDlgItem(strings, 10000));
  ASSERT_TRUE(program.ChooseFromMenu(menu, kPadHomophones));
  const HWND homophones = Pane(program, 1057);
  ASSERT_NE(homophones, nullptr) << "the homophone pane";
  ASSERT_TRUE(ChooseFirstCell(homophones, "pane_homophones"));
  EXPECT_TRUE(SendAndExpect(program, L"\u4e2d\u4e2d\u56fd\u949f"));
  ExpectTheTargetKeepsTheForeground();

  // Closed with the keyboard, the strings and the homophones open: their
  // flags and places are kept for the next start.
  RECT keyboard_place{};
  GetWindowRect(keyboard, &keyboard_place);
  EXPECT_EQ(program.Close(), 0);
  const char* const open_flags[kPaneCount] = {"0", "1", "0", "1", "1"};
  for (int i = 0; i < kPaneCount; ++i)
    EXPECT_EQ(IniValue("Layout", ("KB_" + std::to_string(i)).c_str()), open_flags[i]) << "pane " << i;
  EXPECT_EQ(IniValue("Layout", "xKB_1"), std::to_string(keyboard_place.left));
  EXPECT_EQ(IniValue("Layout", "yKB_1"), std::to_string(keyboard_place.top));
}

class DialogsTest : public ProgramTest {
 protected:
  // The dialog holding control `control` that `command` of the popup menu
  // opens; null when none showed.
  static HWND FromMenu(const Wrendle& program, unsigned command, int control) {
    if (!program.ChooseFromMenu(MenuOf(1, 0, kLanguage), command)) return nullptr;
    return program.WaitForDialog(control);
  }
};

// Setup from the popup menu: the number box ticked and the logon start
// asked for with the mouse, then OK.
TEST_F(DialogsTest, SetupTakesClicksAndOkWritesTheSettingsAndTheRunValue) {
  constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  HKEY run = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr),
      ERROR_SUCCESS);
  RegDeleteValueA(run, "SubWrendle");
  WriteIni(Settings());
  {
    Wrendle program;
    ASSERT_TRUE(program.started());
    const HWND setup = FromMenu(program, kPadSetup, 1037);
    ASSERT_NE(setup, nullptr) << "the setup dialog";
    EXPECT_NE(IsDlgButtonChecked(setup, 1036), BST_CHECKED);
    Click(GetDlgItem(setup, 1036));
    Click(GetDlgItem(setup, 1132));
    EXPECT_EQ(IsDlgButtonChecked(setup, 1036), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(setup, 1132), BST_CHECKED);
    Shoot(setup, "setup");
    Click(GetDlgItem(setup, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(setup); }));
    EXPECT_TRUE(WaitFor([&] { return Visible(program.pad()); })) << "the pad is back";
    EXPECT_EQ(program.Close(), 0);
  }
  EXPECT_EQ(IniValue("Kernel", "Range"), std::to_string(0x800D)) << "numbers added, the hidden HK bit kept";
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(run, "SubWrendle", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(value), "\"" + (Folder() / "SubWrendle.exe").string() + "\"");
  RegDeleteValueA(run, "SubWrendle");
  RegCloseKey(run);
}

TEST_F(DialogsTest, RecognizerDialogOffersTheKernelsBesideTheProgramAndStoresTheChoice) {
  WriteIni(Settings());
  {
    Wrendle program;
    ASSERT_TRUE(program.started());
    program.PadCommand(kPadRecognizerDialog);
    const HWND dialog = program.WaitForDialog(1063);
    ASSERT_NE(dialog, nullptr) << "the recognizer dialog";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1063)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1065)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1066)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1067)));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1063), BST_CHECKED);
    Shoot(dialog, "recognizer");
    Click(GetDlgItem(dialog, 1065));
    Click(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(program.Close(), 0);
  }
  EXPECT_EQ(IniValue("CodePage", "Recognizer"), "2000") << "for the next start";
}

// Training from the popup menu (full strokes only): a character typed into
// its edit, written into its ink box; Recognize tells what the kernel made
// of it, Train hands the kernel the character's code.
TEST_F(DialogsTest, TrainingTeachesTheKernelTheTypedCharacter) {
  const std::filesystem::path log = Folder() / "fake_kernel.log";
  std::filesystem::remove(log);
  SetEnvironmentVariableA("WRENDLE_FAKE_KERNEL_LOG", log.string().c_str());
  WriteIni(Settings());
  {
    Wrendle program;
    ASSERT_TRUE(program.started());
    const HWND training = FromMenu(program, kPadTraining, 1043);
    ASSERT_NE(training, nullptr) << "the training dialog";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(training, 1075))) << "Recognize needs text and ink";
    SendMessageA(GetDlgItem(training, 1041), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text(kZhong).c_str()));
    RECT box{};
    GetWindowRect(GetDlgItem(training, 1019), &box);
    const std::vector<Stroke> sample = ReadSample(WRENDLE_SAMPLE_PATH);
    Draw(ScaleInto({sample[0]}, box));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(training, 1075)) != FALSE; }))
        << "Recognize after the pause";
    Shoot(training, "training");
    Click(GetDlgItem(training, 1075));
    const HWND message = program.WaitForWindow(
        [&](HWND w) { return HasClass(w, "#32770") && w != training && GetDlgItem(w, 0xFFFF) != nullptr; });
    ASSERT_NE(message, nullptr) << "what the kernel made of it";
    char text[256] = {};
    GetDlgItemTextA(message, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text), *zezividudu::FindString(kLanguage, 79)) << "the fake kernel gives nothing";
    Click(GetDlgItem(message, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(message); }));
    Click(GetDlgItem(training, IDOK));  // Train
    std::this_thread::sleep_for(milliseconds(300));
    Click(GetDlgItem(training, IDCANCEL));  // Close
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(training); }));
    EXPECT_EQ(program.Close(), 0);
  }
  SetEnvironmentVariableA("WRENDLE_FAKE_KERNEL_LOG", nullptr);
  // Recognize, then Train with the code, its bytes swapped.
  std::istringstream lines(ReadFile(log));
  std::vector<std::string> calls;
  for (std::string line; std::getline(lines, line);) calls.push_back(line);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].substr(0, 12), "recognize 1 ");
  EXPECT_EQ(calls.back().substr(calls.back().rfind(' ') + 1), std::to_string(0xD6D0));
  std::filesystem::remove(log);
}

TEST_F(DialogsTest, AboutNamesTheProgramAndItsVersion) {
  WriteIni(Settings());
  Wrendle program;
  ASSERT_TRUE(program.started());
  const HWND about = FromMenu(program, kPadAbout, 1089);
  ASSERT_NE(about, nullptr) << "the About box";
  const std::string name(*zezividudu::FindString(kLanguage, 16));
  char text[256] = {};
  GetDlgItemTextA(about, 1089, text, sizeof text);
  EXPECT_EQ(std::string(text), FillPlaces(*zezividudu::FindString(kLanguage, 93),
                                          {name, *zezividudu::FindString(kLanguage, 94)}));
  GetWindowTextA(about, text, sizeof text);
  EXPECT_EQ(std::string(text), name);
  Shoot(about, "about");
  Click(GetDlgItem(about, IDOK));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  EXPECT_EQ(program.Close(), 0);
}

}  // namespace
