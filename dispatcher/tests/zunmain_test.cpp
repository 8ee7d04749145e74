#include "dispatcher/zunmain.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <string>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/tests/fake_modules.h"
#include "tests/support/temporary_directory.h"

namespace {

using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;
using wrendle::Zunmain;

std::vector<StrokeEntry> Strokes(int count) {
  StrokeListBuilder builder;
  for (int i = 0; i < count; ++i) builder.AddStroke({{10 * i, 20}, {10 * i + 5, 40}, {10 * i + 9, 60}});
  return builder.Build();
}

// Candidate arrays start filled with a marker so that writes show.
using Candidates = std::array<std::uint16_t, 11>;
Candidates Fresh() {
  Candidates c;
  c.fill(0xEEEE);
  return c;
}

class ZunmainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetModuleSearchDirectory(fakes::Folder("full").string());
    profiles_ = platform::MakeIniFileProfileStore(directory_.path().string());
    ASSERT_TRUE(kernel_ && big5_kernel_ && gesture_ && engine_);
    const std::uint16_t codes[] = {0xA1B0, 0xA2B0, 0xA3B0};
    kernel_.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 3, codes, 3);
    big5_kernel_.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 3, codes, 3);
    gesture_.Entry<fakes::GestureResetFn>("FakeGestureReset")(0);
    engine_.Entry<fakes::EngineResetFn>("FakeEngineReset")(0, 0);
  }
  void TearDown() override { platform::SetModuleSearchDirectory(""); }

  std::unique_ptr<Zunmain> MakeZunmain() {
    return std::make_unique<Zunmain>(*profiles_, fakes::Folder("windows").string());
  }
  const fakes::KernelLog& KernelLog() const {
    return *kernel_.Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")();
  }
  const fakes::EngineLog& EngineLog() const {
    return *engine_.Entry<fakes::EngineGetLogFn>("FakeEngineGetLog")();
  }
  void SetGesture(int code) const { gesture_.Entry<fakes::GestureResetFn>("FakeGestureReset")(code); }
  int GestureCalls() const { return gesture_.Entry<fakes::GestureCallsFn>("FakeGestureCalls")(); }
  // Words of the engine's next result, each of one character.
  void QueueEngineWords(const std::vector<std::string>& words) const {
    std::string packed;
    for (const auto& word : words) packed += word + '\0';
    engine_.Entry<fakes::EngineQueueResultFn>("FakeEngineQueueResult")(packed.data(),
                                                                       static_cast<int>(words.size()));
  }

  testing_support::TemporaryDirectory directory_;
  std::unique_ptr<platform::ProfileStore> profiles_;
  fakes::Module kernel_{"full", "SZUN32.DLL"};
  fakes::Module big5_kernel_{"full", "BZUN32.DLL"};
  fakes::Module gesture_{"full", "tarnig.dll"};
  fakes::Module engine_{"windows", "VOK-P.DLL"};
};

struct InitCase {
  int language;
  int mode;
  int expected;
  friend void PrintTo(const InitCase& c, std::ostream* os) {
    *os << c.language << ' ' << c.mode << ' ' << c.expected;
  }
};

class ZunmainInitTest : public ZunmainTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(ZunmainInitTest, BuildsOnlyKnownLanguagesAndModes) {
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->InitRecognition(GetParam().language, GetParam().mode), GetParam().expected);
  EXPECT_EQ(zunmain->has_recognizer(), GetParam().expected == 1);
}

INSTANTIATE_TEST_SUITE_P(Requests, ZunmainInitTest,
                         ::testing::Values(InitCase{4000, 0, 1}, InitCase{2000, 0, 1}, InitCase{4000, 1, 1},
                                           InitCase{2000, 2, 1}, InitCase{1000, 0, 0}, InitCase{3000, 2, 0},
                                           InitCase{4000, 3, 0}, InitCase{4000, -1, 0}));

TEST_F(ZunmainTest, SameRequestKeepsKernelButEngineIsRebuilt) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  EXPECT_EQ(KernelLog().init_calls, 1);

  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  EXPECT_EQ(KernelLog().free_calls, 1);
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  EXPECT_EQ(EngineLog().init_calls, 2);
  EXPECT_EQ(EngineLog().destroy_calls, 1);
}

TEST_F(ZunmainTest, KernelThatBuildsNothingLeavesNoRecognizer) {
  const std::uint16_t none[] = {0};
  kernel_.Entry<fakes::KernelResetFn>("FakeKernelReset")(0, 0, none, 0);
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->InitRecognition(4000, 0), 0);
  EXPECT_FALSE(zunmain->has_recognizer());
}

