// wrendle32.exe started as a process of its own beside the dispatcher and the
// fake kernels, its dialogs answered by finding their windows: the settings
// file it leaves, a start cancelled at Select User, a second instance and a
// missing kernel. The suite runs once per system language; what a test
// expects follows that language.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "app/core/settings.h"
#include "app/core/settings_file.h"
#include "app/core/user_store.h"
#include "app/zezividudu/string_table.h"
#include "hook/jebhook_api.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"
#include "tests/support/child_process.h"
#include "tests/support/executable_directory.h"
#include "tests/support/window_search.h"

namespace {

using namespace wrendle;
using namespace wrendle::app;
using std::chrono::milliseconds;

constexpr int kRecognizerButton = 1063;
constexpr int kUserCombo = 1079;
constexpr int kMessageText = 0xFFFF;

std::string IniPath() { return platform::JoinPath(platform::WindowsDirectory(), kProfileName); }

std::string ReadIni() {
  std::ifstream in(IniPath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteIni(const std::string& text) {
  std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
  out << text;
}

int SystemLanguage() { return SystemLanguageCode(GetSystemDefaultLangID()); }
int ExpectedRecognizer() {
  return HasKernel(SystemLanguage()) ? SystemLanguage() : kLanguageSimplifiedChinese;
}
int ExpectedDisplay() { return HasKernel(SystemLanguage()) ? SystemLanguage() : kNoSystemLanguage; }

using testing_support::FindWindowOf;

bool HasClass(HWND window, const char* name) {
  char text[64] = {};
  GetClassNameA(window, text, sizeof text);
  return lstrcmpA(text, name) == 0;
}

bool IsDialogWith(HWND window, int control) {
  return HasClass(window, "#32770") && IsWindowVisible(window) && GetDlgItem(window, control) != nullptr;
}

std::string ControlText(HWND dialog, int control) {
  char text[512] = {};
  GetDlgItemTextA(dialog, control, text, sizeof text);
  return text;
}

// wrendle32.exe in `folder`.
class Program : public testing_support::ChildProcess {
 public:
  explicit Program(const std::filesystem::path& folder) : ChildProcess(folder / "wrendle32.exe", folder) {}

  // WaitForExit for a test thread whose windows are hook owners: it
  // dispatches their messages while it waits, and answers the recognizer
  // dialog with OK.
  int WaitForExitDispatching() const {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < end) {
      if (HWND recognizer = FindWindowOf(id(), [](HWND w) { return IsDialogWith(w, kRecognizerButton); }))
        PostMessageA(recognizer, WM_COMMAND, IDOK, 0);
      const HANDLE process = handle();
      if (MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
        return WaitForExit();
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    return -1;
  }

  // Waits for a window for which `match` holds, answering the recognizer
  // dialog (shown at every start on a system without a Chinese language)
  // with OK on the way. Null when the program ended or time ran out.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, int* recognizer_dialogs = nullptr) const {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    HWND answered = nullptr;
    while (std::chrono::steady_clock::now() < end && running()) {
      if (HWND window = FindWindowOf(id(), match)) return window;
      HWND recognizer = FindWindowOf(id(), [](HWND w) { return IsDialogWith(w, kRecognizerButton); });
      if (recognizer != nullptr && recognizer != answered) {
        if (recognizer_dialogs != nullptr) ++*recognizer_dialogs;
        PostMessageA(recognizer, WM_COMMAND, IDOK, 0);
        answered = recognizer;
      }
      std::this_thread::sleep_for(milliseconds(50));
    }
    return nullptr;
  }

  HWND WaitForMainWindow() const {
    return WaitForWindow([](HWND w) { return HasClass(w, "ZEZIRAREVI"); });
  }
};

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove(IniPath()); }
  void TearDown() override { std::filesystem::remove(IniPath()); }

  static std::filesystem::path Folder() { return testing_support::ExecutableDirectory(); }
  static std::filesystem::path FolderWithoutKernel() { return Folder() / "nokernel"; }

  static void StartAndClose() {
    Program program(Folder());
    ASSERT_TRUE(program.started());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }

  std::unique_ptr<platform::ProfileStore> store_ =
      platform::MakeIniFileProfileStore(platform::WindowsDirectory());
  std::string Value(const char* section, const std::string& key) const {
    return store_->GetString(IniPath(), section, key).value_or("<missing>");
  }
};

TEST_F(StartupTest, StartAndCloseWriteEveryKeyAndTheDefaultUser) {
  StartAndClose();
  const platform::ScreenSize screen = platform::PrimaryScreenSize();
  const std::string third_w = std::to_string(screen.width / 3);
  EXPECT_EQ(Value("CodePage", "Recognizer"), std::to_string(ExpectedRecognizer()));
  EXPECT_EQ(Value("CodePage", "Display"), std::to_string(ExpectedDisplay()));
  EXPECT_EQ(Value("Kernel", "Range"), "32777");
  EXPECT_EQ(Value("Kernel", "Cursive"), "2");
  EXPECT_EQ(Value("Layout", "Px"), third_w);
  EXPECT_EQ(Value("Pen", "Red"), "255");
  EXPECT_EQ(Value("Layout", "xKB_3"), std::to_string(screen.width / 3 + 120));
  EXPECT_EQ(Value("Layout", "PadyKB_4"), std::to_string(screen.height / 3 + 15 + 88));
  const std::vector<std::pair<const char*, const char*>> keys = {
      {"Kernel", "UseGesture"}, {"Kernel", "CommChar"},
      {"Kernel", "CharPitch"},  {"Layout", "Layout"},
      {"Layout", "Py"},         {"Layout", "Sx"},
      {"Layout", "Sy"},         {"Layout", "Mx"},
      {"Layout", "My"},         {"Pen", "Width"},
      {"Pen", "Green"},         {"Pen", "Blue"},
      {"Pen", "Delay"},         {"Pen", "Sensitive"},
      {"Pen", "PenMouse"},      {"Pen", "IsPressure"},
      {"Layout", "SymGrp"},     {"Learn", "Auto"},
      {"Char", "Insert"},       {"Char", "FullShape"},
      {"Char", "Inking"},       {"Char", "WaitRecognize"},
      {"Char", "UseIME"},       {"Char", "IsDBCSChar"},
      {"Char", "Spacing"},      {"Input Method", "PostUnicode"},
      {"Voice", "Speech"}};
  for (const auto& [section, key] : keys)
    EXPECT_NE(Value(section, key), "<missing>") << section << " " << key;
  for (int i = 0; i < kPaneCount; ++i) {
    for (const char* prefix : {"KB_", "xKB_", "yKB_", "PadKB_", "PadxKB_", "PadyKB_"}) {
      EXPECT_NE(Value("Layout", prefix + std::to_string(i)), "<missing>") << prefix << i;
    }
  }
  const std::string user = DefaultUserName(ExpectedRecognizer());
  EXPECT_EQ(Value("Learn", "UserCount"), "1");
  EXPECT_EQ(Value("Learn", "USER0001"), user + "," + std::to_string(ExpectedRecognizer()) + ",1");
  EXPECT_EQ(Value("Learn", "CurrentUser"), user);
}

TEST_F(StartupTest, SettingsSurviveARun) {
  WriteIni(
      "[Pen]\r\nWidth=7\r\n[Kernel]\r\nUseGesture=0\r\nCursive=7\r\n[Learn]\r\nUserCount=1\r\n"
      "USER0001=Ann,2000,1\r\nCurrentUser=Ann\r\n");
  StartAndClose();
  EXPECT_EQ(Value("Pen", "Width"), "7");
  EXPECT_EQ(Value("Kernel", "UseGesture"), "0");
  EXPECT_EQ(Value("Kernel", "Cursive"), "2");
  if (ExpectedRecognizer() == kLanguageTraditionalChinese) {
    EXPECT_EQ(Value("Learn", "UserCount"), "1") << "Ann is the user of this language";
  } else {
    EXPECT_EQ(Value("Learn", "UserCount"), "2");
    EXPECT_EQ(Value("Learn", "USER0001"), "Ann,2000,1");
  }
}

TEST_F(StartupTest, CancelAtSelectUserLeavesTheFileByteForByte) {
  // Every slot taken by users of a language without a kernel: no default
  // user can be added, so the dialog shows itself.
  std::string text = "[Learn]\r\nUserCount=9999\r\n";
  char line[64];
  for (int slot = 1; slot <= kMaxUserSlot; ++slot) {
    std::snprintf(line, sizeof line, "USER%04d=u%d,1000,%d\r\n", slot, slot, slot);
    text += line;
  }
  text += "[Pen]\r\nWidth=3\r\n";
  WriteIni(text);
  Program program(Folder());
  ASSERT_TRUE(program.started());
  HWND dialog = program.WaitForWindow([](HWND w) { return IsDialogWith(w, kUserCombo); });
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(ReadIni(), text);
}

TEST_F(StartupTest, SecondInstanceRestoresTheFirstAndEnds) {
  Program first(Folder());
  ASSERT_TRUE(first.started());
  HWND main = first.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main));
  const std::string before = ReadIni();
  {
    Program second(Folder());
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.WaitForExit(), 0);
  }
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(ReadIni(), before);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(StartupTest, MissingKernelShowsTheRecognizerDialogThenTheMessage) {
  Program program(FolderWithoutKernel());
  ASSERT_TRUE(program.started());
  int recognizer_dialogs = 0;
  HWND message = program.WaitForWindow(
      [](HWND w) { return IsDialogWith(w, kMessageText) && GetDlgItem(w, kUserCombo) == nullptr; },
      &recognizer_dialogs);
  ASSERT_NE(message, nullptr);
  EXPECT_GE(recognizer_dialogs, 1);
  EXPECT_EQ(ControlText(message, kMessageText), *zezividudu::FindString(ExpectedDisplay(), 70));
  PostMessageA(message, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(Value("Pen", "Width"), "<missing>") << "no settings after a failed start";
}

// Hook library owners of the test process, each on a window of its own.
class HookOwners {
 public:
  HookOwners(int count, int tag) {
    for (int i = 0; i < count; ++i) {
      HWND window = CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
      windows_.push_back(window);
      handles_.push_back(JebExHook(window, WM_USER + 1, tag, 0));
    }
  }
  ~HookOwners() {
    for (DWORD handle : handles_) {
      if (handle != 0) JebExUnhook(handle);
    }
    for (HWND window : windows_) DestroyWindow(window);
  }
  HookOwners(const HookOwners&) = delete;
  HookOwners& operator=(const HookOwners&) = delete;
  const std::vector<DWORD>& handles() const { return handles_; }
  HWND window(std::size_t i) const { return windows_[i]; }

 private:
  std::vector<HWND> windows_;
  std::vector<DWORD> handles_;
};

TEST_F(StartupTest, TenOwnersAlreadyEndTheProgramWithoutWritingTheFile) {
  StartAndClose();  // the default user exists now
  const std::string before = ReadIni();
  HookOwners owners(10, 2);
  for (DWORD handle : owners.handles()) ASSERT_NE(handle, 0u);
  Program program(Folder());
  ASSERT_TRUE(program.started());
  EXPECT_EQ(program.WaitForExitDispatching(), 0);
  EXPECT_EQ(ReadIni(), before);
}

TEST_F(StartupTest, EarlierOwnerWithTagOneIsRemovedAtExit) {
  HookOwners earlier(1, 1);
  ASSERT_NE(earlier.handles()[0], 0u);
  ASSERT_EQ(JebExFindHook(earlier.window(0), 1), earlier.handles()[0]);
  StartAndClose();
  EXPECT_EQ(JebExFindHook(earlier.window(0), 1), 0u);
}

}  // namespace
