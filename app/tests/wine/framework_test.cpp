// The program's window framework: binding, handler dispatch in message
// order, frames, dialogs from templates, DC and GDI object scopes, the
// application object and its profile wrappers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/framework/dialog.h"
#include "app/framework/frame_wnd.h"
#include "app/framework/gdi.h"
#include "app/framework/win_app.h"
#include "app/tests/wine/framework_test_resources.h"
#include "app/tests/wine/test_frame.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle::framework;
using app_testing::PumpFor;
using testing::Contains;
using testing::ElementsAre;

std::string FrameClass() {
  return RegisterWindowClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
}

// Logs the handlers it receives, in order.
class RecordingFrame final : public CFrameWnd {
 public:
  std::vector<std::string> log;
  bool bound_before_create = false;
  int create_result = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NCCREATE) bound_before_create = FromHandle(hwnd()) == this;
    return CFrameWnd::WindowProc(message, wparam, lparam);
  }
  int OnCreate(CREATESTRUCTA* create) override {
    log.push_back(std::string("create ") + create->lpszName);
    return create_result;
  }
  void OnDestroy() override {
    log.push_back("destroy");
    CFrameWnd::OnDestroy();
  }
  void PostNcDestroy() override { log.push_back("post-nc-destroy"); }
  void OnTimer(UINT_PTR id) override {
    log.push_back("timer " + std::to_string(id));
    KillTimer(hwnd(), id);
  }
  void OnSize(UINT, int cx, int cy) override {
    log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
  }
  int OnMouseActivate(HWND, UINT hit_test, UINT) override {
    log.push_back("mouse-activate " + std::to_string(hit_test));
    return MA_NOACTIVATE;
  }
  void OnLButtonDown(UINT flags, POINT point) override {
    log.push_back("lbutton-down " + std::to_string(flags) + " " + std::to_string(point.x) + "," +
                  std::to_string(point.y));
  }
  void OnRButtonUp(UINT, POINT point) override { log.push_back("rbutton-up " + std::to_string(point.x)); }
  bool OnCommand(UINT id, UINT, HWND) override {
    if (id != 42) return false;
    log.push_back("command 42");
    return true;
  }
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override {
    if (message == WM_USER + 99) return false;
    log.push_back("own " + std::to_string(message) + " " + std::to_string(wparam) + " " +
                  std::to_string(lparam));
    *result = 7;
    return true;
  }
};

TEST(FrameworkTest, ObjectIsBoundBeforeTheFirstMessagesAndHandlersRunInOrder) {
  RecordingFrame frame;
  ASSERT_TRUE(frame.Create(FrameClass().c_str(), "title", WS_OVERLAPPEDWINDOW, RECT{10, 10, 210, 110}));
  EXPECT_TRUE(frame.bound_before_create);
  EXPECT_EQ(CWnd::FromHandle(frame.hwnd()), &frame);
  ASSERT_FALSE(frame.log.empty());
  EXPECT_EQ(frame.log.front(), "create title");

  frame.log.clear();
  frame.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 40));
  frame.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  frame.SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame.hwnd()),
                    MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  frame.SendMessage(WM_COMMAND, 42, 0);
  EXPECT_EQ(frame.SendMessage(1235, 2, 17), 7);
  EXPECT_EQ(frame.SendMessage(0x1615, 0xD0D6, 0x100), 7);
  EXPECT_EQ(frame.SendMessage(WM_USER + 400, 1, 100), 7);
  frame.SendMessage(WM_USER + 99, 0, 0);  // left to the default handling
  SetTimer(frame.hwnd(), 5, 1, nullptr);
  PumpFor(100);
  EXPECT_THAT(frame.log, ElementsAre("lbutton-down 1 -3,40", "rbutton-up 5", "mouse-activate 1", "command 42",
                                     "own 1235 2 17", "own 5653 53462 256", "own 1424 1 100", "timer 5"));

  frame.log.clear();
  frame.SendMessage(WM_CLOSE);
  EXPECT_THAT(frame.log, ElementsAre("destroy", "post-nc-destroy"));
  EXPECT_EQ(frame.hwnd(), nullptr);
}

TEST(FrameworkTest, OnCreateFailureFailsTheCreation) {
  RecordingFrame frame;
  frame.create_result = -1;
  EXPECT_FALSE(frame.Create(FrameClass().c_str(), "failing", WS_POPUP, RECT{0, 0, 10, 10}));
  EXPECT_EQ(frame.hwnd(), nullptr);
}

