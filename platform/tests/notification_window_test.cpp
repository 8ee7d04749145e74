#if defined(_WIN32)
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <thread>

#include "platform/notification_window.h"

namespace {

constexpr std::uint32_t kPenResult = 1135;

TEST(NotificationWindowTest, WaitReturnsClaimedMessageAfterOthers) {
  auto window = platform::NotificationWindow::Create(kPenResult);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(platform::PostWindowMessage(window->Handle(), 1024 + 7, 1, 2));
  ASSERT_TRUE(platform::PostWindowMessage(window->Handle(), kPenResult, 11, 22));
  const auto message = window->WaitFor(kPenResult);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->message, kPenResult);
  EXPECT_EQ(message->wparam, 11u);
  EXPECT_EQ(message->lparam, 22);
}

TEST(NotificationWindowTest, MessagePostedFromAnotherThreadEndsTheWait) {
  auto window = platform::NotificationWindow::Create(kPenResult);
  ASSERT_NE(window, nullptr);
  const platform::WindowHandle handle = window->Handle();
  std::thread poster([handle] { platform::PostWindowMessage(handle, kPenResult, 5, 0); });
  const auto message = window->WaitFor(kPenResult);
  poster.join();
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->wparam, 5u);
}

TEST(NotificationWindowTest, PostToDestroyedWindowFails) {
  auto window = platform::NotificationWindow::Create(kPenResult);
  ASSERT_NE(window, nullptr);
  const platform::WindowHandle handle = window->Handle();
  window.reset();
  EXPECT_FALSE(platform::PostWindowMessage(handle, kPenResult, 0, 0));
}

#if defined(_WIN32)
// Natively there is no cursor to look at.
TEST(WaitCursorTest, ShowsTheWaitCursorAndRestoresThePreviousOne) {
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, wait);
  SetCursor(arrow);
  {
    platform::WaitCursor outer;
    EXPECT_EQ(GetCursor(), wait);
    {
      platform::WaitCursor inner;
      EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_EQ(GetCursor(), wait) << "the inner one restores the outer one's cursor";
  }
  EXPECT_EQ(GetCursor(), arrow);
}
#endif

}  // namespace
