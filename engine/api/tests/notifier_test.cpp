#include "engine/api/notifier.h"

#include <gtest/gtest.h>

#include "engine/api/tests/scripted_windows.h"

namespace vok::api {
namespace {

using testing::Delivered;
using testing::ScriptedWindows;

class NotifierTest : public ::testing::Test {
 protected:
  NotifierTest() : notifier_(windows_, [this](std::uint32_t ms) { slept_ms_ += ms; }) {
    notifier_.SetWindow(ScriptedWindows::kWindow);
  }

  ScriptedWindows windows_;
  std::uint32_t slept_ms_ = 0;
  CNotifier notifier_;
};

TEST(TwinMessageTest, OnlyTheListedMessagesHaveTwins) {
  for (std::uint32_t n : {100u, 101u, 102u, 103u, 110u, 111u, 112u, 113u, 114u, 116u, 120u}) {
    EXPECT_EQ(TwinMessage(kWmUser + n), kWmApp + n) << n;
  }
  for (std::uint32_t n : {104u, 115u, 121u, 130u}) EXPECT_EQ(TwinMessage(kWmUser + n), 0u) << n;
  EXPECT_EQ(TwinMessage(1124), 32868u);
}

TEST_F(NotifierTest, PostSendsTheMessageThenItsTwin) {
  EXPECT_EQ(notifier_.Post(kNotifyResult, 7, 8, true), kVokOk);
  EXPECT_EQ(notifier_.Post(kNotifyListeningEnded, 1, 0, true), kVokOk);
  const std::vector<Delivered> expected = {
      {false, 1135, 7, 8}, {false, kWmApp + 111, 7, 8}, {false, 1154, 1, 0}};
  EXPECT_EQ(windows_.Snapshot(), expected);
}

TEST_F(NotifierTest, NoWindowGives4360) {
  notifier_.SetWindow(0);
  EXPECT_EQ(notifier_.Post(kNotifyResult, 1, 0, true), kVokNoWindow);
  EXPECT_EQ(notifier_.Send(kNotifyCommand, 1, 0, true, 2000), kVokNoWindow);
}

TEST_F(NotifierTest, AFailedPostIsRetriedAloneSoTheClientNeverGetsADuplicate) {
  windows_.post_outcomes = {true, false, false, true};
  EXPECT_EQ(notifier_.Post(kNotifyResult, 5, 6, true), kVokOk);
  const std::vector<Delivered> expected = {{false, 1135, 5, 6}, {false, kWmApp + 111, 5, 6}};
  EXPECT_EQ(windows_.Snapshot(), expected);
  EXPECT_EQ(slept_ms_, 2u);
}

TEST_F(NotifierTest, PostRetriesAreBoundedAndReportWhenNothingGotThrough) {
  windows_.refused = {1135, kWmApp + 111};
  EXPECT_EQ(notifier_.Post(kNotifyResult, 5, 6, true), kVokInternalFailure);
  EXPECT_EQ(slept_ms_, static_cast<std::uint32_t>(CNotifier::kMaxPostRetries));
  EXPECT_TRUE(windows_.Snapshot().empty());
}

TEST_F(NotifierTest, RetriesStopWhenShutDownBegins) {
  windows_.refused = {1135};
  notifier_.SetStopping(true);
  EXPECT_EQ(notifier_.Post(kNotifyResult, 5, 6, true), kVokOk);  // the twin got through
  EXPECT_EQ(slept_ms_, 1u);
}

TEST_F(NotifierTest, SendStopsAtTheFirstRealAnswer) {
  windows_.send_answers = {std::uintptr_t{0}, std::uintptr_t{0}};
  EXPECT_EQ(notifier_.Send(kNotifyCommand, 3, 4, true, 2000), kVokOk);
  EXPECT_EQ(windows_.Snapshot().size(), 2u);
  EXPECT_EQ(slept_ms_, 0u);
}

TEST_F(NotifierTest, AnswerAgainResendsBothAfter50Ms) {
  windows_.send_answers = {kAnswerAgain, kAnswerAgain, std::uintptr_t{0}, std::uintptr_t{0}};
  EXPECT_EQ(notifier_.Send(kNotifyCommand, 3, 4, true, 2000), kVokOk);
  EXPECT_EQ(windows_.Snapshot().size(), 4u);
  EXPECT_EQ(slept_ms_, 50u);
}

TEST_F(NotifierTest, AnswerAgainForEverIsBounded) {
  for (int i = 0; i < 1000; ++i) windows_.send_answers.push_back(kAnswerAgain);
  EXPECT_EQ(notifier_.Send(kNotifyCommand, 3, 4, true, 2000), kVokOk);
  EXPECT_EQ(windows_.Snapshot().size(), 2u * CNotifier::kMaxResends);
}

TEST_F(NotifierTest, SendsThatAllFailGiveMinusOne) {
  windows_.send_answers = {std::nullopt, std::nullopt};
  EXPECT_EQ(notifier_.Send(kNotifyCommand, 3, 4, true, 2000), kVokInternalFailure);
}

TEST_F(NotifierTest, OneSidedSendFailureStillCounts) {
  windows_.send_answers = {std::nullopt, std::uintptr_t{0}};
  EXPECT_EQ(notifier_.Send(kNotifyContext, 3, 4, true, 2000), kVokOk);
  const std::vector<Delivered> expected = {{true, kWmApp + 113, 3, 4}};
  EXPECT_EQ(windows_.Snapshot(), expected);
}

TEST_F(NotifierTest, SendWithoutRetryGoesOnce) {
  windows_.send_answers = {kAnswerAgain};
  EXPECT_EQ(notifier_.Send(kNotifyAhead, 0, 0, false, 1000), kVokOk);
  EXPECT_EQ(windows_.Snapshot().size(), 1u);
}

}  // namespace
}  // namespace vok::api