TEST_F(ZunmainTest, KernelRecognitionPassesStrokesAndCandidates) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  const auto strokes = Strokes(2);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 3);
  EXPECT_EQ(out[0], 0xA1B0);
  EXPECT_EQ(out[2], 0xA3B0);
  EXPECT_EQ(KernelLog().last_stroke_count, 2);
  EXPECT_EQ(GestureCalls(), 1);
}

TEST_F(ZunmainTest, LearnCodeSkipsGesturesAndReachesKernel) {
  SetGesture(12);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  zunmain->Recognition(strokes.data(), out.data(), 0xB0A1);
  EXPECT_EQ(KernelLog().last_learn_code, 0xB0A1);
  EXPECT_EQ(GestureCalls(), 0);
}

struct GestureCase {
  int language;
  int gesture;
  int expected_result;
  std::uint16_t expected_code;  // 0xEEEE: not written
  friend void PrintTo(const GestureCase& c, std::ostream* os) {
    *os << c.language << ' ' << c.gesture << ' ' << c.expected_result << ' ' << c.expected_code;
  }
};

class ZunmainGestureTest : public ZunmainTest, public ::testing::WithParamInterface<GestureCase> {};

TEST_P(ZunmainGestureTest, MapsShapesAndPassesEditingGestures) {
  SetGesture(GetParam().gesture);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(GetParam().language, 0), 1);
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), GetParam().expected_result);
  EXPECT_EQ(out[0], GetParam().expected_code);
  EXPECT_EQ(KernelLog().recognize_calls, 0);
}

INSTANTIATE_TEST_SUITE_P(Gestures, ZunmainGestureTest,
                         ::testing::Values(GestureCase{4000, 'X', 1, 0xBBD2},
                                           GestureCase{2000, 'X', 1, 0x40A4}, GestureCase{4000, '1', 1, '1'},
                                           GestureCase{2000, '8', 1, '8'}, GestureCase{4000, '9', 1, '9'},
                                           GestureCase{2000, 'i', 1, 'i'}, GestureCase{4000, 11, 11, 0xEEEE},
                                           GestureCase{2000, 28, 28, 0xEEEE}));

TEST_F(ZunmainTest, NoGestureRangeFlagRunsCharacterRecognition) {
  SetGesture(12);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  zunmain->SetRange(wrendle::kRangeChinese | wrendle::kRangeNoGestures);
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 3);
  EXPECT_EQ(GestureCalls(), 0);
}

TEST_F(ZunmainTest, KernelRangeLosesBig5ExtraBit) {
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->SetRange(9), 9);  // no recognizer: stored as given
  EXPECT_EQ(zunmain->state().range_flags, 9);
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  EXPECT_EQ(zunmain->SetRange(0x8009), 0x8001);
  EXPECT_EQ(KernelLog().last_range, 0x8001);
  EXPECT_EQ(zunmain->state().range_flags, 0x8001);
}

TEST_F(ZunmainTest, WithoutRecognizerOnlyTheRawGestureComesBack) {
  SetGesture('X');
  auto zunmain = MakeZunmain();
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 'X');
  EXPECT_EQ(out[0], 0xEEEE);
  EXPECT_EQ(zunmain->AttachLearn("a", "b", "c", nullptr), 0);
}

TEST_F(ZunmainTest, AttachLearnReachesKernel) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  EXPECT_EQ(zunmain->AttachLearn("DBS0001.DBS", "SEGM0001.DBS", "INK0001.DBS", nullptr), 1);
  EXPECT_STREQ(KernelLog().attach_names[0], "DBS0001.DBS");
  EXPECT_STREQ(KernelLog().attach_names[2], "INK0001.DBS");
  EXPECT_STREQ(KernelLog().attach_names[3], "(null)");
}

TEST_F(ZunmainTest, GestureFlagAndQuery) {
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->IsGesture(1), 1);
  EXPECT_EQ(zunmain->IsGesture(0), 0);
  EXPECT_EQ(zunmain->IsGesture(2), 0);
  EXPECT_EQ(zunmain->SetRecognizeGesture(0), 1);
  EXPECT_EQ(zunmain->SetRecognizeGesture(5), 0);
}

struct BadListCase {
  const char* name;
  std::vector<StrokeEntry> list;
  friend void PrintTo(const BadListCase& c, std::ostream* os) { *os << c.name; }
};

class ZunmainBadListTest : public ZunmainTest, public ::testing::WithParamInterface<BadListCase> {};

TEST_P(ZunmainBadListTest, GivesNoCandidateAndCallsNothing) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  Candidates out = Fresh();
  // The list sits at the end of its own allocation, so a read past it shows.
  auto buffer = std::make_unique<StrokeEntry[]>(GetParam().list.size());
  std::copy(GetParam().list.begin(), GetParam().list.end(), buffer.get());
  EXPECT_EQ(zunmain->Recognition(buffer.get(), out.data(), 0), 0);
  EXPECT_EQ(KernelLog().recognize_calls, 0);
  EXPECT_EQ(GestureCalls(), 0);
  EXPECT_EQ(out[0], 0xEEEE);
}

