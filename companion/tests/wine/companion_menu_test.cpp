// The companion's frame created in this process on a thread of its own,
// so that its menu (wine keeps menus apart per process) can be read with
// MN_GETHMENU while it is open: items, check marks, greying and texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/framework/frame_wnd.h"
#include "companion/win32/main_frame.h"
#include "tests/support/executable_directory.h"

namespace {

using std::chrono::milliseconds;
namespace fs = std::filesystem;

constexpr UINT kTrayIconId = 132;

bool WaitUntil(const std::function<bool()>& done, milliseconds limit = milliseconds(10000)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return done();
}

// The frame and its message loop on a thread of their own.
class FrameThread {
 public:
  FrameThread() {
    thread_ = std::thread([this] {
      const std::string name =
          wrendle::framework::RegisterWindowClass(0, nullptr, nullptr, nullptr, "SubWrendle");
      companion::CMainFrame frame;
      const RECT rect{0, 0, 100, 100};
      frame.Create(name.c_str(), "", WS_POPUP, rect, nullptr, nullptr, WS_EX_TOOLWINDOW);
      window_ = frame.hwnd();
      MSG message;
      while (IsWindow(frame.hwnd()) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    });
    WaitUntil([this] { return window_.load() != nullptr; });
  }
  ~FrameThread() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }

 private:
  std::atomic<HWND> window_{nullptr};
  std::thread thread_;
};

// A visible popup menu window of this process.
BOOL CALLBACK FindOpenMenu(HWND window, LPARAM data) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (lstrcmpA(name, "#32768") != 0 || !IsWindowVisible(window) || process != GetCurrentProcessId()) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

HWND FindOpenMenuWindow() {
  HWND found = nullptr;
  EnumWindows(FindOpenMenu, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string DescribeMenu(HMENU menu) {
  std::string text;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    char label[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), label, sizeof label, MF_BYPOSITION);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    text += std::to_string(GetMenuItemID(menu, i)) + ((state & MF_CHECKED) ? "c" : "") +
            ((state & MF_GRAYED) ? "g" : "") + (info.hbmpChecked != nullptr ? "b" : "") + " " + label + "\n";
  }
  return text;
}

// The menu texts in the system's language, in its ANSI code page, as the
// frame loads them.
struct MenuTexts {
  std::string write_pad, full_screen, inkpost, reading, exit;
};

std::string Ansi(const wchar_t* text) {
  char bytes[128] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

MenuTexts ExpectedTexts() {
  const LANGID language = GetUserDefaultUILanguage();
  if (PRIMARYLANGID(language) == LANG_CHINESE && SUBLANGID(language) == SUBLANG_CHINESE_SIMPLIFIED) {
    return {Ansi(L"\x5199\x5b57\x677f\x6a21\x5f0f"), Ansi(L"\x5168\x5c4f\x6a21\x5f0f"),
            Ansi(L"\x58a8\x8ff9\x4fbf\x7b3a"), Ansi(L"\x6717\x8bfb"), Ansi(L"\x9000\x51fa")};
  }
  if (PRIMARYLANGID(language) == LANG_CHINESE) {
    return {Ansi(L"\x5beb\x5b57\x677f\x6a21\x5f0f"), Ansi(L"\x5168\x87a2\x5e55\x6a21\x5f0f"),
            Ansi(L"\x58a8\x8de1\x4fbf\x7b8b"), Ansi(L"\x6717\x8b80"), Ansi(L"\x7d50\x675f")};
  }
  return {"Write Pad Mode", "Full Screen Mode", "Inkpost", "Reading", "Exit"};
}

std::string Items(const char* marks, bool reading) {
  const MenuTexts texts = ExpectedTexts();
  const std::string m = marks;
  std::string out = "102" + m + " " + texts.write_pad + "\n103" + m + " " + texts.full_screen + "\n104cb " +
                    texts.inkpost + "\n";
  if (reading) out += "106cb " + texts.reading + "\n";
  return out + "107cb " + texts.exit + "\n";
}

// Opens the menu from the icon's message and describes it.
std::string OpenAndDescribe(HWND frame, LPARAM mouse_message, const char* screenshot = nullptr);

void SaveScreenshot(const fs::path& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + row * static_cast<DWORD>(height);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(row) * height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

std::string OpenAndDescribe(HWND frame, LPARAM mouse_message, const char* screenshot) {
  PostMessageA(frame, companion::WM_TRAYNOTIFY, kTrayIconId, mouse_message);
  HWND menu_window = nullptr;
  if (!WaitUntil([&] { return (menu_window = FindOpenMenuWindow()) != nullptr; }, milliseconds(3000)))
    return "none";
  const auto menu = reinterpret_cast<HMENU>(SendMessageA(menu_window, MN_GETHMENU, 0, 0));
  const std::string text = DescribeMenu(menu);
  if (screenshot != nullptr) SaveScreenshot(testing_support::ExecutableDirectory() / screenshot);
  PostMessageA(frame, WM_CANCELMODE, 0, 0);
  WaitUntil([] { return FindOpenMenuWindow() == nullptr; }, milliseconds(3000));
  return text;
}

TEST(CompanionMenu, ItemsByPadStateWithTheirBitmaps) {
  std::error_code ignored;
  fs::remove(testing_support::ExecutableDirectory() / "Rirudarave.exe", ignored);
  FrameThread frame;
  ASSERT_NE(frame.window(), nullptr);
  EXPECT_EQ(OpenAndDescribe(frame.window(), WM_LBUTTONDOWN, "companion_menu.bmp"), Items("cb", false));
  // Another mouse message opens nothing.
  EXPECT_EQ(OpenAndDescribe(frame.window(), WM_RBUTTONDOWN), "none");

  // A "ZEZIRAREVI" window with its pad minimised: the mode items are greyed.
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "ZEZIRAREVI";
  RegisterClassA(&window_class);
  HWND main_window = CreateWindowExA(0, "ZEZIRAREVI", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  SendMessageA(frame.window(), companion::WM_PADMINIMIZED, 0, 0);
  EXPECT_EQ(OpenAndDescribe(frame.window(), WM_LBUTTONDBLCLK), Items("gb", false));
  // The program ended while minimised: the modes are offered again.
  DestroyWindow(main_window);
  EXPECT_EQ(OpenAndDescribe(frame.window(), WM_LBUTTONDOWN), Items("cb", false));
}

TEST(CompanionMenu, ReadingOnlyBesideItsProgram) {
  const fs::path reader = testing_support::ExecutableDirectory() / "Rirudarave.exe";
  std::ofstream(reader) << "stand-in";
  {
    FrameThread frame;
    EXPECT_EQ(OpenAndDescribe(frame.window(), WM_LBUTTONDOWN, "companion_menu_reading.bmp"),
              Items("cb", true));
  }
  fs::remove(reader);
}

}  // namespace
