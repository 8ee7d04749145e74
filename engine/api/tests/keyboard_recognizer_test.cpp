#include "engine/api/keyboard_recognizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/api/tests/library_on_tree.h"
#include "engine/api/tests/result_reading.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/vok_library.h"

namespace vok::api {
namespace {

using testing::Delivered;
using testing::Read;
using testing::Record;
using testing::ScriptedWindows;

constexpr std::uint32_t kContextParameter = 0x3000;
constexpr std::uint32_t kConversionParameter = 0x3001;
constexpr std::uint32_t kPerKeyParameter = 0x3002;
constexpr std::uint32_t kBackspace = 8;
// The records of a keyboard result: flagged (a VOKKRRecognizeP request) or
// not (a per-key one), converted or typed.
constexpr std::uint32_t kConverted = 0x400;
constexpr std::uint32_t kTyped = 0x800;
// Word ids of the tree's lexicon.
constexpr std::uint16_t kZhongGuo = 6;

class KeyboardRecognizerTest : public testing::LibraryOnTree {
 public:
  KeyboardRecognizerTest() { testing::WriteKeyboardMap(tree_.Path("Data")); }

  void Start(std::uint32_t flags = kKeyboardRecognizerFlag) {
    ASSERT_EQ(library_.InitializeEx(flags), kVokOk);
    ASSERT_EQ(library_.SetNotification(ScriptedWindows::kWindow), kVokOk);
  }

  void Type(const std::string& keys) {
    for (const char key : keys)
      ASSERT_EQ(library_.KRProcessKey(static_cast<std::uint8_t>(key)), kVokOk) << key;
  }

  std::string KeyText() {
    char buffer[KeyBuffer::kMaxTextBytes + 1];
    EXPECT_EQ(library_.KRGetKeyBuffer(sizeof buffer, buffer), kVokOk);
    return buffer;
  }

  std::vector<Delivered> Messages(std::uint32_t message) { return testing::Messages(windows_, message); }

  // Result pair number `n` (0 first) once it came.
  std::pair<Record, Record> Result(std::size_t n) {
    const auto results = testing::WaitForMessages(windows_, kNotifyResult, n + 1);
    if (results.size() <= n) {
      ADD_FAILURE() << "result " << n << " did not come";
      return {};
    }
    const Delivered& d = results[n];
    return {Read(d.wparam), d.lparam != 0 ? Read(static_cast<std::uintptr_t>(d.lparam)) : Record{}};
  }

  CKeyboardRecognizer& keyboard() { return *library_.engine()->keyboard; }

  // Types "z" and runs `meanwhile` while the delivery thread holds its
  // per-key request, waiting for the language models.
  template <typename Meanwhile>
  void WhileTheFirstKeyWaits(Meanwhile meanwhile) {
    std::unique_lock<std::mutex> busy(library_.engine()->language_mutex);
    Type("z");
    CResultQueue& queue = *library_.engine()->queue;
    while (!(queue.busy() && queue.pending_count() == 0)) std::this_thread::yield();
    meanwhile(queue);
  }

