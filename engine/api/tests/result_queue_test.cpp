#include "engine/api/result_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <stdexcept>
#include <thread>

#include "engine/api/tests/scripted_windows.h"

namespace vok::api {
namespace {

using testing::ScriptedWindows;

// A controller whose answer the test scripts; it can hold the delivery
// thread inside Recognize until released.
class ScriptedOwner : public CRecognizer {
 public:
  enum class Answer { kText, kNothing, kThrow };

  ScriptedOwner(ResultRecords& records, std::uint32_t kind) : CRecognizer(kind), records_(records) {}

  void Recognize(VokRequest& request) override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      order.push_back(request.sequence);
      released_signal_.wait(lock, [this] { return !held_; });
    }
    if (answer == Answer::kThrow) {
      SetResults(records_.MakeText(0x10, request.sequence, 0, {"lost"}), nullptr);
      throw std::runtime_error("recognizer failed");
    }
    if (answer == Answer::kText) {
      SetResults(records_.MakeText(0x211, request.sequence, 0xFFFFFFFF, {"t"}),
                 records_.MakeWordIds(0x221, request.sequence, 0xFFFFFFFF, {}));
    }
  }
  void FreeRequest(VokRequest* request) override {
    ++freed;
    delete request;
  }

  void Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      held_ = false;
    }
    released_signal_.notify_all();
  }
  std::vector<std::uint32_t> Order() {
    std::lock_guard<std::mutex> lock(mutex_);
    return order;
  }

  Answer answer = Answer::kText;
  std::atomic<int> freed{0};
  std::vector<std::uint32_t> order;

 private:
  ResultRecords& records_;
  std::mutex mutex_;
  std::condition_variable released_signal_;
  bool held_ = false;
};

VokRequest* Request(CRecognizer* owner, std::uint32_t priority, std::uint32_t sequence,
                    std::uint8_t option = 1) {
  auto* request = new VokRequest;
  request->owner = owner;
  request->kind = owner->kind();
  request->priority = priority;
  request->sequence = sequence;
  request->option = option;
  return request;
}

class ResultQueueTest : public ::testing::Test {
 protected:
  ResultQueueTest() : notifier_(windows_, [](std::uint32_t) {}) {
    notifier_.SetWindow(ScriptedWindows::kWindow);
  }

