// SubWrendle.exe as a process of its own. A window of class "ZEZIRAREVI" in
// this test process stands in for the pen-input program and records what
// the companion sends it; stand-in programs beside a second copy report
// their start.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/executable_directory.h"
#include "tests/support/window_search.h"

namespace {

using std::chrono::milliseconds;
namespace fs = std::filesystem;

constexpr auto kPatience = std::chrono::seconds(20);
constexpr UINT kShowPad = WM_USER + 400;
constexpr UINT kPadMinimized = WM_USER + 410;
constexpr UINT kPadRestored = WM_USER + 420;
constexpr UINT kResendPadMode = WM_USER + 430;
constexpr UINT kTrayIconId = 132;

// Runs this thread's messages (the recorder's) while waiting.
void PumpFor(milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    std::this_thread::sleep_for(milliseconds(10));
  } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    PumpFor(milliseconds(20));
  }
  return done();
}

using testing_support::FindWindowOf;

bool HasClass(HWND window, const char* name) {
  char text[64] = {};
  GetClassNameA(window, text, sizeof text);
  return lstrcmpA(text, name) == 0;
}

class Companion {
 public:
  Companion(const fs::path& folder, const std::string& arguments = "", const fs::path& current = {}) {
    const std::string path = (folder / "SubWrendle.exe").string();
    std::string command = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const std::string current_folder = (current.empty() ? folder : current).string();
    started_ = CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              current_folder.c_str(), &startup, &info_) != FALSE;
  }
  ~Companion() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      PostMessageA(window_, WM_CLOSE, 0, 0);
      if (!PumpUntil([this] { return !running(); }, milliseconds(5000))) TerminateProcess(info_.hProcess, 99);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Companion(const Companion&) = delete;
  Companion& operator=(const Companion&) = delete;

  bool started() const { return started_; }
  bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD id() const { return info_.dwProcessId; }
  // Its frame, once it has one.
  HWND Frame() {
    PumpUntil([this] {
      window_ = FindWindowOf(id(), [](HWND w) { return HasClass(w, "SubWrendle"); });
      return window_ != nullptr || !running();
    });
    return window_;
  }
  bool WaitForExit() {
    return PumpUntil([this] { return !running(); });
  }
  int ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION info_{};
  HWND window_ = nullptr;
};

// The stand-in for the pen-input program's main window.
class Recorder {
 public:
  struct Received {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };
  Recorder() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = &Procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "ZEZIRAREVI";
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, "ZEZIRAREVI", "recorder", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Recorder() { DestroyWindow(window_); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  std::vector<Received> received;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && (message == kShowPad || message == WM_CLOSE)) {
      self->received.push_back({message, wparam, lparam});
      return 0;  // the stand-in never closes itself
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  HWND window_ = nullptr;
};

bool TrayIconPresent(HWND frame) {
  // Changing nothing but the tip succeeds only for an icon that exists.
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = frame;
  data.uID = kTrayIconId;
  data.uFlags = NIF_TIP;
  lstrcpyA(data.szTip, "probe");
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CompanionTest : public ::testing::Test {
 protected:
  static fs::path Folder() { return testing_support::ExecutableDirectory(); }
  static fs::path ProgramsFolder() { return Folder() / "with_programs"; }
  void SetUp() override {
    for (const char* name : {"Wrendle32.exe", "Inkpost.exe", "Markwell.exe", "Rirudarave.exe"}) {
      std::error_code ignored;
      fs::remove(ProgramsFolder() / (std::string(name) + ".started"), ignored);
    }
  }
};

TEST_F(CompanionTest, HiddenToolWindowWithTrayIconThatGoesWithIt) {
  Companion companion(Folder());
  ASSERT_TRUE(companion.started());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(IsWindowVisible(frame));
  EXPECT_TRUE(GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongA(frame, GWL_STYLE) & WS_POPUP);
  RECT rect{};
  GetWindowRect(frame, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 100);
  EXPECT_EQ(rect.bottom, 100);
  EXPECT_TRUE(PumpUntil([&] { return TrayIconPresent(frame); }));
  // wine answers a modification of an icon nobody added with failure, so
  // the probe means something.
  EXPECT_FALSE([&] {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = frame;
    data.uID = kTrayIconId + 1;
    data.uFlags = NIF_TIP;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
  }());

  PostMessageA(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(companion.WaitForExit());
  EXPECT_FALSE(TrayIconPresent(frame));
}

TEST_F(CompanionTest, IconComesBackWhenTheTaskbarIsCreatedAgain) {
  Companion companion(Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return TrayIconPresent(frame); }));
  // A restarted taskbar has lost every icon and announces itself.
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = frame;
  data.uID = kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_FALSE(TrayIconPresent(frame));
  PostMessageA(frame, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return TrayIconPresent(frame); }));
}

TEST_F(CompanionTest, OnePerSessionAndRemovedClosesIt) {
  {
    // No companion running: "/Removed" ends without effect.
    Companion removed(Folder(), "/Removed");
    ASSERT_TRUE(removed.WaitForExit());
  }
  Companion first(Folder());
  ASSERT_NE(first.Frame(), nullptr);
  Companion second(Folder());
  ASSERT_TRUE(second.WaitForExit());
  EXPECT_TRUE(first.running());

  Companion remover(Folder(), "/rEmOvEd");
  ASSERT_TRUE(remover.WaitForExit());
  EXPECT_TRUE(first.WaitForExit());
}