  void WaitUntilIdle() {
    CResultQueue& queue = *library_.engine()->queue;
    while (queue.busy() || queue.pending_count() > 0) std::this_thread::yield();
  }
};

TEST_F(KeyboardRecognizerTest, WorkersNeedTheKeyboardRecognizer) {
  char buffer[8];
  std::uint32_t value = 0;
  const auto calls = [&] {
    return std::vector<VokStatus>{library_.KRProcessKey('a'), library_.KRProcessKeySet("ab"),
                                  library_.KRRecognize(), library_.KRClearKeys(),
                                  library_.KRGetKeyBuffer(8, buffer)};
  };
  for (const VokStatus status : calls()) EXPECT_EQ(status, kVokNotStarted);
  Start(0);
  for (const VokStatus status : calls()) EXPECT_EQ(status, kVokNoPenOrKeyboardRecognizer);
  EXPECT_EQ(library_.GetParam(kConversionParameter, &value), kVokNoPenOrKeyboardRecognizer);
  library_.Destroy();
  Start();
  EXPECT_EQ(library_.GetParam(kConversionParameter, &value), kVokOk);
  EXPECT_EQ(value, 1u);
}

// One call on the key buffer: a key (ProcessKey) or a key set.
using KeyStep = std::variant<std::uint32_t, std::string>;
constexpr std::uint32_t B = 'b';
constexpr std::uint32_t A = 'a';

TEST_F(KeyboardRecognizerTest, KeyBufferTable) {
  struct Case {
    const char* name;
    std::vector<KeyStep> steps;
    std::vector<VokStatus> statuses;
    std::string text;
  };
  const std::string nineteen(19, 'a');
  const Case cases[] = {
      {"backspace on empty", {kBackspace}, {kVokKeyRefused}, ""},
      {"backspace removes the last key", {B, A, kBackspace}, {kVokOk, kVokOk, kVokOk}, "b"},
      {"a set is one position", {B, std::string("ai"), kBackspace}, {kVokOk, kVokOk, kVokOk}, "b"},
      {"backspace past the first key", {B, kBackspace, kBackspace}, {kVokOk, kVokOk, kVokKeyRefused}, ""},
      {"19 alternatives", {nineteen}, {kVokOk}, nineteen},
      {"20 alternatives", {B, nineteen + "b"}, {kVokOk, kVokKeyRefused}, "b"},
      {"an empty set", {std::string(), 0u}, {kVokKeyRefused, kVokKeyRefused}, ""},
      {"only the low byte counts", {0x161u}, {kVokOk}, "a"},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(library_.KRClearKeys(), kVokOk);
    std::vector<VokStatus> statuses;
    for (const KeyStep& step : c.steps) {
      statuses.push_back(std::holds_alternative<std::uint32_t>(step)
                             ? library_.KRProcessKey(std::get<std::uint32_t>(step))
                             : library_.KRProcessKeySet(std::get<std::string>(step).c_str()));
    }
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(KeyText(), c.text);
  }
  EXPECT_EQ(library_.KRProcessKeySet(nullptr), kVokBadArgument);
}

TEST_F(KeyboardRecognizerTest, TheBufferKeepsItsLast511Bytes) {
  Start();
  Type(std::string(KeyBuffer::kMaxTextBytes - 1, 'a'));
  EXPECT_EQ(library_.KRProcessKeySet("bc"), kVokKeyRefused);  // would pass 511
  EXPECT_EQ(keyboard().failing_position(), 510);
  EXPECT_EQ(library_.KRProcessKey('b'), kVokOk);
  EXPECT_EQ(keyboard().failing_position(), -1);
  EXPECT_EQ(library_.KRProcessKey('c'), kVokKeyRefused);  // the 512th byte
  const std::string expected = std::string(KeyBuffer::kMaxTextBytes - 1, 'a') + "b";
  EXPECT_EQ(KeyText(), expected);

  // The caller's buffer must hold the text and its zero.
  std::vector<char> buffer(KeyBuffer::kMaxTextBytes, 'x');
  EXPECT_EQ(library_.KRGetKeyBuffer(static_cast<std::uint32_t>(buffer.size()), buffer.data()),
            kVokBadArgument);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(library_.KRGetKeyBuffer(0, buffer.data()), kVokBadArgument);
  EXPECT_EQ(library_.KRGetKeyBuffer(16, nullptr), kVokBadArgument);
}

TEST_F(KeyboardRecognizerTest, FirstKeyOfAnInputLatchesTheParametersAndNumbersIt) {
  Start();
  Type("ba");
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  ASSERT_EQ(library_.SetParam(kConversionParameter, 0), kVokOk);
  Type("m");
  // Latched at the first key: the second input stays plain.
  ASSERT_EQ(library_.SetParam(kConversionParameter, 1), kVokOk);
  Type("a");
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  EXPECT_EQ(Messages(kNotifyKeyInputConverting),
            (std::vector<Delivered>{{false, kNotifyKeyInputConverting, 1, 0}}));
  EXPECT_EQ(Messages(kNotifyKeyInputPlain), (std::vector<Delivered>{{false, kNotifyKeyInputPlain, 2, 0}}));
  EXPECT_EQ(Result(0).first.sequence, 1u);
  EXPECT_EQ(Result(1).first, (Record{kKindText | kKindFlagged | kTyped, 2, 0xFFFFFFFFu, {}, {"ma"}}));
}

TEST_F(KeyboardRecognizerTest, WithoutConversionTheKeysComeBackAsTyped) {
  Start();
  ASSERT_EQ(library_.SetParam(kConversionParameter, 0), kVokOk);
  Type("b");
  ASSERT_EQ(library_.KRProcessKeySet("ai"), kVokOk);
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  EXPECT_EQ(KeyText(), "");
  const auto [text, second] = Result(0);
  EXPECT_EQ(text, (Record{kKindText | kKindFlagged | kTyped, 1, 0xFFFFFFFFu, {}, {"bai"}}));
  EXPECT_EQ(Messages(kNotifyResult)[0].lparam, 0);
  // An input backspaced to nothing is still answered: with an empty record.
  Type("b");
  ASSERT_EQ(library_.KRProcessKey(kBackspace), kVokOk);
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  EXPECT_EQ(Result(1).first, (Record{kKindText | kKindFlagged | kTyped, 2, 0xFFFFFFFFu, {}, {}}));
  EXPECT_EQ(library_.KRRecognize(), kVokNoKeys);
}

TEST_F(KeyboardRecognizerTest, ConversionAnswersWithWordIdRecords) {
  for (const std::uint32_t context : {0u, 1u}) {
    SCOPED_TRACE(context);
    windows_.delivered.clear();
    Start();
    ASSERT_EQ(library_.SetParam(kContextParameter, context), kVokOk);
    Type("zhongguo");
    ASSERT_EQ(library_.KRRecognize(), kVokOk);
    const auto [hypotheses, alternatives] = Result(0);
    EXPECT_EQ(hypotheses.kind, kKindWordIdHypotheses | kKindFlagged | kConverted);
    EXPECT_EQ(alternatives.kind, kKindWordIdAlternatives | kKindFlagged | kConverted);
    EXPECT_EQ(hypotheses.second_word, 0xFFFFFFFFu);
    ASSERT_FALSE(hypotheses.ids.empty());
    EXPECT_EQ(hypotheses.ids[0], std::vector<std::uint16_t>{kZhongGuo});
    ASSERT_EQ(alternatives.ids.size(), 1u);
    EXPECT_EQ(alternatives.ids[0][0], kZhongGuo);
    // The client is asked for context only with the switch on, before the
    // result.
    const auto snapshot = windows_.Snapshot();
    std::vector<std::uint32_t> order;
    for (const Delivered& d : snapshot) {
      if (d.message == kNotifyContext || d.message == kNotifyResult) order.push_back(d.message);
    }
    EXPECT_EQ(order, context != 0 ? (std::vector<std::uint32_t>{kNotifyContext, kNotifyResult})
                                  : std::vector<std::uint32_t>{kNotifyResult});
    library_.Destroy();
  }
}

TEST_F(KeyboardRecognizerTest, AnInputBackspacedToNothingConvertsToNothing) {
  Start();
  Type("z");
  ASSERT_EQ(library_.KRProcessKey(kBackspace), kVokOk);
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  const auto [hypotheses, alternatives] = Result(0);
  EXPECT_EQ(hypotheses.kind, kKindWordIdHypotheses | kKindFlagged | kConverted);
  EXPECT_EQ(hypotheses.sequence, 1u);
  EXPECT_TRUE(hypotheses.ids.empty());
  EXPECT_TRUE(alternatives.ids.empty());
}

TEST_F(KeyboardRecognizerTest, BeamAndListLengthFollowTheKeyText) {
  struct Case {
    const char* keys;
    int beam;
    int choices;
  };
  const Case cases[] = {{"b", 500, 120}, {"ba1", 500, 120}, {"ba", 400, 30}, {"zhongguo", 400, 30}};
  Start();
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    SCOPED_TRACE(cases[n].keys);
    Type(cases[n].keys);
    ASSERT_EQ(library_.KRRecognize(), kVokOk);
    Result(n);
    EXPECT_EQ(keyboard().system().stack_search_beam(), cases[n].beam);
    EXPECT_EQ(keyboard().system().n_best_choices(), cases[n].choices);
  }
}

// A key the keyboard map does not know stops the conversion at the byte
// offset of its position: notification 120 for a per-key request, the empty
// records for the client's request.
TEST_F(KeyboardRecognizerTest, AnUnknownKeyRefusesTheRequestAtItsOffset) {
  Start();
  ASSERT_EQ(library_.SetParam(kPerKeyParameter, 1), kVokOk);
  Type("x");
  const auto refused = testing::WaitForMessages(windows_, kNotifyKeyRefused, 1);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0], (Delivered{false, kNotifyKeyRefused, kVokKeyRefused, 0}));
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  EXPECT_EQ(Result(0).first, (Record{kKindWordIdHypotheses | kKindFlagged | kConverted, 1, 0, {}, {}}));
  // The refused per-key request had no result pair of its own.
  EXPECT_EQ(Messages(kNotifyResult).size(), 1u);

  // The offset is the refused position's first byte, after a set.
  ASSERT_EQ(library_.SetParam(kPerKeyParameter, 0), kVokOk);
  Type("b");
  ASSERT_EQ(library_.KRProcessKeySet("ao"), kVokOk);
  Type("xma");
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  const auto [hypotheses, alternatives] = Result(1);
  EXPECT_EQ(hypotheses, (Record{kKindWordIdHypotheses | kKindFlagged | kConverted, 2, 3, {}, {}}));
  EXPECT_EQ(alternatives, (Record{kKindWordIdAlternatives | kKindFlagged | kConverted, 2, 3, {}, {}}));
  EXPECT_EQ(Messages(kNotifyKeyRefused).size(), 1u);
}

