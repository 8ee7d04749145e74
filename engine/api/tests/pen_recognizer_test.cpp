#include "engine/api/pen_recognizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"
#include "engine/api/tests/library_on_tree.h"
#include "engine/api/tests/pen_tree.h"
#include "engine/api/tests/result_reading.h"
#include "engine/api/tests/scripted_windows.h"
#include "engine/api/vok_library.h"
#include "engine/core/hwr_gesture_model.h"

namespace vok::api {
namespace {

using testing::Delivered;
using testing::PenStrokes;
using testing::Read;
using testing::Record;
using testing::ScriptedWindows;

constexpr std::uint32_t kGestureRange = 8;
constexpr std::uint32_t kPunctuationRange = 128;
constexpr std::uint32_t kChineseRange = 6;

class PenRecognizerTest : public testing::LibraryOnTree {
 public:
  PenRecognizerTest() {
    testing::AddPenDialect(tree_, "China");
    testing::AddGestures(tree_, "ChinaMale");
  }

  void Start(std::uint32_t flags = kPenRecognizerFlag) {
    ASSERT_EQ(library_.InitializeEx(flags), kVokOk);
    ASSERT_EQ(library_.SetNotification(ScriptedWindows::kWindow), kVokOk);
  }

  void Write(const PenStrokes& strokes) {
    for (const auto& stroke : testing::ToWorkerPoints(strokes)) {
      ASSERT_EQ(library_.PRProcessStroke(static_cast<std::uint32_t>(stroke.size()), stroke.data()), kVokOk);
    }
  }

  std::vector<Delivered> Messages(std::uint32_t message) { return testing::Messages(windows_, message); }

  // The first `count` result pairs; fails when they do not come.
  std::vector<std::pair<Record, Record>> WaitForResults(std::size_t count) {
    std::vector<std::pair<Record, Record>> pairs;
    for (const Delivered& d : testing::WaitForMessages(windows_, kNotifyResult, count)) {
      pairs.emplace_back(Read(d.wparam), Read(static_cast<std::uintptr_t>(d.lparam)));
    }
    EXPECT_GE(pairs.size(), count);
    return pairs;
  }

  // One recognized input, as a fresh input of these strokes gives it.
  std::pair<Record, Record> RecognizeAlone(const PenStrokes& strokes) {
    const std::size_t before = Messages(kNotifyResult).size();
    Write(strokes);
    EXPECT_EQ(library_.PRRecognize(), kVokOk);
    return WaitForResults(before + 1).at(before);
  }

  const CPenRecognizer& pen() { return *library_.engine()->pen; }
};

TEST_F(PenRecognizerTest, WorkersNeedThePenRecognizer) {
  const std::uint32_t point = 0;
  vok::GestureTemplate record;
  const auto calls = [&] {
    return std::vector<VokStatus>{library_.PRProcessStroke(1, &point), library_.PRRecognize(),
                                  library_.PRClearStrokes(),           library_.AddGesture("a", 1, &point, 4),
                                  library_.RemoveGesture("a"),         library_.EnumGesture(0, &record)};
  };
  for (const VokStatus status : calls()) EXPECT_EQ(status, kVokNotStarted);
  Start(0);
  for (const VokStatus status : calls()) EXPECT_EQ(status, kVokNoPenOrKeyboardRecognizer);
}

TEST_F(PenRecognizerTest, StrokesWithoutPointsAreRefused) {
  Start();
  const std::uint32_t point = 0;
  EXPECT_EQ(library_.PRProcessStroke(1, nullptr), kVokBadArgument);
  EXPECT_EQ(library_.PRProcessStroke(0, &point), kVokBadArgument);
  EXPECT_EQ(library_.PRProcessStroke(CPenRecognizer::kMaxStrokePoints + 1, &point), kVokBadArgument);
  EXPECT_TRUE(Messages(kNotifyPenInput).empty());
  EXPECT_EQ(library_.GetNumPendingResults(), 0u);
  EXPECT_EQ(library_.PRRecognize(), kVokNoStrokes);
  EXPECT_TRUE(windows_.Snapshot().empty());
}

TEST_F(PenRecognizerTest, FirstStrokeOfAnInputLatchesTheParametersAndNumbersIt) {
  Start();
  const auto& record = *pen().system().hwr_engine()->record();
  ASSERT_EQ(library_.SetParam(0x2003, 0x21), kVokOk);
  ASSERT_EQ(library_.SetParam(0x2002, 0), kVokOk);
  Write({testing::CharacterStrokes()[0]});
  EXPECT_EQ(record.settings.range, 0x64);
  EXPECT_EQ(record.settings.writing_direction, 0);
  // Later changes wait for the next input.
  ASSERT_EQ(library_.SetParam(0x2003, kChineseRange), kVokOk);
  Write({testing::CharacterStrokes()[1]});
  EXPECT_EQ(record.settings.range, 0x64);
  EXPECT_EQ(library_.GetNumPendingResults(), 1u);
  ASSERT_EQ(library_.PRClearStrokes(), kVokOk);
  Write({testing::CharacterStrokes()[0]});
  EXPECT_EQ(record.settings.range, 0x3);

  const auto inputs = Messages(kNotifyPenInput);
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].lparam, 0);
  EXPECT_EQ(inputs[1].wparam, inputs[0].wparam + 1);
  EXPECT_EQ(Messages(TwinMessage(kNotifyPenInput)).size(), 2u);
}

