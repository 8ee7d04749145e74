// The five panes in a recording host that stands in for the main frame,
// driven with the system mouse and keyboard while another window keeps the
// foreground. Screenshots of each pane go to the artifacts folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/core/assoc_phrase_provider.h"
#include "app/core/phone_table.h"
#include "app/core/reading_code.h"
#include "app/core/related_data_writers.h"
#include "app/program/keyboard_pane.h"
#include "app/program/predefined_string_pane.h"
#include "app/program/resource_text.h"
#include "app/program/symbol_pane.h"
#include "app/program/tab_pane.h"
#include "app/tests/wine/controls_fixture.h"
#include "tests/support/temporary_directory.h"

namespace {

using app_testing::ForegroundWindow;
using app_testing::PumpFor;
using app_testing::PumpUntil;
using app_testing::ScreenPixel;
using app_testing::Settle;
using testing_support::DriverThread;
using testing_support::MouseDriver;
using namespace wrendle::app;

constexpr int kGb = 4000;
constexpr std::uint16_t kZhong = 0xD0D6, kGuo = 0xFAB9, kRen = 0xCBC8, kJia = 0xD2BC;

std::string Text(std::uint16_t code) {
  return {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
}

struct Insert {
  std::string text;
  int length;
};

class RecordingHost : public PaneHost {
 public:
  explicit RecordingHost(const std::string& phrases) : closer_(*this), phrases_(kGb, phrases) {
    // Texts in the system's language, as the program shows them.
    settings_.system_language = SystemLanguageCode(GetSystemDefaultLangID());
    settings_.display_language = settings_.system_language;
    settings_.recognizer_language = kGb;
  }

  void InsertText(const char* text, int length) override { inserts.push_back({text, length}); }
  void SendKeyCodeAtSelection(std::uint16_t code) override { at_selection.push_back(code); }
  void SendKeyCodeAfterSelection(std::uint16_t code) override { after_selection.push_back(code); }
  void PadSendKeyCode(std::uint16_t code, bool clear) override { pad_keys.push_back({code, clear}); }
  // As the main frame does: a pane that asks to be hidden from one of its
  // own handlers goes once that handler has returned.
  void HidePane(int index) override {
    hidden.push_back(index);
    closer_.PostMessage(kClose, static_cast<WPARAM>(index));
  }
  // Destroys pane `index` now.
  void Close(int index) {
    if (panes[index] != nullptr) panes[index]->DestroyWindow();
    panes[index] = nullptr;
  }
  Point GetPanePosition(int index) const override { return {60 + 30 * index, 60 + 40 * index}; }
  void LayoutPadForEmptyStrip() override { ++layouts; }
  void RaiseEvent(int code, int a, std::intptr_t) override { events.push_back({code, a}); }
  CAssocPhraseProvider* AssocPhraseProvider() override { return &phrases_; }
  std::string StartupUserName() override { return "Wang"; }
  Settings& settings() override { return settings_; }

  // Creates pane `index` as ShowPane does.
  template <typename Pane>
  Pane* Open(int index) {
    auto* pane = new Pane(*this);
    EXPECT_TRUE(pane->Create());
    panes[index] = pane;
    PumpFor(100);
    return pane;
  }

  std::vector<Insert> inserts;
  std::vector<std::uint16_t> at_selection, after_selection;
  std::vector<std::pair<std::uint16_t, bool>> pad_keys;
  std::vector<int> hidden;
  std::vector<std::pair<int, int>> events;
  int layouts = 0;
  CPopupDlg* panes[kPaneCount] = {};
  Settings settings_;

 private:
  static constexpr UINT kClose = WM_USER + 1;
  // A message-only window that closes the panes asked for.
  class Closer : public wrendle::framework::CWnd {
   public:
    explicit Closer(RecordingHost& host) : host_(host) {
      CreateEx(0, "Static", "", 0, RECT{}, HWND_MESSAGE, nullptr);
    }

   protected:
    bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT* result) override {
      if (message != kClose) return false;
      host_.Close(static_cast<int>(wparam));
      *result = 0;
      return true;
    }

   private:
    RecordingHost& host_;
  };

  Closer closer_;
  CAssocPhraseProvider phrases_;
};

class PanesTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { target_ = new ForegroundWindow; }
  static void TearDownTestSuite() {
    delete target_;
    target_ = nullptr;
  }

