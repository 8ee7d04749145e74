// The program's binding of the hook library.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/win32/jebhook_library.h"

namespace {

#if WRENDLE_HAVE_JEBHOOK32

// With no owner registered the library has seen no foreign focus window,
// and text for the composition string has nowhere to go.
TEST(JebHookLibraryTest, WithoutAForeignFocusWindowNoTextIsTaken) {
  auto hook = wrendle::app::MakeJebHookLibrary();
  const HWND focus = reinterpret_cast<HWND>(hook->GetFocusWindow());
  EXPECT_TRUE(focus == nullptr || IsWindow(focus));
  if (focus == nullptr) {
    EXPECT_FALSE(hook->PostImeString("\xD6\xD0\xCE\xC4"));
  }
}

// The wait button's call reaches the library: a waiting or flagged call
// answers with that value and ends no capture.
TEST(JebHookLibraryTest, WaitButtonCallReachesTheLibrary) {
  auto hook = wrendle::app::MakeJebHookLibrary();
  EXPECT_EQ(hook->SetWaitingRecognize(1, 0, 0), 1);
  EXPECT_EQ(hook->SetWaitingRecognize(0, 1, 0), 1);
}

#else

TEST(JebHookLibraryTest, UnwiredBindingHasNoFocusWindowAndTakesNoText) {
  auto hook = wrendle::app::MakeJebHookLibrary();
  EXPECT_EQ(hook->GetFocusWindow(), 0u);
  EXPECT_FALSE(hook->PostImeString("x"));
  EXPECT_EQ(hook->SetWaitingRecognize(0, 1, 0), 0);
}

#endif

}  // namespace
