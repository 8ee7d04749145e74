// The services the engine library takes from the platform: sends with a
// time-out, named mutexes, folder listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/folder_listing.h"
#include "platform/named_mutex.h"
#include "platform/notification_window.h"
#include "platform/window_notifier.h"

namespace platform {
namespace {

TEST(WindowNotifierTest, SendIsAnsweredWhileTheWindowWaits) {
  auto window = NotificationWindow::Create(0x8000 + 111);
  ASSERT_NE(window, nullptr);
  auto notifier = MakeSystemWindowNotifier();
  EXPECT_TRUE(notifier->IsWindow(window->Handle()));
  std::optional<std::uintptr_t> answer;
  // The send returns only once the waiting window has taken it; then the
  // post ends the wait.
  std::thread sender([&] {
    answer = notifier->Send(window->Handle(), 0x400 + 112, 1, 2, 5000);
    notifier->Post(window->Handle(), 0x400 + 111, 3, 4);
  });
  const auto got = window->WaitFor(0x400 + 111);
  sender.join();
  ASSERT_TRUE(got);
  EXPECT_EQ(got->wparam, 3u);
  ASSERT_TRUE(answer);
  EXPECT_EQ(*answer, 0u);
}

#if !defined(_WIN32)
// On Windows a send to a window of the sending thread runs its procedure at
// once; the hung window of another thread is a test of the engine's suite.
TEST(WindowNotifierTest, SendToAWindowThatDoesNotWaitTimesOut) {
  auto window = NotificationWindow::Create(0x8000 + 111);
  ASSERT_NE(window, nullptr);
  auto notifier = MakeSystemWindowNotifier();
  EXPECT_FALSE(notifier->Send(window->Handle(), 0x400 + 112, 0, 0, 50));
  const WindowHandle gone = window->Handle();
  window.reset();
  EXPECT_FALSE(notifier->IsWindow(gone));
  EXPECT_FALSE(notifier->Post(gone, 0x400 + 111, 0, 0));
}
#endif

TEST(NamedMutexTest, TheSecondOpenerSeesItExisted) {
  const std::string name = "~VOKtest" + std::to_string(std::random_device{}());
  bool existed = true;
  auto first = NamedMutex::Create(name, &existed);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(existed);
  auto second = NamedMutex::Create(name, &existed);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(existed);
  first.reset();
  second.reset();
  auto third = NamedMutex::Create(name, &existed);
  EXPECT_FALSE(existed);
}

// Two holders of one name share one lock: the second waits for the first.
TEST(NamedMutexTest, HoldersOfOneNameExcludeEachOther) {
  const std::string name = "~VOKlock" + std::to_string(std::random_device{}());
  auto first = NamedMutex::Create(name, nullptr);
  auto second = NamedMutex::Create(name, nullptr);
  auto other = NamedMutex::Create(name + "x", nullptr);
  ASSERT_TRUE(first && second && other);
  std::atomic<bool> entered{false};
  std::thread waiter;
  {
    NamedMutexLock held(*first);
    ASSERT_TRUE(held.locked());
    NamedMutexLock unrelated(*other);  // another name does not wait
    EXPECT_TRUE(unrelated.locked());
    waiter = std::thread([&] {
      NamedMutexLock lock(*second);
      entered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered);
  }
  waiter.join();
  EXPECT_TRUE(entered);
}

TEST(FolderListingTest, ListsFilesAndFoldersWithoutDots) {
  const auto root =
      std::filesystem::temp_directory_path() / ("listing" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(root / "sub");
  std::ofstream(root / "file") << "x";
  const auto entries = ListFolder(root.string());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  const auto sub =
      std::find_if(entries->begin(), entries->end(), [](const FolderEntry& e) { return e.name == "sub"; });
  ASSERT_NE(sub, entries->end());
  EXPECT_TRUE(sub->is_folder);
  EXPECT_TRUE(PathExists((root / "file").string()));
  EXPECT_FALSE(IsFolder((root / "file").string()));
  EXPECT_TRUE(MakeFolder((root / "made").string()));
  EXPECT_TRUE(MakeFolder((root / "made").string()));
  EXPECT_FALSE(ListFolder((root / "missing").string()));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace platform