TEST_F(PenRecognizerTest, CharactersAreQueuedAndAnsweredWithWordIds) {
  Start();
  for (const std::uint32_t segmenting : {0u, 1u}) {
    SCOPED_TRACE(segmenting);
    ASSERT_EQ(library_.SetParam(0x2001, segmenting), kVokOk);
    const auto [hypotheses, alternatives] = RecognizeAlone(testing::CharacterStrokes());
    EXPECT_EQ(hypotheses.kind, 0x241u);
    EXPECT_EQ(alternatives.kind, 0x221u);
    EXPECT_EQ(hypotheses.sequence, Messages(kNotifyPenInput).back().wparam);
    EXPECT_EQ(alternatives.sequence, hypotheses.sequence);
    EXPECT_EQ(hypotheses.second_word, 0xFFFFFFFFu);
    ASSERT_FALSE(hypotheses.ids.empty());
    EXPECT_LE(hypotheses.ids.size(), 200u);
    // One position per word of the best sentence, each led by that word.
    ASSERT_EQ(alternatives.ids.size(), hypotheses.ids[0].size());
    for (std::size_t p = 0; p < alternatives.ids.size(); ++p) {
      ASSERT_FALSE(alternatives.ids[p].empty());
      EXPECT_EQ(alternatives.ids[p][0], hypotheses.ids[0][p]);
    }
    if (segmenting == 0) {
      // One character: every hypothesis is one word, and the one position
      // lists them all (by score).
      std::vector<std::uint16_t> words;
      for (const auto& h : hypotheses.ids) {
        ASSERT_EQ(h.size(), 1u);
        words.push_back(h[0]);
      }
      std::vector<std::uint16_t> listed = alternatives.ids[0];
      std::sort(words.begin(), words.end());
      std::sort(listed.begin(), listed.end());
      EXPECT_EQ(listed, words);
    }
  }
  EXPECT_EQ(library_.GetNumPendingResults(), 0u);
}

