// The setup, About and recognizer-kernel dialogs in this process, from the
// resource library's templates, driven from a second thread that finds
// their windows: controls shown by language and mode, scroll bars, the OK
// rule, the settings OK stores and the logon start value in a registry in
// memory and in the real per-user registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/core/char_codes.h"
#include "app/core/logon_start.h"
#include "app/core/settings.h"
#include "app/framework/win_app.h"
#include "app/program/about_dlg.h"
#include "app/program/recognizer_dlg.h"
#include "app/program/setup_dlg.h"
#include "app/program/training_dlg.h"
#include "app/tests/fakes.h"
#include "app/zezividudu/zezividudu_api.h"
#include "tests/support/executable_directory.h"
#include "tests/support/mouse_driver.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle;
using namespace wrendle::app;

struct DialogSearch {
  int control;
  HWND found;
};

// A visible dialog of this process holding the control.
BOOL CALLBACK FindDialogWithControl(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<DialogSearch*>(data);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window) ||
      GetDlgItem(window, s->control) == nullptr) {
    return TRUE;
  }
  s->found = window;
  return FALSE;
}

HWND WaitForDialog(int control) {
  for (int i = 0; i < 200; ++i) {
    DialogSearch search{control, nullptr};
    EnumWindows(FindDialogWithControl, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool Shown(HWND dialog, int control) { return IsWindowVisible(GetDlgItem(dialog, control)) != FALSE; }
bool Enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE; }
bool Ticked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }
void Click(HWND dialog, int control) { SendMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0); }
int Position(HWND dialog, int bar) { return GetScrollPos(GetDlgItem(dialog, bar), SB_CTL); }
void ScrollBy(HWND dialog, int bar, int request, int thumb = 0) {
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(request, thumb),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, bar)));
}

class DialogTest : public testing::Test {
 protected:
  DialogTest() { app_.set_resource_handle(GetResourceHandle()); }