TEST_F(KeyboardRecognizerTest, APerKeyRequestStillWaitingIsReplacedByTheNext) {
  Start();
  ASSERT_EQ(library_.SetParam(kPerKeyParameter, 1), kVokOk);
  WhileTheFirstKeyWaits([&](CResultQueue& queue) {
    Type("ho");
    EXPECT_EQ(queue.pending_count(), 1u);
    ASSERT_EQ(library_.KRRecognize(), kVokOk);
    EXPECT_EQ(queue.pending_count(), 1u);
  });
  EXPECT_EQ(Result(0).first.kind, kKindWordIdHypotheses | kConverted);
  EXPECT_EQ(Result(1).first.kind, kKindWordIdHypotheses | kKindFlagged | kConverted);
  // Nothing else comes once the delivery thread is idle.
  WaitUntilIdle();
  EXPECT_EQ(Messages(kNotifyResult).size(), 2u);
}

// A clear answers the input with the empty pair; per-key conversions of that
// input, the one running and the one waiting, hand out nothing after it.
TEST_F(KeyboardRecognizerTest, PerKeyRequestsOfAClearedInputStaySilent) {
  Start();
  ASSERT_EQ(library_.SetParam(kPerKeyParameter, 1), kVokOk);
  WhileTheFirstKeyWaits([&](CResultQueue&) {
    Type("ho");
    ASSERT_EQ(library_.KRClearKeys(), kVokOk);
  });
  WaitUntilIdle();
  const auto results = Messages(kNotifyResult);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Read(results[0].wparam), (Record{kKindWordIdHypotheses | kKindFlagged, 1, 0xFFFFFFFFu, {}, {}}));

  // The next input is converted as before.
  ASSERT_EQ(library_.SetParam(kPerKeyParameter, 0), kVokOk);
  Type("zhongguo");
  ASSERT_EQ(library_.KRRecognize(), kVokOk);
  EXPECT_EQ(Result(1).first.kind, kKindWordIdHypotheses | kKindFlagged | kConverted);
}