TEST_F(PenRecognizerTest, TemplatesAreAnsweredAtOnceInTheCallersThread) {
  Start();
  const struct {
    const char* what;
    std::uint32_t range;
    const PenStrokes& strokes;
    std::uint32_t kind;  // 0: queued for the back end
    const char* text;
  } cases[] = {
      {"gesture", kChineseRange | kGestureRange, testing::GestureStrokes(), 0x1201, testing::kGestureName},
      {"punctuation", kChineseRange | kPunctuationRange, testing::CommaStrokes(), 0x10, testing::kCommaText},
      {"gesture outside the range", kChineseRange | kPunctuationRange, testing::GestureStrokes(), 0, nullptr},
      {"punctuation outside the range", kChineseRange | kGestureRange, testing::CommaStrokes(), 0, nullptr},
      {"four strokes", 0xFF, testing::CharacterStrokes(), 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(library_.SetParam(0x2003, c.range), kVokOk);
    const std::size_t before = Messages(kNotifyResult).size();
    Write(c.strokes);
    ASSERT_EQ(library_.PRRecognize(), kVokOk);
    if (c.kind == 0) {
      EXPECT_EQ(WaitForResults(before + 1).at(before).first.kind, 0x241u);
      continue;
    }
    const auto results = Messages(kNotifyResult);
    ASSERT_EQ(results.size(), before + 1);
    const Record text = Read(results.back().wparam);
    const Record empty = Read(static_cast<std::uintptr_t>(results.back().lparam));
    EXPECT_EQ(text.kind, c.kind);
    EXPECT_EQ(text.texts, std::vector<std::string>{c.text});
    EXPECT_EQ(text.sequence, Messages(kNotifyPenInput).back().wparam);
    EXPECT_EQ(empty.kind, c.kind);
    EXPECT_TRUE(empty.texts.empty());
    // The strokes went with the answer.
    EXPECT_EQ(library_.PRRecognize(), kVokNoStrokes);
  }
}

TEST_F(PenRecognizerTest, AQueuedRequestKeepsItsStrokesFromTheNextInput) {
  Start();
  const auto first_alone = RecognizeAlone(testing::CharacterStrokes());
  const auto second_alone = RecognizeAlone(testing::OtherCharacterStrokes());
  ASSERT_NE(first_alone.first.ids, second_alone.first.ids);

  // The next input's strokes come while the first request may still wait for
  // the delivery thread.
  Write(testing::CharacterStrokes());
  ASSERT_EQ(library_.PRRecognize(), kVokOk);
  Write(testing::OtherCharacterStrokes());
  ASSERT_EQ(library_.PRRecognize(), kVokOk);
  const auto results = WaitForResults(4);
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[2].first.ids, first_alone.first.ids);
  EXPECT_EQ(results[2].second.ids, first_alone.second.ids);
  EXPECT_EQ(results[3].first.ids, second_alone.first.ids);
  EXPECT_EQ(results[3].first.sequence, results[2].first.sequence + 1);
}

TEST_F(PenRecognizerTest, ShutDownWithAQueuedRequestFreesIt) {
  Start();
  Write(testing::CharacterStrokes());
  ASSERT_EQ(library_.PRRecognize(), kVokOk);
  library_.Destroy();
  // Whatever was posted before the queue stopped is the client's; nothing
  // else is left.
  EXPECT_EQ(library_.records().live_count(), Messages(kNotifyResult).size() * 2);
}

