#include "app/core/launch_watch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace wrendle::app {
namespace {

class ScriptedWaiter final : public ProcessWaiter {
 public:
  std::map<ProcessId, State> states;
  std::vector<ProcessId> closed;
  State Poll(ProcessId process) override { return states.at(process); }
  void Close(ProcessId process) override { closed.push_back(process); }
};

class RecordingLaunchHost final : public LaunchHost {
 public:
  std::vector<std::string> calls;
  void ShowAll() override { calls.push_back("ShowAll"); }
  void RequestCaptureOn() override { calls.push_back("Request 23"); }
  void SelectUserAtStartup() override { calls.push_back("SelectUser"); }
};

class LaunchWatchTest : public testing::Test {
 protected:
  ScriptedWaiter waiter_;
  RecordingLaunchHost host_;
};

using Calls = std::vector<std::string>;

TEST_F(LaunchWatchTest, StaysHiddenWhileTheProgramRunsThenShowsAgain) {
  LaunchWatch watch(waiter_, host_);
  watch.Started(11);
  EXPECT_TRUE(watch.Wait(LaunchWatch::kSignAndDraw, 11));
  waiter_.states[11] = ProcessWaiter::State::kRunning;
  watch.Poll();
  watch.Poll();
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_TRUE(watch.waiting());
  waiter_.states[11] = ProcessWaiter::State::kEnded;
  watch.Poll();
  EXPECT_EQ(host_.calls, (Calls{"ShowAll", "Request 23"}));
  EXPECT_EQ(waiter_.closed, (std::vector<ProcessId>{11}));
  EXPECT_FALSE(watch.waiting());
  watch.Poll();
  EXPECT_EQ(host_.calls.size(), 2u) << "done once";
}

TEST_F(LaunchWatchTest, TrainingEditorEndRerunsUserSelection) {
  LaunchWatch watch(waiter_, host_);
  watch.Started(12);
  watch.Wait(LaunchWatch::kTrainingEditor, 12);
  waiter_.states[12] = ProcessWaiter::State::kEnded;
  watch.Poll();
  EXPECT_EQ(host_.calls, (Calls{"ShowAll", "Request 23", "SelectUser"}));
}

TEST_F(LaunchWatchTest, FailedWaitShowsAgainWithoutUserSelection) {
  LaunchWatch watch(waiter_, host_);
  watch.Started(13);
  watch.Wait(LaunchWatch::kTrainingEditor, 13);
  waiter_.states[13] = ProcessWaiter::State::kFailed;
  watch.Poll();
  EXPECT_EQ(host_.calls, (Calls{"ShowAll", "Request 23"}));
  EXPECT_EQ(waiter_.closed, (std::vector<ProcessId>{13}));
}

TEST_F(LaunchWatchTest, HandlesThePadDidNotStartAreRefused) {
  LaunchWatch watch(waiter_, host_);
  watch.Started(14);
  EXPECT_FALSE(watch.Wait(LaunchWatch::kReading, 99));
  EXPECT_FALSE(watch.Wait(0, 14));
  EXPECT_FALSE(watch.Wait(4, 14));
  EXPECT_FALSE(watch.waiting());
  watch.Poll();
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(LaunchWatchTest, HandlesStillOpenAtTheEndAreClosed) {
  {
    LaunchWatch watch(waiter_, host_);
    watch.Started(15);
    watch.Wait(LaunchWatch::kReading, 15);
  }
  EXPECT_EQ(waiter_.closed, (std::vector<ProcessId>{15}));
}

}  // namespace
}  // namespace wrendle::app