  // Runs the dialog while `drive` answers it from another thread; `drive`
  // gets the dialog (null when it never showed) and must end it.
  template <typename Dialog>
  INT_PTR Run(Dialog& dialog, int control, const std::function<void(HWND)>& drive) {
    std::thread driver([&] {
      HWND window = WaitForDialog(control);
      if (window == nullptr) return;
      drive(window);
      if (IsWindow(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
  }

  wrendle::framework::CWinApp app_;
};

Settings SetupSettings() {
  Settings settings;
  settings.system_language = kLanguageSimplifiedChinese;
  settings.display_language = kLanguageSimplifiedChinese;
  settings.recognizer_language = kLanguageSimplifiedChinese;
  settings.cursive = 0;
  settings.range = 0x8000 | 0x1 | 0x8;  // the HK bit is hidden for GB
  settings.pen_width = 35;
  settings.delay = 100;
  settings.sensitive = 120;
  settings.char_pitch = 50;
  settings.is_pressure = 1;
  return settings;
}

TEST_F(DialogTest, SetupShowsEditsAndStores) {
  platform::MemoryRegistryStore registry;
  CSetupDlg dialog(SetupSettings(), registry, std::string("C:\\Program Files\\Wrendle\\"));
  const INT_PTR result = Run(dialog, 1039, [&](HWND window) {
    char width[8] = {};
    GetDlgItemTextA(window, 1037, width, sizeof width);
    EXPECT_STREQ(width, "20");
    EXPECT_TRUE(Shown(window, 1034));
    EXPECT_FALSE(Shown(window, 1051));  // not Big5
    EXPECT_FALSE(Shown(window, 1131));  // mode 0
    EXPECT_FALSE(Shown(window, 1129));  // a Chinese system
    EXPECT_TRUE(Shown(window, 1093));
    EXPECT_TRUE(Ticked(window, 1134));
    EXPECT_TRUE(Enabled(window, 1132));
    EXPECT_FALSE(Ticked(window, 1132));

    EXPECT_EQ(Position(window, 1039), -100);
    ScrollBy(window, 1039, SB_PAGERIGHT);
    EXPECT_EQ(Position(window, 1039), -90);
    EXPECT_EQ(Position(window, 1041), -50);
    ScrollBy(window, 1041, SB_THUMBPOSITION, static_cast<WORD>(-1));
    EXPECT_EQ(Position(window, 1041), -1);

    // Unticking the only shown box disables OK, though the hidden HK box
    // is ticked.
    Click(window, 1034);
    EXPECT_FALSE(Enabled(window, IDOK));
    Click(window, 1035);
    EXPECT_TRUE(Enabled(window, IDOK));
    Click(window, 1135);
    Click(window, 1132);
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  const Settings& stored = dialog.settings();
  EXPECT_EQ(stored.pen_width, 20);
  EXPECT_EQ(stored.delay, 90);
  EXPECT_EQ(stored.char_pitch, 99);
  EXPECT_EQ(stored.sensitive, 120);
  EXPECT_EQ(stored.range, 0x8000 | 0x8 | 0x2);
  EXPECT_EQ(stored.is_pressure, 0);
  EXPECT_EQ(registry.ReadText(kRunKey, kRunValueName), "\"C:\\Program Files\\Wrendle\\SubWrendle.exe\"");
}

TEST_F(DialogTest, SetupOnAnotherSystemLanguageAndWithoutTheRunKey) {
  Settings settings = SetupSettings();
  settings.system_language = kNoSystemLanguage;
  settings.recognizer_language = kLanguageTraditionalChinese;
  settings.cursive = 2;
  settings.is_dbcs_char = true;
  platform::MemoryRegistryStore registry;
  registry.Lock(kRunKey);
  CSetupDlg dialog(settings, registry, std::string("C:\\W\\"));
  const INT_PTR result = Run(dialog, 1039, [&](HWND window) {
    EXPECT_TRUE(Shown(window, 1129));
    EXPECT_TRUE(Shown(window, 1051));
    EXPECT_TRUE(Shown(window, 1131));
    EXPECT_FALSE(Enabled(window, 1132));
    // The two output options exclude each other.
    EXPECT_TRUE(Ticked(window, 1044));
    Click(window, 1129);
    EXPECT_FALSE(Ticked(window, 1044));
    Click(window, 1044);
    EXPECT_FALSE(Ticked(window, 1129));
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogTest, SetupWritesTheRealRunValue) {
  const auto registry = platform::MakeUserRegistryStore();
  registry->DeleteValue(kRunKey, kRunValueName);
  const std::optional<std::string> folder = RunningProgramFolder();
  ASSERT_TRUE(folder);
  CSetupDlg dialog(SetupSettings(), *registry, folder);
  Run(dialog, 1132, [&](HWND window) {
    Click(window, 1132);
    Click(window, IDOK);
  });
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  char value[MAX_PATH + 8] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(value), "\"" + *folder + "SubWrendle.exe\"");

  CSetupDlg untick(SetupSettings(), *registry, folder);
  Run(untick, 1132, [&](HWND window) {
    EXPECT_TRUE(Ticked(window, 1132));
    Click(window, 1132);
    Click(window, IDOK);
  });
  EXPECT_FALSE(registry->ReadText(kRunKey, kRunValueName));
}

TEST_F(DialogTest, AboutNamesTheProgramAndItsVersion) {
  CAboutDlg dialog("Wrendle Pen Input", 0);
  std::string caption, version;
  Run(dialog, 1089, [&](HWND window) {
    caption = Text(window);
    version = Text(GetDlgItem(window, 1089));
    Click(window, IDOK);
  });
  EXPECT_EQ(caption, "Wrendle Pen Input");
  EXPECT_EQ(version, "Wrendle Pen Input Version 2.63");
}

TEST_F(DialogTest, RecognizerChoicesFollowTheKernelFiles) {
  struct Case {
    std::vector<const char*> files;
    bool simplified, traditional;
  };
  const Case cases[] = {{{}, false, false},
                        {{"SZUN32.DLL"}, true, false},
                        {{"SZUN32.DLL", "BZUN32.DLL", "RUDI32.DLL"}, true, true}};
  for (const Case& c : cases) {
    std::vector<std::filesystem::path> made;
    for (const char* name : c.files) {
      made.push_back(testing_support::ExecutableDirectory() / name);
      std::ofstream(made.back()) << "stand-in";
    }
    Settings settings;
    settings.recognizer_language = kLanguageTraditionalChinese;
    settings.display_language = 1234;  // no button of its own
    CRecognizerDlg dialog(settings);
    bool localised = false;
    const INT_PTR result = Run(dialog, 1063, [&](HWND window) {
      EXPECT_EQ(Enabled(window, 1063), c.simplified);
      EXPECT_EQ(Enabled(window, 1065), c.traditional);
      EXPECT_FALSE(Enabled(window, 1066));  // Japanese and Korean never
      EXPECT_FALSE(Enabled(window, 1067));
      EXPECT_EQ(Ticked(window, 1065), c.traditional);
      localised = GetDlgItem(window, 1058) != nullptr;
      if (localised) {
        // A localised template: a display language without a button of its
        // own ticks 1058.
        EXPECT_TRUE(Ticked(window, 1058));
        EXPECT_FALSE(Enabled(window, 1061));
        EXPECT_FALSE(Enabled(window, 1062));
        Click(window, 1060);
      }
      if (c.simplified) Click(window, 1063);
      Click(window, IDOK);
    });
    // OK ends with the cancel result, the choices stored.
    EXPECT_EQ(result, IDCANCEL);
    if (c.simplified) {
      EXPECT_EQ(settings.recognizer_language, kLanguageSimplifiedChinese);
    }
    EXPECT_EQ(settings.display_language, localised ? kLanguageTraditionalChinese : 1234);
    for (const auto& path : made) std::filesystem::remove(path);
  }
}

// A visible message box of this process owned by `owner`.
struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<OwnedSearch*>(data);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != s->owner)
    return TRUE;
  s->found = window;
  return FALSE;
}

// Presses a button of `dialog` without waiting for it (it may open a
// message box), then reads the message box it opens and closes it; empty
// when none came.
std::string PressForMessage(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  for (int i = 0; i < 100; ++i) {
    OwnedSearch search{dialog, nullptr};
    EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      const std::string text = Text(GetDlgItem(search.found, 0xFFFF));
      PostMessageA(search.found, WM_COMMAND, IDOK, 0);
      for (int j = 0; j < 100 && IsWindow(search.found); ++j) Sleep(20);
      // The dialog goes on with the button's command once the box is gone
      // (it enables and disables its buttons after the box returns): a sent
      // message is handled only when that command is through.
      SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
      return text;
    }
    Sleep(50);
  }
  return {};
}

// Waits until the control is enabled (or the time is up).
bool WaitEnabled(HWND dialog, int control) {
  for (int i = 0; i < 100; ++i) {
    if (Enabled(dialog, control)) return true;
    Sleep(50);
  }
  return false;
}

class TrainingTest : public DialogTest {
 protected:
  TrainingTest() {
    map_.SetUser("writer");
    settings_.display_language = 0;
    settings_.delay = 30;  // a 300 ms pause
    settings_.pen_width = 3;
    settings_.pen_color = RGB(0, 0, 255);
  }

  // A stroke in the dialog's ink box, drawn with the system mouse.
  static void DrawInBox(HWND dialog) {
    RECT box{};
    GetWindowRect(GetDlgItem(dialog, CTrainingDlg::kInkBoxId), &box);
    testing_support::MouseDriver mouse;
    mouse.MoveTo(box.left + 30, box.top + 30);
    Sleep(60);
    mouse.Press();
    Sleep(60);
    for (int i = 1; i <= 5; ++i) {
      mouse.MoveTo(box.left + 30 + 12 * i, box.top + 30 + 8 * i);
      Sleep(60);
    }
    mouse.Release();
    Sleep(60);
  }

  testing_support::TemporaryDirectory folder_;
  CUserMap map_{folder_.path().string()};
  Settings settings_;
  app_testing::FakeDispatcher dispatcher_;
};

TEST_F(TrainingTest, RecognizeSaysWhatTheRecognizerMadeOfTheInkAndTrainTeachesIt) {
  testing_support::ClipCursorForTests();
  dispatcher_.Will({0x40A4, 'x'});
  dispatcher_.Will({'x'});
  dispatcher_.WillReturn(0);
  dispatcher_.WillReturn(14);  // a gesture: no candidate array to read
  CTrainingDlg dialog(settings_, dispatcher_, map_, "\xA4\x40", {});
  std::vector<std::string> messages;
  bool still_open_after_train = false;
  Run(dialog, 1075, [&](HWND window) {
    EXPECT_EQ(Text(GetDlgItem(window, 1041)), "\xA4\x40");
    RECT box{}, place{};
    GetWindowRect(GetDlgItem(window, CTrainingDlg::kInkBoxId), &box);
    GetWindowRect(GetDlgItem(window, 1043), &place);
    EXPECT_TRUE(EqualRect(&box, &place)) << "the ink box lies over static 1043";
    EXPECT_FALSE(Enabled(window, 1075)) << "no ink yet";
    EXPECT_FALSE(Enabled(window, 1042));
    const bool localised = GetDlgItem(window, 1094) != nullptr;

    DrawInBox(window);
    ASSERT_TRUE(WaitEnabled(window, 1075)) << "the pause enables Recognize";
    // Rewrite is enabled just after Recognize.
    EXPECT_TRUE(WaitEnabled(window, 1042));
    messages.push_back(PressForMessage(window, 1075));
    EXPECT_FALSE(Enabled(window, 1075)) << "until the next change";
    if (localised) {
      EXPECT_FALSE(Enabled(window, 1094)) << "recognized right: no second training";
    }

    for (int i = 0; i < 3; ++i) {
      SetDlgItemTextA(window, 1041, "\xA4\x40");  // an edit change runs the update rule
      ASSERT_TRUE(Enabled(window, 1075));
      messages.push_back(PressForMessage(window, 1075));
      if (i == 0 && localised) {
        EXPECT_TRUE(Enabled(window, 1094)) << "recognized wrong: train again";
      }
    }

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
    Sleep(300);
    still_open_after_train = IsWindowVisible(window) != FALSE;
    if (localised) {
      EXPECT_FALSE(Enabled(window, 1094));
    }

    SetDlgItemTextA(window, 1041, "");
    EXPECT_FALSE(Enabled(window, 1075)) << "no text";
    SetDlgItemTextA(window, 1041, "\xA4\x40");
    EXPECT_TRUE(Enabled(window, 1075));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(1042, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, 1042)));
    Sleep(200);
    EXPECT_FALSE(Enabled(window, 1075)) << "Rewrite cleared the ink";
  });
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0], "Result is : \xA4\x40\nRecognized OK!!!");
  EXPECT_EQ(messages[1], "Result is : x\nRecognized Error!!!");
  EXPECT_EQ(messages[2], "Error, can't recognize!!!");
  EXPECT_EQ(messages[3], "Error, can't recognize!!!");
  EXPECT_TRUE(still_open_after_train);