TEST_F(PenRecognizerTest, ClearingAnUnansweredInputAnswersItEmpty) {
  Start();
  ASSERT_EQ(library_.SetParam(0x2003, kChineseRange | kGestureRange), kVokOk);
  const struct {
    const char* what;
    std::function<void(PenRecognizerTest&)> before;
    bool answered_empty;
  } cases[] = {
      {"strokes held", [](PenRecognizerTest& t) { t.Write(testing::CharacterStrokes()); }, true},
      {"nothing held", [](PenRecognizerTest&) {}, false},
      {"gesture answered",
       [](PenRecognizerTest& t) {
         t.Write(testing::GestureStrokes());
         ASSERT_EQ(t.library_.PRRecognize(), kVokOk);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.before(*this);
    const std::size_t before = Messages(kNotifyResult).size();
    ASSERT_EQ(library_.PRClearStrokes(), kVokOk);
    const auto results = Messages(kNotifyResult);
    ASSERT_EQ(results.size(), before + (c.answered_empty ? 1 : 0));
    EXPECT_EQ(library_.GetNumPendingResults(), 0u);
    if (!c.answered_empty) continue;
    const Record hypotheses = Read(results.back().wparam);
    EXPECT_EQ(hypotheses.kind, 0x41u);
    EXPECT_TRUE(hypotheses.ids.empty());
    EXPECT_EQ(hypotheses.sequence, Messages(kNotifyPenInput).back().wparam);
    EXPECT_EQ(Read(static_cast<std::uintptr_t>(results.back().lparam)).kind, 0x21u);
  }
}

// A gesture's data as VOKAddGestureP takes it.
std::vector<std::uint32_t> GestureData(const PenStrokes& strokes) {
  std::vector<std::uint32_t> data;
  for (const auto& stroke : testing::ToWorkerPoints(strokes)) {
    data.push_back(static_cast<std::uint32_t>(stroke.size()));
    data.insert(data.end(), stroke.begin(), stroke.end());
  }
  return data;
}

TEST_F(PenRecognizerTest, GestureTemplatesAreAddedEnumeratedAndRemoved) {
  Start();
  vok::GestureTemplate record;
  ASSERT_EQ(library_.EnumGesture(0, &record), kVokOk);
  EXPECT_STREQ(record.name.data(), testing::kGestureName);
  EXPECT_EQ(record.strokes, 1);

  // A comma-shaped gesture of the user's own, recognized as such.
  const auto data = GestureData(testing::CommaStrokes());
  const auto bytes = static_cast<std::uint32_t>(data.size() * 4);
  ASSERT_EQ(library_.AddGesture("Tick", 1, data.data(), bytes), kVokOk);
  ASSERT_EQ(library_.EnumGesture(1, &record), kVokOk);
  EXPECT_STREQ(record.name.data(), "Tick");
  ASSERT_EQ(library_.SetParam(0x2003, kChineseRange | kGestureRange), kVokOk);
  Write(testing::CommaStrokes());
  ASSERT_EQ(library_.PRRecognize(), kVokOk);
  EXPECT_EQ(Read(Messages(kNotifyResult).back().wparam).texts, std::vector<std::string>{"Tick"});

  ASSERT_EQ(library_.RemoveGesture("Tick"), kVokOk);
  EXPECT_EQ(library_.EnumGesture(1, &record), kVokBadArgument);
  EXPECT_EQ(record.name[0], '\0');
  EXPECT_EQ(library_.EnumGesture(-1, &record), kVokBadArgument);
  EXPECT_EQ(library_.RemoveGesture("Tick"), kVokOutOfMemory);

  std::vector<std::uint32_t> longer = data;
  longer.push_back(0);
  const struct {
    const char* what;
    std::int32_t strokes;
    const void* data;
    std::uint32_t size;
  } refused[] = {
      {"no strokes", 0, data.data(), bytes},
      {"four strokes", 4, data.data(), bytes},
      {"no data", 1, nullptr, bytes},
      {"no size", 1, data.data(), 0},
      {"size short of the points", 1, data.data(), bytes - 4},
      {"bytes after the points", 1, longer.data(), bytes + 4},
      {"more strokes than given", 2, data.data(), bytes},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(library_.AddGesture("Bad", r.strokes, r.data, r.size), kVokBadArgument) << r.what;
  }
  EXPECT_EQ(library_.EnumGesture(1, &record), kVokBadArgument);
}

TEST_F(PenRecognizerTest, GestureWorkersWithoutAGestureModel) {
  std::filesystem::remove(tree_.Path("Users/ChinaMale/Gestures"));
  Start();
  const auto data = GestureData(testing::CommaStrokes());
  vok::GestureTemplate record;
  EXPECT_EQ(library_.AddGesture("Tick", 1, data.data(), static_cast<std::uint32_t>(data.size() * 4)),
            kVokNotStarted);
  EXPECT_EQ(library_.RemoveGesture("Return"), kVokNotStarted);
  EXPECT_EQ(library_.EnumGesture(0, &record), kVokBadArgument);
  // Recognition goes on without gestures.
  ASSERT_EQ(library_.SetParam(0x2003, kChineseRange | kGestureRange), kVokOk);
  EXPECT_EQ(RecognizeAlone(testing::GestureStrokes()).first.kind, 0x241u);
}

}  // namespace
}  // namespace vok::api
