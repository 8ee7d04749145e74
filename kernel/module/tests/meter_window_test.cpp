// The meter control of the kernel modules, driven through its exported
// window procedure.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

class MeterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(ZUN_MODULE_DIRECTORY "/BZUN32.DLL");
    ASSERT_NE(module_, nullptr);
    const auto procedure =
        reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(GetProcAddress(module_, "_MeterWndFn@16")));
    ASSERT_NE(procedure, nullptr);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.cbWndExtra = 4;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "MeterUnderTest";
    ASSERT_NE(RegisterClassA(&window_class), 0);
    window_ = CreateWindowA("MeterUnderTest", "", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA("MeterUnderTest", GetModuleHandleA(nullptr));
    if (module_ != nullptr) FreeLibrary(module_);
  }

  LRESULT Send(UINT message, WPARAM wparam = 0) { return SendMessageA(window_, message, wparam, 0); }

  HMODULE module_ = nullptr;
  HWND window_ = nullptr;
};

TEST_F(MeterWindowTest, RangeAndPosition) {
  EXPECT_EQ(Send(WM_USER + 1), 100) << "created with range 100";
  EXPECT_EQ(Send(WM_USER + 3), 50) << "and position 50";
  Send(WM_USER, 0);
  EXPECT_EQ(Send(WM_USER + 1), 100) << "range 0 means 100";
  Send(WM_USER, 40);
  EXPECT_EQ(Send(WM_USER + 3), 40) << "position clamped to a smaller range";
  Send(WM_USER + 2, 1000);
  EXPECT_EQ(Send(WM_USER + 3), 40);
  Send(WM_USER + 2, 7);
  EXPECT_EQ(Send(WM_USER + 3), 7);
  EXPECT_EQ(Send(WM_GETDLGCODE), DLGC_STATIC);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

}  // namespace