  void SetUp() override {
    const std::string phrases =
        WritePhraseFile({{kZhong, {Text(kGuo), Text(kGuo) + Text(kRen), Text(kGuo) + Text(kJia)}},
                         {kGuo, {Text(kJia), Text(kRen)}}});
    std::ofstream(folder_.File("schar.txt"), std::ios::binary) << phrases;
    PhoneTableContents table;
    table.readings.resize(kGb2312PhoneCharacters);
    const std::uint16_t guo2 = CodeOf({9, 2, 2, 1});  // g u o, second tone
    table.readings[static_cast<std::size_t>(*PhoneTableIndex(kGb, kGuo))] = {guo2};
    table.homophones[SyllableOf(guo2)] = {{}, {kGuo, 0xFAD6}, {}, {}, {}};
    const auto bytes = WritePhoneTable(table);
    std::ofstream(folder_.File("GBPhone.Tab"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    GetCurrentDirectoryA(MAX_PATH, previous_folder_);
    SetCurrentDirectoryA(folder_.path().string().c_str());
    host_ = std::make_unique<RecordingHost>(folder_.File("schar.txt"));
    target_->Activate();
  }
  void TearDown() override {
    for (int i = 0; i < kPaneCount; ++i) host_->Close(i);
    MouseDriver().MoveTo(20, 700);
    PumpFor(100);
    host_.reset();
    SetCurrentDirectoryA(previous_folder_);
  }

  static void Click(POINT at) {
    DriverThread driver([at](MouseDriver& mouse) {
      mouse.MoveTo(at.x, at.y);
      Settle();
      mouse.Press();
      Sleep(100);
      mouse.Release();
      Settle();
    });
    PumpUntil([&] { return driver.done(); }, 5000);
    driver.Join();
    PumpFor(150);
  }
  static POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  static POINT ClientPoint(HWND window, POINT point) {
    ClientToScreen(window, &point);
    return point;
  }
  static void Shoot(HWND window, const std::string& name) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int language = SystemLanguageCode(GetSystemDefaultLangID());
    EXPECT_TRUE(testing_support::SaveScreenshot("pane_" + name + "_" + std::to_string(language), &rect));
  }
  static std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  void ExpectTargetKeepsTheFocus() const { EXPECT_EQ(GetForegroundWindow(), target_->get()); }

  static ForegroundWindow* target_;
  testing_support::TemporaryDirectory folder_;
  char previous_folder_[MAX_PATH] = {};
  std::unique_ptr<RecordingHost> host_;
};

ForegroundWindow* PanesTest::target_ = nullptr;

TEST_F(PanesTest, KeyboardTypesShiftedKeysOnceAndCapsWithShiftGivesLowerCase) {
  auto* pane = host_->Open<CKeyboardPane>(kPaneKeyboard);
  const HWND key_a = pane->GetDlgItem(CKeyboardPane::kFirstKey + 26);
  const HWND key_1 = pane->GetDlgItem(CKeyboardPane::kFirstKey + 1);
  const HWND key_q = pane->GetDlgItem(CKeyboardPane::kFirstKey + 14);
  ASSERT_EQ(WindowText(key_a), "a");
  Shoot(pane->hwnd(), "keyboard");
  Click(CentreOf(key_a));
  ASSERT_EQ(host_->inserts.size(), 1u);
  EXPECT_EQ(host_->inserts[0].text, "a");
  EXPECT_EQ(host_->inserts[0].length, 1);

  Click(CentreOf(pane->GetDlgItem(CKeyboardPane::kShift)));
  EXPECT_TRUE(pane->shift());
  EXPECT_EQ(WindowText(key_1), "!");
  Shoot(pane->hwnd(), "keyboard_shift");
  Click(CentreOf(key_1));
  ASSERT_EQ(host_->inserts.size(), 2u);
  EXPECT_EQ(host_->inserts[1].text, "!");
  EXPECT_FALSE(pane->shift()) << "Shift is released after one key";
  EXPECT_EQ(WindowText(key_1), "1");

  Click(CentreOf(pane->GetDlgItem(CKeyboardPane::kCaps)));
  EXPECT_EQ(WindowText(key_q), "Q");
  Click(CentreOf(pane->GetDlgItem(CKeyboardPane::kShift)));
  EXPECT_EQ(WindowText(key_q), "q") << "Caps and Shift together";
  EXPECT_EQ(WindowText(key_1), "!");

  Click(CentreOf(pane->GetDlgItem(CKeyboardPane::kBackspace)));
  Click(CentreOf(pane->GetDlgItem(CKeyboardPane::kSpace)));
  ASSERT_EQ(host_->pad_keys.size(), 2u);
  EXPECT_EQ(host_->pad_keys[0], (std::pair<std::uint16_t, bool>(0x7F08, true)));
  EXPECT_EQ(host_->pad_keys[1], (std::pair<std::uint16_t, bool>(0x20, false)));
  ExpectTargetKeepsTheFocus();
  Click(CentreOf(pane->GetDlgItem(IDOK)));
  EXPECT_EQ(host_->hidden, std::vector<int>{kPaneKeyboard});
}

TEST_F(PanesTest, SymbolGroupChosenInTheMenuRelabelsTheKeysAndIsKept) {
  host_->settings_.symbol_group = 77;  // out of range: group 0
  auto* pane = host_->Open<CSymbolPane>(kPaneSymbols);
  EXPECT_EQ(host_->settings_.symbol_group, 0);
  const std::string symbols = LoadResString(59, kGb).value_or("");
  ASSERT_GE(symbols.size(), 24u);
  const HWND first = pane->GetDlgItem(CSymbolPane::kFirstKey);
  EXPECT_EQ(WindowText(first), symbols.substr(0, 2));
  Shoot(pane->hwnd(), "symbols");
  Click(CentreOf(first));
  ASSERT_EQ(host_->inserts.size(), 1u);
  EXPECT_EQ(host_->inserts[0].text, symbols.substr(0, 2));
  EXPECT_EQ(host_->inserts[0].length, 2);

  // The menu: first category, its second page, by the keyboard.
  const POINT menu_key = CentreOf(pane->GetDlgItem(CSymbolPane::kMenuKey));
  bool menu_seen = false;
  DriverThread driver([&](MouseDriver& mouse) {
    mouse.MoveTo(menu_key.x, menu_key.y);
    Settle();
    mouse.Press();
    Sleep(80);
    mouse.Release();
    for (int wait = 0; wait < 50 && FindWindowA("#32768", nullptr) == nullptr; ++wait) Sleep(50);
    menu_seen = FindWindowA("#32768", nullptr) != nullptr;
    for (const WORD key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) {
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_KEYBOARD;
      input[0].ki.wVk = input[1].ki.wVk = key;
      input[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, input, sizeof(INPUT));
      Sleep(150);
    }
  });
  PumpUntil([&] { return driver.done(); }, 8000);
  driver.Join();
  PumpFor(200);
  EXPECT_TRUE(menu_seen);
  EXPECT_EQ(host_->settings_.symbol_group, 1);
  EXPECT_EQ(WindowText(first), symbols.substr(12, 2));
  ExpectTargetKeepsTheFocus();
}

TEST_F(PanesTest, APhraseCellSendsItsCharactersInOrderAndNarrows) {
  auto* pane = host_->Open<CAssocPhrasePane>(kPanePhrases);
  pane->Refresh(kZhong);
  PumpFor(150);
  ASSERT_NE(pane->provider(), nullptr);
  Shoot(pane->hwnd(), "phrases");
  // Group "2" holds guo-ren and guo-jia; the first tab is group "1" (guo).
  const RECT cell = pane->CellRect(0);
  const POINT at = ClientPoint(pane->hwnd(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  {
    DriverThread driver([at](MouseDriver& mouse) { mouse.MoveTo(at.x, at.y); });
    PumpUntil([&] { return driver.done(); }, 3000);
  }
  PumpFor(200);
  EXPECT_EQ(pane->hovered_cell(), 0);
  const POINT corner = ClientPoint(pane->hwnd(), {cell.left + 1, cell.bottom - 2});
  EXPECT_EQ(ScreenPixel(corner), GetSysColor(COLOR_HIGHLIGHT));
  Shoot(pane->hwnd(), "phrases_hover");
  Click(at);
  EXPECT_EQ(host_->after_selection, std::vector<std::uint16_t>{kGuo});
  // "guo" typed: the two longer phrases remain, one group of one character.
  EXPECT_STREQ(pane->provider()->GetKey(), (Text(kZhong) + Text(kGuo)).c_str());
  EXPECT_EQ(TabCtrl_GetItemCount(pane->tab_control()), 1);
  ExpectTargetKeepsTheFocus();
}

TEST_F(PanesTest, ALongerPhraseSendsEveryCharacterInOrderAndALastCharacterWithoutPhrasesShrinksThePane) {
  auto* pane = host_->Open<CAssocPhrasePane>(kPanePhrases);
  pane->Refresh(kZhong);
  PumpFor(100);
  SendMessageA(pane->hwnd(), WM_LISTSELECT, 1, 0);  // the tab of two characters
  PumpFor(100);
  const RECT cell = pane->CellRect(0);
  Click(ClientPoint(pane->hwnd(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}));
  EXPECT_EQ(host_->after_selection, (std::vector<std::uint16_t>{kGuo, kRen}));
  // Nothing continues "guo ren": the pane takes "ren" as its key, which has
  // no phrases, and keeps only its caption line.
  EXPECT_STREQ(pane->provider()->GetKey(), Text(kRen).c_str());
  RECT client{};
  GetClientRect(pane->hwnd(), &client);
  EXPECT_LT(client.bottom, 40);
  Shoot(pane->hwnd(), "phrases_empty");
}

TEST_F(PanesTest, MoreTabsThanTwoRowsHoldTurnTheSingleLineControlOn) {
  // Nine groups of 150 phrases each: more tabs than two rows hold.
  std::vector<std::string> entries;
  for (int length = 1; length <= 9; ++length) {
    for (int n = 0; n < 150; ++n) {
      std::string entry;
      for (int c = 0; c < length; ++c)
        entry +=
            Text(static_cast<std::uint16_t>((0xB0 + (n + c) % 39) | (0xA1 + (n / 39 + c * 7) % 94) << 8));
      entries.push_back(entry);
    }
  }
  std::ofstream(folder_.File("many.txt"), std::ios::binary) << WritePhraseFile({{kZhong, entries}});
  CAssocPhraseProvider many(kGb, folder_.File("many.txt"));
  struct ManyHost : RecordingHost {
    ManyHost(const std::string& path, CAssocPhraseProvider& provider)
        : RecordingHost(path), provider_(provider) {}
    CAssocPhraseProvider* AssocPhraseProvider() override { return &provider_; }
    CAssocPhraseProvider& provider_;
  } host(folder_.File("schar.txt"), many);
  auto* pane = host.Open<CAssocPhrasePane>(kPanePhrases);
  pane->Refresh(kZhong);
  PumpFor(150);
  EXPECT_TRUE(pane->single_line());
  EXPECT_GT(TabCtrl_GetItemCount(pane->tab_control()), 9);
  Shoot(pane->hwnd(), "phrases_single_line");
  host.Close(kPanePhrases);
  PumpFor(50);
}

TEST_F(PanesTest, AHomophoneCellFeedsThePhrasePane) {
  auto* phrases = host_->Open<CAssocPhrasePane>(kPanePhrases);
  auto* homophones = host_->Open<CHomophonePane>(kPaneHomophones);
  homophones->Refresh(kGuo);
  PumpFor(150);
  ASSERT_EQ(TabCtrl_GetItemCount(homophones->tab_control()), 1);
  Shoot(homophones->hwnd(), "homophones");
  const RECT cell = homophones->CellRect(0);
  Click(ClientPoint(homophones->hwnd(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}));
  EXPECT_EQ(host_->at_selection, std::vector<std::uint16_t>{kGuo});
  // The phrase pane took the character as its key and shows its phrases.
  EXPECT_STREQ(phrases->provider()->GetKey(), Text(kGuo).c_str());
  EXPECT_EQ(TabCtrl_GetItemCount(phrases->tab_control()), 1);
  // The keep flag is clear again: the next key is taken.
  EXPECT_EQ(phrases->provider()->SetKey(kZhong), 2);
  ExpectTargetKeepsTheFocus();
}

TEST_F(PanesTest, APaneClosedBeforeItsProviderLeavesNoPointerBehind) {
  host_->Open<CAssocPhrasePane>(kPanePhrases);
  EXPECT_NE(host_->AssocPhraseProvider()->attached(), nullptr);
  host_->Close(kPanePhrases);
  PumpFor(50);
  EXPECT_EQ(host_->AssocPhraseProvider()->attached(), nullptr);
}

std::string ProfileValue(const std::string& section, const std::string& key) {
  char value[512] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", value, sizeof value,
                           "WrendleStrings.ini");
  return value;
}

TEST_F(PanesTest, PredefinedEditsOfThreeAndSevenAreBothKeptAndCancelTouchesNothing) {
  const std::string section = PredefinedStringsSection("Wang", host_->settings_.system_language);
  WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, "WrendleStrings.ini");
  WritePrivateProfileStringA(section.c_str(), "1", "hello", "WrendleStrings.ini");
  auto* pane = host_->Open<CPredefinedStringPane>(kPaneStrings);
  Shoot(pane->hwnd(), "strings");
  Click(CentreOf(pane->GetDlgItem(CPredefinedStringPane::kFirstText)));
  ASSERT_EQ(host_->inserts.size(), 1u);
  EXPECT_EQ(host_->inserts[0].text, "hello");
  EXPECT_EQ(host_->inserts[0].length, 5);
  EXPECT_EQ(host_->layouts, 1);

  // Empty button 3 opens the editor there: text 3, then 7 through the list.
  const POINT third = CentreOf(pane->GetDlgItem(CPredefinedStringPane::kFirstText + 2));
  std::string first_shown;
  DriverThread driver([&](MouseDriver& mouse) {
    mouse.MoveTo(third.x, third.y);
    Settle();
    mouse.Press();
    Sleep(80);
    mouse.Release();
    HWND editor = nullptr;
    for (int wait = 0; wait < 60 && editor == nullptr; ++wait) {
      Sleep(50);
      editor = FindWindowA("#32770", nullptr);
    }
    if (editor == nullptr) return;
    const HWND combo = GetDlgItem(editor, CPredefinedStringDlg::kCombo);
    first_shown = std::to_string(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    SetDlgItemTextA(editor, CPredefinedStringDlg::kEdit, "three");
    SendMessageA(combo, CB_SETCURSEL, 6, 0);
    SendMessageA(editor, WM_COMMAND, MAKEWPARAM(CPredefinedStringDlg::kCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    SetDlgItemTextA(editor, CPredefinedStringDlg::kEdit, "seven");
    SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  PumpUntil([&] { return driver.done(); }, 8000);
  driver.Join();
  PumpFor(100);
  EXPECT_EQ(first_shown, "2");
  EXPECT_EQ(pane->strings().texts()[2], "three");
  EXPECT_EQ(pane->strings().texts()[6], "seven");
  EXPECT_EQ(host_->events, (std::vector<std::pair<int, int>>{{1024, 22}, {1024, 23}}));
  host_->Close(kPaneStrings);
  PumpFor(50);
  EXPECT_EQ(ProfileValue(section, "3"), "three");
  EXPECT_EQ(ProfileValue(section, "7"), "seven");
  EXPECT_EQ(ProfileValue(section, "1"), "hello");
  EXPECT_EQ(ProfileValue(section, "2"), "<missing>") << "unchanged keys are not written";

  // Cancel: the file stays as it is.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::filesystem::path file = std::filesystem::path(windows) / "WrendleStrings.ini";
  std::ifstream before_stream(file, std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(before_stream)), std::istreambuf_iterator<char>());
  pane = host_->Open<CPredefinedStringPane>(kPaneStrings);
  const POINT edit = CentreOf(pane->GetDlgItem(CPredefinedStringPane::kEdit));
  DriverThread cancel([&](MouseDriver& mouse) {
    mouse.MoveTo(edit.x, edit.y);
    Settle();
    mouse.Press();
    Sleep(80);
    mouse.Release();
    HWND editor = nullptr;
    for (int wait = 0; wait < 60 && editor == nullptr; ++wait) {
      Sleep(50);
      editor = FindWindowA("#32770", nullptr);
    }
    if (editor == nullptr) return;
    SetDlgItemTextA(editor, CPredefinedStringDlg::kEdit, "dropped");
    SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  PumpUntil([&] { return cancel.done(); }, 8000);
  cancel.Join();
  PumpFor(100);
  host_->Close(kPaneStrings);
  PumpFor(50);
  std::ifstream after_stream(file, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(after_stream)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, before);
  EXPECT_EQ(ProfileValue(section, "1"), "hello");
}

// The application object and the resource library for every test of the
// binary.
testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new app_testing::ControlsEnvironment);

}  // namespace