TEST_F(CompanionTest, ModesReachTheRunningProgram) {
  Recorder recorder;
  Companion companion(Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  const auto wait_for = [&](std::size_t count) {
    return PumpUntil([&] { return recorder.received.size() >= count; }, milliseconds(5000));
  };

  PostMessageA(frame, WM_COMMAND, 102, 0);
  ASSERT_TRUE(wait_for(1));
  EXPECT_EQ(recorder.received[0].message, kShowPad);
  EXPECT_EQ(recorder.received[0].wparam, 1u);
  EXPECT_EQ(recorder.received[0].lparam, 100);
  PostMessageA(frame, WM_COMMAND, 103, 0);
  ASSERT_TRUE(wait_for(2));
  EXPECT_EQ(recorder.received[1].lparam, 200);

  // Minimised pad: nothing is sent, even when asked to repeat.
  PostMessageA(frame, kPadMinimized, 0, 0);
  PostMessageA(frame, WM_COMMAND, 102, 0);
  PostMessageA(frame, kResendPadMode, 0, 0);
  PumpFor(milliseconds(500));
  EXPECT_EQ(recorder.received.size(), 2u);

  // Restored: the last mode (write pad, chosen while minimised) again.
  PostMessageA(frame, kPadRestored, 0, 0);
  PostMessageA(frame, WM_COMMAND, 103, 0);
  PostMessageA(frame, kResendPadMode, 0, 0);
  ASSERT_TRUE(wait_for(4));
  EXPECT_EQ(recorder.received[2].lparam, 200);
  EXPECT_EQ(recorder.received[3].lparam, 200);
  EXPECT_EQ(recorder.received[3].message, kShowPad);
}

TEST_F(CompanionTest, AHungProgramDoesNotHangTheCompanion) {
  Recorder recorder;
  Companion companion(Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  PostMessageA(frame, WM_COMMAND, 102, 0);
  // This thread stops answering: the recorder hangs. Meanwhile another
  // thread asks the companion something; it must answer once its own
  // message to the recorder has given up.
  bool answered = false;
  std::thread asker([&] {
    std::this_thread::sleep_for(milliseconds(6500));
    DWORD_PTR ignored = 0;
    answered = SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &ignored) != 0;
  });
  std::this_thread::sleep_for(milliseconds(10000));
  asker.join();
  EXPECT_TRUE(answered);
  PumpFor(milliseconds(200));
}

TEST_F(CompanionTest, SessionEndClosesBothOnlyWhenTheSessionEnds) {
  Recorder recorder;
  Companion companion(Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  // A cancelled logoff (wParam FALSE) changes nothing.
  SendMessageTimeoutA(frame, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5000, nullptr);
  PumpFor(milliseconds(500));
  EXPECT_TRUE(companion.running());
  EXPECT_TRUE(recorder.received.empty());

  PostMessageA(frame, WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(companion.WaitForExit());
  // The session end and the frame's destruction each close the program.
  ASSERT_GE(recorder.received.size(), 1u);
  for (const auto& received : recorder.received) {
    EXPECT_EQ(received.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(received.wparam, 1u);
  }
}

TEST_F(CompanionTest, ExitAsksFirst) {
  Recorder recorder;
  Companion companion(Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  const auto answer = [&](int button) {
    HWND box = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
      box = FindWindowOf(companion.id(), [](HWND w) { return HasClass(w, "#32770") && IsWindowVisible(w); });
      return box != nullptr;
    }));
    if (box != nullptr) PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
  };
  PostMessageA(frame, WM_COMMAND, 107, 0);
  answer(IDCANCEL);
  PumpFor(milliseconds(500));
  EXPECT_TRUE(companion.running());
  EXPECT_TRUE(recorder.received.empty());

  PostMessageA(frame, WM_COMMAND, 107, 0);
  answer(IDOK);
  ASSERT_TRUE(companion.WaitForExit());
  ASSERT_GE(recorder.received.size(), 1u);
  EXPECT_EQ(recorder.received[0].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(recorder.received[0].wparam, 1u);
}

TEST_F(CompanionTest, ProgramsStartFromTheCompanionsFolder) {
  // Started from another current folder: the programs are still found
  // beside the companion. Without a "ZEZIRAREVI" window a mode command
  // starts the pen-input program.
  Companion companion(ProgramsFolder(), "", Folder());
  HWND frame = companion.Frame();
  ASSERT_NE(frame, nullptr);
  const unsigned commands[] = {104, 105, 106, 102};
  const char* programs[] = {"Inkpost.exe", "Markwell.exe", "Rirudarave.exe", "Wrendle32.exe"};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(programs[i]);
    PostMessageA(frame, WM_COMMAND, commands[i], 0);
    const fs::path marker = ProgramsFolder() / (std::string(programs[i]) + ".started");
    ASSERT_TRUE(PumpUntil([&] { return fs::exists(marker) && !ReadFile(marker).empty(); }));
    EXPECT_EQ(fs::path(ReadFile(marker)), ProgramsFolder());
  }
}

}  // namespace