  // Waits until `count` results were posted (two messages each).
  bool WaitForResults(std::size_t count) {
    for (int i = 0; i < 2000; ++i) {
      if (windows_.Snapshot().size() >= 2 * count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  std::vector<std::uint32_t> PostedSequences() {
    std::vector<std::uint32_t> sequences;
    for (const auto& d : windows_.Snapshot()) {
      if (d.message == kNotifyResult) sequences.push_back(reinterpret_cast<VokResult*>(d.wparam)->sequence);
    }
    return sequences;
  }

  ScriptedWindows windows_;
  CNotifier notifier_;
  ResultRecords records_;
};

TEST_F(ResultQueueTest, DeliversByPriorityThenArrivalThenKind) {
  ScriptedOwner speech(records_, kSpeechKind), pen(records_, kPenKind), keys(records_, kKeyboardKind);
  CResultQueue queue(notifier_, records_);
  queue.Insert(Request(&pen, kPenPriority, 1));
  queue.Insert(Request(&keys, kKeyConversionPriority, 2));
  queue.Insert(Request(&pen, kPenPriority, 3));
  queue.Insert(Request(&speech, kSpeechPriority, 4));
  queue.Insert(Request(&keys, kPenPriority, 5));  // ties with the pen: the lower kind goes first
  EXPECT_EQ(queue.pending_count(), 5u);
  ASSERT_TRUE(queue.Start());
  ASSERT_TRUE(WaitForResults(5));
  EXPECT_EQ(PostedSequences(), (std::vector<std::uint32_t>{4, 5, 1, 3, 2}));
  queue.Stop();
  EXPECT_EQ(pen.freed + keys.freed + speech.freed, 5);
}

TEST_F(ResultQueueTest, APerKeyRequestIsReplacedByTheNextKeyboardRequest) {
  ScriptedOwner keys(records_, kKeyboardKind);
  CResultQueue queue(notifier_, records_);
  queue.Insert(Request(&keys, kPerKeyPriority, 1, 0));
  queue.Insert(Request(&keys, kPerKeyPriority, 2, 0));
  EXPECT_EQ(queue.pending_count(), 1u);
  EXPECT_EQ(keys.freed, 1);
  // The conversion request reaches the per-key request first: it takes its place.
  queue.Insert(Request(&keys, kKeyConversionPriority, 3));
  EXPECT_EQ(queue.pending_count(), 1u);
  EXPECT_EQ(keys.freed, 2);
  queue.Insert(Request(&keys, kPerKeyPriority, 4, 0));
  EXPECT_EQ(queue.pending_count(), 2u);
  ASSERT_TRUE(queue.Start());
  ASSERT_TRUE(WaitForResults(2));
  EXPECT_EQ(PostedSequences(), (std::vector<std::uint32_t>{3, 4}));
}

TEST_F(ResultQueueTest, FailedOrEmptyRecognitionStillAnswersWithTheEmptyPair) {
  for (const auto answer : {ScriptedOwner::Answer::kNothing, ScriptedOwner::Answer::kThrow}) {
    windows_.delivered.clear();
    ScriptedOwner pen(records_, kPenKind);
    pen.answer = answer;
    CResultQueue queue(notifier_, records_);
    ASSERT_TRUE(queue.Start());
    queue.Insert(Request(&pen, kPenPriority, 9));
    ASSERT_TRUE(WaitForResults(1));
    const auto delivered = windows_.Snapshot();
    ASSERT_EQ(delivered.size(), 2u);
    auto* first = reinterpret_cast<VokResult*>(delivered[0].wparam);
    auto* second = reinterpret_cast<VokResult*>(delivered[0].lparam);
    EXPECT_EQ(first->kind, 0x41u);
    EXPECT_EQ(second->kind, 0x21u);
    EXPECT_EQ(first->count, 0u);
    EXPECT_EQ(first->sequence, 9u);
    EXPECT_EQ(first->second_word, 0xFFFFFFFFu);
    queue.Stop();
    EXPECT_EQ(records_.live_count(), 2u);  // only the pair; what a throwing recognizer made is freed
    records_.Delete(first);
    records_.Delete(second);
  }
}

TEST_F(ResultQueueTest, WithoutAWindowTheEngineFreesTheResults) {
  notifier_.SetWindow(0);
  ScriptedOwner pen(records_, kPenKind);
  CResultQueue queue(notifier_, records_);
  ASSERT_TRUE(queue.Start());
  queue.Insert(Request(&pen, kPenPriority, 1));
  queue.Insert(Request(&pen, kPenPriority, 2));
  for (int i = 0; i < 2000 && pen.freed < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  queue.Stop();
  EXPECT_EQ(pen.freed, 2);
  EXPECT_EQ(records_.live_count(), 0u);
}

TEST_F(ResultQueueTest, ClearRacingInsertsLeavesTheThreadServing) {
  ScriptedOwner pen(records_, kPenKind);
  CResultQueue queue(notifier_, records_);
  ASSERT_TRUE(queue.Start());
  std::thread clearer([&] {
    for (int i = 0; i < 500; ++i) queue.Clear();
  });
  for (std::uint32_t i = 0; i < 500; ++i) queue.Insert(Request(&pen, kPenPriority, i));
  clearer.join();
  queue.Insert(Request(&pen, kPenPriority, 1000));
  bool delivered = false;
  for (int i = 0; i < 2000 && !delivered; ++i) {
    const auto sequences = PostedSequences();
    delivered = !sequences.empty() && sequences.back() == 1000u;
    if (!delivered) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(delivered);
  queue.Stop();
  EXPECT_EQ(pen.freed, 501);
}

TEST_F(ResultQueueTest, StopFreesPendingRequestsThroughTheirOwnerUnprocessed) {
  ScriptedOwner pen(records_, kPenKind);
  CResultQueue queue(notifier_, records_);
  queue.Insert(Request(&pen, kPenPriority, 1));
  queue.Insert(Request(&pen, kSpeechPriority, 2));
  queue.Stop();
  EXPECT_TRUE(pen.Order().empty());
  EXPECT_EQ(pen.freed, 2);
  EXPECT_EQ(queue.pending_count(), 0u);
}

TEST_F(ResultQueueTest, StopEndsAnIdleDeliveryThread) {
  CResultQueue queue(notifier_, records_);
  ASSERT_TRUE(queue.Start());
  queue.Stop();
  EXPECT_FALSE(queue.busy());
}

}  // namespace
}  // namespace vok::api