  ASSERT_EQ(dispatcher_.calls.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dispatcher_.calls[i].learn_code, 0);
  EXPECT_EQ(dispatcher_.calls[4].learn_code, 0xA440) << "the character with its two bytes swapped";
  const auto view = wrendle::StrokeListView::Parse(dispatcher_.calls[4].strokes);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->stroke_count(), 1u);
  EXPECT_GE(view->strokes()[0].points.size(), 3u);
}

TEST_F(TrainingTest, ALongerTextTrainsAUserCodeThatCloseSaves) {
  const auto strokes = wrendle::StrokeListBuilder().AddStroke({{10, 10}, {40, 50}, {80, 20}}).Build();
  dispatcher_.Will({'h'});
  std::string message;
  std::size_t codes_after_recognize = 99;
  {
    CTrainingDlg dialog(settings_, dispatcher_, map_, " hello ", strokes);
    Run(dialog, 1075, [&](HWND window) {
      ASSERT_TRUE(Enabled(window, 1075)) << "the opener's strokes are ink";
      message = PressForMessage(window, 1075);
      codes_after_recognize = map_.entries().size();
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
      Sleep(300);
      PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
  }
  EXPECT_EQ(message, "Result is : h\nRecognized Error!!!");
  EXPECT_EQ(codes_after_recognize, 0u) << "only training gives a text a user code";
  ASSERT_EQ(map_.entries().size(), 1u);
  const int code = static_cast<int>(map_.entries().begin()->first);
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  EXPECT_EQ(dispatcher_.calls[1].learn_code, code);
  EXPECT_FALSE(map_.modified()) << "Close saved the map";
  CUserMap reread(folder_.path().string());
  reread.SetUser("writer");
  std::string text;
  EXPECT_GT(reread.GetText(code, &text), 0);
  EXPECT_EQ(text, "hello");

  // Opened on a cell of that user code, the edit shows its text, selected.
  const std::uint16_t cell = SwapBytes(static_cast<std::uint16_t>(code));
  CTrainingDlg again(settings_, dispatcher_, map_,
                     std::string{static_cast<char>(cell & 0xFF), static_cast<char>(cell >> 8)}, strokes);
  std::string shown;
  DWORD selection = 0;
  Run(again, 1075, [&](HWND window) {
    shown = Text(GetDlgItem(window, 1041));
    selection = static_cast<DWORD>(SendMessageA(GetDlgItem(window, 1041), EM_GETSEL, 0, 0));
  });
  EXPECT_EQ(shown, "hello");
  EXPECT_EQ(selection, MAKELONG(0, 5));
}

}  // namespace