TEST_F(KeyboardRecognizerTest, ClearingAnUnansweredInputAnswersItEmpty) {
  Start();
  EXPECT_EQ(library_.GetNumPendingResults(), 0u);
  Type("ba");
  EXPECT_EQ(library_.GetNumPendingResults(), 1u);
  ASSERT_EQ(library_.KRClearKeys(), kVokOk);
  ASSERT_EQ(library_.KRClearKeys(), kVokOk);  // nothing held: no answer
  const auto [hypotheses, alternatives] = Result(0);
  EXPECT_EQ(hypotheses, (Record{kKindWordIdHypotheses | kKindFlagged, 1, 0xFFFFFFFFu, {}, {}}));
  EXPECT_EQ(alternatives, (Record{kKindWordIdAlternatives | kKindFlagged, 1, 0xFFFFFFFFu, {}, {}}));
  EXPECT_EQ(library_.KRRecognize(), kVokNoKeys);

  // Clearing the pending results drops the keys without an answer.
  Type("ma");
  ASSERT_EQ(library_.ClearPendingResults(), kVokOk);
  EXPECT_EQ(KeyText(), "");
  EXPECT_EQ(library_.GetNumPendingResults(), 0u);
  ASSERT_EQ(library_.KRClearKeys(), kVokOk);
  EXPECT_EQ(Messages(kNotifyResult).size(), 1u);
}

}  // namespace
}  // namespace vok::api