TEST(FrameworkTest, SizeHandlerGetsTheClientSize) {
  RecordingFrame frame;
  ASSERT_TRUE(frame.Create(FrameClass().c_str(), "sized", WS_POPUP, RECT{0, 0, 10, 10}));
  frame.log.clear();
  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_THAT(frame.log, Contains("size 120x80"));
}

// A system control bound to an object keeps its own behaviour as Default().
class CountingEdit final : public CWnd {
 public:
  int chars = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CHAR) ++chars;
    return CWnd::WindowProc(message, wparam, lparam);
  }
};

TEST(FrameworkTest, SystemControlsAreSubclassed) {
  RecordingFrame parent;
  ASSERT_TRUE(parent.Create(FrameClass().c_str(), "parent", WS_POPUP, RECT{0, 0, 200, 100}));
  CountingEdit edit;
  ASSERT_TRUE(edit.CreateEx(0, "Edit", "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, parent.hwnd(),
                            reinterpret_cast<HMENU>(1)));
  edit.SendMessage(WM_CHAR, 'x');
  edit.SendMessage(WM_CHAR, 'y');
  char text[16] = "";
  GetWindowTextA(edit.hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "xy");
  EXPECT_EQ(edit.chars, 2);
}

TEST(FrameworkTest, ObjectDestroysItsWindow) {
  HWND window = nullptr;
  {
    RecordingFrame frame;
    ASSERT_TRUE(frame.Create(FrameClass().c_str(), "scoped", WS_POPUP, RECT{0, 0, 10, 10}));
    window = frame.hwnd();
  }
  EXPECT_FALSE(IsWindow(window));
}

// A heap window that closes itself from its own command handler and deletes
// itself after its last message, as the panes do.
class SelfClosingWindow final : public CFrameWnd {
 public:
  explicit SelfClosingWindow(std::vector<std::string>& log) : log_(log) {}
  ~SelfClosingWindow() override { log_.push_back("deleted"); }

 protected:
  bool OnCommand(UINT, UINT, HWND) override {
    DestroyWindow();
    // Still this object's handler: its members must be there.
    log_.push_back(hwnd() == nullptr ? "handler after destroy" : "still bound");
    return true;
  }
  void PostNcDestroy() override { delete this; }

 private:
  std::vector<std::string>& log_;
};

TEST(FrameworkTest, WindowClosedFromItsOwnHandlerGoesOnceTheHandlerReturned) {
  std::vector<std::string> log;
  auto* window = new SelfClosingWindow(log);
  ASSERT_TRUE(window->Create(FrameClass().c_str(), "self", WS_POPUP, RECT{0, 0, 10, 10}));
  const HWND handle = window->hwnd();
  SendMessageA(handle, WM_COMMAND, 7, 0);
  EXPECT_THAT(log, ElementsAre("handler after destroy", "deleted"));
  EXPECT_FALSE(IsWindow(handle));
}
TEST(FrameworkTest, MainWindowDestructionEndsTheMessageLoop) {
  CWinApp app;
  auto* frame = new RecordingFrame;
  ASSERT_TRUE(frame->Create(FrameClass().c_str(), "main", WS_POPUP, RECT{0, 0, 10, 10}));
  app.set_main_window(frame);
  frame->PostMessage(WM_CLOSE);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.main_window(), nullptr);
  EXPECT_EQ(frame->hwnd(), nullptr);
  delete frame;
}

class InitCheckingApp final : public CWinApp {
 public:
  std::vector<std::string> calls;
  bool init_result = true;
  bool InitInstance() override {
    calls.push_back("init");
    PostQuitMessage(3);
    return init_result;
  }
  int Run() override {
    calls.push_back("run");
    return CWinApp::Run();
  }
  int ExitInstance() override {
    calls.push_back("exit");
    return CWinApp::ExitInstance();
  }
};

TEST(FrameworkTest, ApplicationRunsInitLoopAndExit) {
  InitCheckingApp app;
  EXPECT_EQ(RunApplication(app), 3);
  EXPECT_THAT(app.calls, ElementsAre("init", "run", "exit"));
}

