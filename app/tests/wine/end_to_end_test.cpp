// wrendle32.exe end to end: the program with the real dispatcher, kernel,
// gesture library, hook library and base dictionaries in a folder of its
// own; handwriting from the bundled sample drawn with the system mouse into
// its ink box; the text arrives in the target program, another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/settings_file.h"
#include "app/tests/wine/target_protocol.h"
#include "common/stroke_list.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"
#include "tests/support/executable_directory.h"
#include "tests/support/mouse_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_search.h"

namespace {

using namespace wrendle;
using std::chrono::milliseconds;
using Stroke = std::vector<StrokeEntry>;

constexpr auto kPatience = std::chrono::seconds(30);
constexpr int kInkBoxId = 1019;
constexpr int kCandidateListId = 1021;

std::string IniPath() { return platform::JoinPath(platform::WindowsDirectory(), app::kProfileName); }

// The strokes of the sample's line: arrays of [x, y] points.
std::vector<Stroke> ReadSample() {
  std::ifstream in(WRENDLE_SAMPLE_PATH);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Stroke> strokes;
  int depth = 0;
  std::vector<int> numbers;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '[') {
      ++depth;
      if (depth == 2) strokes.emplace_back();
      if (depth == 3) numbers.clear();
    } else if (c == ']') {
      if (depth == 3 && numbers.size() == 2) strokes.back().push_back({numbers[0], numbers[1]});
      --depth;
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      std::size_t used = 0;
      numbers.push_back(std::stoi(text.substr(i), &used));
      i += used - 1;
    }
  }
  return strokes;
}