std::vector<StrokeEntry> OverPointLimit() {
  std::vector<StrokeEntry> points(wrendle::kMaxRecognizerPoints + 1, StrokeEntry{5, 5});
  points.back() = StrokeEntry{50, 50};
  return StrokeListBuilder().AddStroke(points).Build();
}

INSTANTIATE_TEST_SUITE_P(Lists, ZunmainBadListTest,
                         ::testing::Values(BadListCase{"Empty", {{0, 0}}},
                                           BadListCase{"NegativeCount", {{-3, 0}, {1, 1}, {0, 0}}},
                                           BadListCase{"CountPastEntryLimit", {{5000, 0}, {1, 1}, {0, 0}}},
                                           BadListCase{"OverPointLimit", OverPointLimit()}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(ZunmainTest, NullListOrCandidatesGiveNothing) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  Candidates out = Fresh();
  const auto strokes = Strokes(1);
  EXPECT_EQ(zunmain->Recognition(nullptr, out.data(), 0), 0);
  EXPECT_EQ(zunmain->Recognition(strokes.data(), nullptr, 0), 0);
}

TEST_F(ZunmainTest, PointLimitItselfIsAccepted) {
  EXPECT_EQ(wrendle::kMaxRecognizerPoints, 1023u) << "the kernel refuses a cell of 1024 points";
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  std::vector<StrokeEntry> points(wrendle::kMaxRecognizerPoints, StrokeEntry{5, 5});
  points.back() = StrokeEntry{50, 50};
  const auto list = StrokeListBuilder().AddStroke(points).Build();
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(list.data(), out.data(), 0), 3);
}

TEST_F(ZunmainTest, CellTheKernelRefusesGetsNoCandidates) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 0), 1);
  const auto dot = StrokeListBuilder().AddStroke({{100, 100}, {105, 108}}).Build();
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(dot.data(), out.data(), 0), 0);
  EXPECT_EQ(KernelLog().recognize_calls, 1);
  EXPECT_EQ(out[0], 0xEEEE);
}

TEST(ZunmainMissingModulesTest, MissingKernelOrEntryBuildsNothing) {
  testing_support::TemporaryDirectory directory;
  auto profiles = platform::MakeIniFileProfileStore(directory.path().string());
  {
    platform::SetModuleSearchDirectory(directory.path().string());
    Zunmain zunmain(*profiles, directory.path().string());
    EXPECT_EQ(zunmain.InitRecognition(4000, 0), 0);
    EXPECT_EQ(zunmain.InitRecognition(4000, 1), 0);  // no engine module either
    EXPECT_EQ(zunmain.InitRecognition(4000, 2), 0);
    EXPECT_EQ(zunmain.IsGesture(1), 0);
  }
  {
    platform::SetModuleSearchDirectory(fakes::Folder("partial").string());
    fakes::Module partial("partial", "SZUN32.DLL");
    ASSERT_TRUE(partial);
    const std::uint16_t none[] = {0};
    partial.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 0, none, 0);
    {
      Zunmain zunmain(*profiles, directory.path().string());
      EXPECT_EQ(zunmain.InitRecognition(4000, 0), 0);
      EXPECT_FALSE(zunmain.has_recognizer());
    }
    const auto& log = *partial.Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")();
    EXPECT_EQ(log.init_calls, 0);
    EXPECT_EQ(log.free_calls, 0);
  }
  platform::SetModuleSearchDirectory("");
}

TEST_F(ZunmainTest, EngineStartsForPenWithItsUserAndParameters) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(2000, 1), 1);
  const fakes::EngineLog& log = EngineLog();
  EXPECT_STREQ(log.user, "HongkongMale");
  EXPECT_EQ(log.init_flags, 0x100000u);
  EXPECT_NE(log.window, 0u);
  ASSERT_EQ(log.set_param_count, 4);
  const std::uint32_t expected[4][2] = {{0x2000, 0}, {0x2003, 6}, {0x2002, 1}, {0x2001, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(log.params[i][0], expected[i][0]);
    EXPECT_EQ(log.params[i][1], expected[i][1]);
  }
  EXPECT_EQ(zunmain->SetRange(0x47), 0);
  EXPECT_EQ(log.params[4][1], 6u + 0x21 + 0x40 + 0x80);
  EXPECT_EQ(zunmain->AttachLearn("a", "b", "c", nullptr), 0);
}