TEST(FrameworkTest, FailedInitSkipsTheLoop) {
  InitCheckingApp app;
  app.init_result = false;
  RunApplication(app);
  EXPECT_THAT(app.calls, ElementsAre("init", "exit"));
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(FrameworkTest, ProfileWrappers) {
  testing_support::TemporaryDirectory directory;
  CWinApp app(directory.File("wrendle.ini"));
  EXPECT_EQ(app.GetProfileInt("Pen", "Width", 5), 5);
  ASSERT_TRUE(app.WriteProfileInt("Pen", "Width", 7));
  ASSERT_TRUE(app.WriteProfileString("Learn", "CurrentUser", "ann"));
  EXPECT_EQ(app.GetProfileInt("Pen", "Width", 5), 7);
  EXPECT_EQ(app.GetProfileString("Learn", "CurrentUser", "odrin"), "ann");
  EXPECT_EQ(app.GetProfileString("Learn", "Missing", "odrin"), "odrin");
}

// ------------------------------------------------------------ dialogs

class TestDialog final : public CDialog {
 public:
  explicit TestDialog(HWND parent = nullptr) : CDialog(kTestDialog, parent) {}
  std::vector<std::string> log;
  bool press_ok = true;

 protected:
  bool OnInitDialog() override {
    log.push_back("init");
    SetDlgItemTextA(hwnd(), kTestDialogEdit, "from init");
    if (press_ok) PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  }
  void OnOK() override {
    char text[32] = "";
    GetDlgItemTextA(hwnd(), kTestDialogEdit, text, sizeof text);
    log.push_back(std::string("ok ") + text);
    CDialog::OnOK();
  }
  bool OnOwnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (message != WM_USER + 1) return false;
    log.push_back("own");
    *result = 1;
    return true;
  }
};

TEST(FrameworkTest, ModalDialogFromItsTemplate) {
  TestDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_THAT(dialog.log, ElementsAre("init", "ok from init"));
  EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST(FrameworkTest, MissingTemplateFailsTheModalDialog) {
  class Missing final : public CDialog {
   public:
    Missing() : CDialog(9999) {}
  } dialog;
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(FrameworkTest, ModelessDialogLivesUntilEnded) {
  CWinApp app;
  TestDialog dialog;
  dialog.press_ok = false;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(IsWindow(dialog.hwnd()));
  EXPECT_EQ(dialog.SendMessage(WM_USER + 1), 1);
  dialog.EndDialog(IDOK);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_THAT(dialog.log, ElementsAre("init", "own"));
}

// ---------------------------------------------------------------- GDI

TEST(FrameworkTest, GdiObjectsAreDeletedAndDeselected) {
  HPEN raw = nullptr;
  {
    CPen pen(CreatePen(PS_SOLID, 3, RGB(255, 0, 0)));
    raw = pen.get();
    ASSERT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_PEN));
    CClientDC screen(nullptr);
    CMemoryDC memory(screen.get());
    const HGDIOBJ before = GetCurrentObject(memory.get(), OBJ_PEN);
    {
      CSelectObject selected(memory.get(), pen.get());
      EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PEN), raw);
    }
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PEN), before);
    CPen moved(std::move(pen));
    EXPECT_EQ(pen.get(), nullptr);
    EXPECT_EQ(moved.get(), raw);
  }
  EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(FrameworkTest, PaintScopeValidatesTheWindow) {
  class Painter final : public CFrameWnd {
   public:
    int paints = 0;

   protected:
    void OnPaint() override {
      CPaintDC dc(hwnd());
      ++paints;
      CBrush brush(CreateSolidBrush(RGB(0, 128, 128)));
      FillRect(dc.get(), &dc.paint_rect(), brush.get());
    }
  } painter;
  ASSERT_TRUE(painter.Create(FrameClass().c_str(), "paint", WS_POPUP, RECT{0, 0, 50, 50}, nullptr, nullptr,
                             WS_EX_NOACTIVATE));
  // Shown afterwards: created visible, the popup takes wine 2 s to map.
  ShowWindow(painter.hwnd(), SW_SHOWNOACTIVATE);
  InvalidateRect(painter.hwnd(), nullptr, TRUE);
  UpdateWindow(painter.hwnd());
  const int after_first = painter.paints;
  EXPECT_GE(after_first, 1);
  UpdateWindow(painter.hwnd());
  EXPECT_EQ(painter.paints, after_first) << "EndPaint validated the window";
}

}  // namespace