class Process {
 public:
  Process(const std::filesystem::path& program, const std::filesystem::path& folder) {
    std::string command = "\"" + program.string() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.string().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.string().c_str(), &startup, &info_) != FALSE;
  }
  ~Process() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return started_; }
  DWORD id() const { return info_.dwProcessId; }
  bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  int WaitForExit() const {
    if (WaitForSingleObject(info_.hProcess, 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }
  HWND WaitForWindow(const std::function<bool(HWND)>& match) const {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < end && running()) {
      if (HWND window = testing_support::FindWindowOf(id(), match)) return window;
      std::this_thread::sleep_for(milliseconds(50));
    }
    return nullptr;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

bool HasClass(HWND window, const char* name) {
  char text[64] = {};
  GetClassNameA(window, text, sizeof text);
  return lstrcmpA(text, name) == 0;
}

std::wstring EditText(HWND edit) {
  wchar_t buffer[512] = L"";
  SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

template <typename Predicate>
bool WaitFor(Predicate done, milliseconds timeout = milliseconds(10000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

class EndToEndTest : public testing::Test {
 protected:
  static std::filesystem::path Folder() { return testing_support::ExecutableDirectory(); }

  void SetUp() override {
    std::filesystem::remove(IniPath());
    std::ofstream(IniPath(), std::ios::binary)
        // The kernel alone (mode 0): the combined mode needs the engine's
        // models as well.
        << "[CodePage]\r\nRecognizer=4000\r\nDisplay=4000\r\n[Kernel]\r\nCursive=0\r\n[Layout]\r\nLayout="
           "0\r\nPx=320\r\nPy=160\r\n"
           "Sx=720\r\nSy=560\r\n[Pen]\r\nDelay=30\r\n";
    testing_support::ClipCursorForTests();
  }
  void TearDown() override { std::filesystem::remove(IniPath()); }

  // Draws `strokes` scaled into the middle of `box` (screen pixels);
  // returns the time of the last pen-up.
  // A `line` fills the box's width instead.
  static std::chrono::steady_clock::time_point Write(const std::vector<Stroke>& strokes, const RECT& box,
                                                     bool line = false) {
    int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (const Stroke& stroke : strokes) {
      for (const StrokeEntry& p : stroke) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
      }
    }
    const double room = 0.6 * std::min(box.right - box.left, box.bottom - box.top);
    const double scale = line ? 0.8 * (box.right - box.left) / std::max(1, right - left)
                              : room / std::max(1, std::max(right - left, bottom - top));
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    const auto at = [&](const StrokeEntry& p) {
      return POINT{cx + static_cast<int>((p.x - (left + right) / 2.0) * scale),
                   cy + static_cast<int>((p.y - (top + bottom) / 2.0) * scale)};
    };
    testing_support::MouseDriver mouse;
    std::chrono::steady_clock::time_point pen_up;
    for (const Stroke& stroke : strokes) {
      const POINT start = at(stroke.front());
      mouse.MoveTo(start.x, start.y);
      std::this_thread::sleep_for(milliseconds(30));
      mouse.Press();
      for (const StrokeEntry& p : stroke) {
        const POINT q = at(p);
        mouse.MoveTo(q.x, q.y);
        std::this_thread::sleep_for(milliseconds(8));
      }
      mouse.Release();
      pen_up = std::chrono::steady_clock::now();
      std::this_thread::sleep_for(milliseconds(40));
    }
    return pen_up;
  }
};

TEST_F(EndToEndTest, WritePadLineArrivesCharacterByCharacter) {
  const std::vector<Stroke> sample = ReadSample();
  ASSERT_EQ(sample.size(), 5u) << "one, two, ten";
  const std::vector<std::vector<Stroke>> characters = {
      {sample[0]}, {sample[1], sample[2]}, {sample[3], sample[4]}};

  Process program(Folder() / "wrendle32.exe", Folder());
  ASSERT_TRUE(program.started());
  HWND frame = program.WaitForWindow([](HWND w) { return HasClass(w, "ZEZIRAREVI") && IsWindowVisible(w); });
  ASSERT_NE(frame, nullptr) << "no main frame";
  Process target(Folder() / target_protocol::kProgram, Folder());
  ASSERT_TRUE(target.started());
  HWND target_window = target.WaitForWindow([](HWND w) {
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return lstrcmpW(name, target_protocol::kClassName) == 0;
  });
  ASSERT_NE(target_window, nullptr);
  SetWindowPos(target_window, nullptr, 40, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_NE(SendMessageW(target_window, target_protocol::kFocusMessage, target_protocol::kEditId, 0), 0);
  const HWND edit = GetDlgItem(target_window, target_protocol::kEditId);

  const HWND ink_box = GetDlgItem(frame, kInkBoxId);
  ASSERT_NE(ink_box, nullptr);
  RECT box;
  GetWindowRect(ink_box, &box);
  const std::wstring expected[] = {L"\u4e00", L"\u4e00\u4e8c", L"\u4e00\u4e8c\u5341"};
  for (int i = 0; i < 3; ++i) {
    const auto pen_up = Write(characters[static_cast<std::size_t>(i)], box);
    EXPECT_TRUE(WaitFor([&] { return EditText(edit) == expected[i]; })) << "after character " << i;
    const auto latency = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - pen_up);
    std::printf("character %d: pen-up plus pause to text %lld ms\n", i,
                static_cast<long long>(latency.count()));
  }
  wchar_t caption[128] = L"";
  GetWindowTextW(frame, caption, 128);

  EXPECT_NE(std::wstring(caption).find(L"-[ "), std::wstring::npos) << "caption shows the first cell";
  // The candidate row shows the last character's candidates; its second
  // replaces that character in the target.
  const HWND candidates = GetDlgItem(frame, kCandidateListId);
  ASSERT_NE(candidates, nullptr);
  RECT row;
  GetWindowRect(candidates, &row);
  const int columns =
      std::max(1L, std::min(10L, (row.right - row.left) / std::max(1L, row.bottom - row.top)));
  const int cell = (row.right - row.left) / columns;
  testing_support::MouseDriver mouse;
  mouse.MoveTo(row.left + cell + cell / 2, (row.top + row.bottom) / 2);
  std::this_thread::sleep_for(milliseconds(60));
  mouse.Press();
  std::this_thread::sleep_for(milliseconds(60));
  mouse.Release();
  EXPECT_TRUE(WaitFor([&] {
    const std::wstring text = EditText(edit);
    return text.size() == 3 && text.compare(0, 2, L"\u4e00\u4e8c") == 0 && text[2] != L'\u5341';
  })) << "the second candidate replaces the last character";
  testing_support::SaveScreenshot("end_to_end_write_pad");

  PostMessageA(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  PostMessageW(target_window, WM_CLOSE, 0, 0);
}

TEST_F(EndToEndTest, FullScreenLineOverTheTargetArrivesThroughTheHookLibrary) {
  std::ofstream(IniPath(), std::ios::binary | std::ios::trunc)
      << "[CodePage]\r\nRecognizer=4000\r\nDisplay=4000\r\n[Kernel]\r\nCursive=0\r\n[Layout]\r\nLayout=1\r\n"
         "Mx=700\r\nMy=40\r\n[Pen]\r\nDelay=30\r\nPenMouse=2\r\n";
  const std::vector<Stroke> sample = ReadSample();
  ASSERT_EQ(sample.size(), 5u);

  Process program(Folder() / "wrendle32.exe", Folder());
  ASSERT_TRUE(program.started());
  HWND frame = program.WaitForWindow([](HWND w) { return HasClass(w, "ZEZIRAREVI"); });
  ASSERT_NE(frame, nullptr) << "no main frame";
  Process target(Folder() / target_protocol::kProgram, Folder());
  ASSERT_TRUE(target.started());
  HWND target_window = target.WaitForWindow([](HWND w) {
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return lstrcmpW(name, target_protocol::kClassName) == 0;
  });
  ASSERT_NE(target_window, nullptr);
  SetWindowPos(target_window, nullptr, 40, 300, 800, 420, SWP_NOZORDER);
  ASSERT_NE(SendMessageW(target_window, target_protocol::kFocusMessage, target_protocol::kEditId, 0), 0);
  const HWND edit = GetDlgItem(target_window, target_protocol::kEditId);
  EXPECT_FALSE(IsWindowVisible(frame)) << "full-screen: the frame stays hidden";
  std::this_thread::sleep_for(milliseconds(500));

  // Over the lower, empty part of the target window.
  RECT area;
  GetWindowRect(target_window, &area);
  area.top = area.bottom - (area.bottom - area.top) / 2;
  const auto pen_up = Write({sample[0]}, area);
  EXPECT_TRUE(WaitFor([&] { return EditText(edit) == L"\u4e00"; })) << "the line reached the target";
  const auto latency = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - pen_up);
  std::printf("full-screen: pen-up plus pause to text %lld ms\n", static_cast<long long>(latency.count()));

  // A whole line: cut into cells in the pad's strip, sent with the send button.
  SendMessageW(target_window, target_protocol::kResetMessage, 0, 0);
  SendMessageW(target_window, target_protocol::kFocusMessage, target_protocol::kEditId, 0);
  Write(sample, area, true);
  HWND pad =
      program.WaitForWindow([](HWND w) { return GetDlgItem(w, 1006) != nullptr && IsWindowVisible(w); });
  ASSERT_NE(pad, nullptr);
  HWND strip = GetDlgItem(pad, 1006);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(strip) != FALSE; })) << "the strip shows the cells";
  std::this_thread::sleep_for(milliseconds(300));
  testing_support::SaveScreenshot("end_to_end_full_screen");
  RECT send;
  GetWindowRect(GetDlgItem(pad, 1003), &send);
  testing_support::MouseDriver mouse;
  mouse.MoveTo((send.left + send.right) / 2, (send.top + send.bottom) / 2);
  std::this_thread::sleep_for(milliseconds(60));
  mouse.Press();
  std::this_thread::sleep_for(milliseconds(60));
  mouse.Release();
  EXPECT_TRUE(WaitFor([&] { return EditText(edit) == L"\u4e00\u4e8c\u5341"; }))
      << "the line, sent from the strip";

  PostMessageA(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  PostMessageW(target_window, WM_CLOSE, 0, 0);
}

}  // namespace