TEST_F(ZunmainTest, EngineFailureToStartBuildsNothing) {
  engine_.Entry<fakes::EngineResetFn>("FakeEngineReset")(4103, 0);
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->InitRecognition(4000, 1), 0);
  EXPECT_FALSE(zunmain->has_recognizer());
}

TEST_F(ZunmainTest, EngineCandidatesComeFromItsResult) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  zunmain->SetRange(wrendle::kRangeChinese);
  // GB2312 characters, a letter, and a code past the GB2312 set that the range
  // filter drops.
  QueueEngineWords({"\xB0\xA1", "a", "\xFA\x40", "\xD6\xD0"});
  const auto strokes = Strokes(2);
  Candidates out = Fresh();
  ASSERT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 3);
  EXPECT_EQ(out[0], 0xA1B0);
  EXPECT_EQ(out[1], 0x2061);
  EXPECT_EQ(out[2], 0xD0D6);
  EXPECT_EQ(out[3], 0);
  const fakes::EngineLog& log = EngineLog();
  EXPECT_EQ(log.strokes_fed, 2);
  // y in the low half, x in the high half.
  EXPECT_EQ(log.first_points[1], (5u << 16) | 40u);
  EXPECT_EQ(log.deleted_results, 2);
}

TEST_F(ZunmainTest, EngineRetriesForMoreCandidatesWhenOnlyOneCame) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  zunmain->SetRange(0x41);
  QueueEngineWords({"\xB0\xA1"});
  QueueEngineWords({"\xB0\xA2", "\xB0\xA3"});
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  ASSERT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 3);
  EXPECT_EQ(out[0], 0xA1B0);
  EXPECT_EQ(out[1], 0xA2B0);
  EXPECT_EQ(out[2], 0xA3B0);
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(zunmain->state().range_flags, 0x41);
  EXPECT_EQ(EngineLog().recognize_calls, 2);
}

TEST_F(ZunmainTest, GbSymbolPairsAreReplaced) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  QueueEngineWords({"\xBB\xF9", "\xB0\xA1", "\xB0\xF7", "\xB8\xF5"});
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  ASSERT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 4);
  EXPECT_EQ(out[0], 0xF9BB);
  EXPECT_EQ(out[1], 0x9EB3);
  EXPECT_EQ(out[2], 0x67E6);
  EXPECT_EQ(out[3], 0x67E6);
}

TEST_F(ZunmainTest, RefusedEngineRecognitionDoesNotWaitForever) {
  engine_.Entry<fakes::EngineResetFn>("FakeEngineReset")(0, 16385);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 0);
}

TEST_F(ZunmainTest, EngineSkipsLearningAndGesturesWhenTurnedOff) {
  SetGesture(12);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0xB0A1), 0);
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 12);
  zunmain->SetRecognizeGesture(0);
  QueueEngineWords({"\xB0\xA1"});
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 1);
  EXPECT_EQ(out[0], 0xA1B0);
}

TEST_F(ZunmainTest, CombinedRecognizerPicksByStrokeCount) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  EXPECT_EQ(directory_.Read("stroke.ini"), "[ZUNMAIN]\r\nStroke=4\r\n");
  const auto four = Strokes(4);
  const auto five = Strokes(5);
  Candidates out = Fresh();
  QueueEngineWords({"\xB0\xA1"});
  EXPECT_EQ(zunmain->Recognition(four.data(), out.data(), 0), 1);
  EXPECT_EQ(KernelLog().recognize_calls, 0);
  EXPECT_EQ(zunmain->Recognition(five.data(), out.data(), 0), 3);
  EXPECT_EQ(KernelLog().recognize_calls, 1);
  EXPECT_EQ(EngineLog().recognize_calls, 1);
  EXPECT_EQ(zunmain->AttachLearn("x", "y", "z", nullptr), 1);
  EXPECT_EQ(KernelLog().attach_calls, 1);
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  EXPECT_EQ(KernelLog().init_calls, 1);
}

TEST_F(ZunmainTest, CombinedThresholdComesFromStrokeIni) {
  directory_.Write("stroke.ini", "[ZUNMAIN]\r\nStroke=2\r\n");
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  const auto three = Strokes(3);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(three.data(), out.data(), 0), 3);
  EXPECT_EQ(KernelLog().recognize_calls, 1);
}

TEST_F(ZunmainTest, CombinedWithFailedEngineStillServesKernelPart) {
  engine_.Entry<fakes::EngineResetFn>("FakeEngineReset")(4103, 0);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  Candidates out = Fresh();
  const auto two = Strokes(2);
  const auto six = Strokes(6);
  EXPECT_EQ(zunmain->Recognition(two.data(), out.data(), 0), 0);
  EXPECT_EQ(zunmain->Recognition(six.data(), out.data(), 0), 3);
}

}  // namespace
