#include "dispatcher/zunmain.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/engine_pen_abi.h"
#include "common/recognition_types.h"
#include "dispatcher/tests/engine_install.h"
#include "dispatcher/tests/fake_modules.h"
#include "tests/support/temporary_directory.h"

namespace {

using engine_install::EngineInstall;
using engine_install::StrokeList;
using wrendle::StrokeEntry;
using wrendle::StrokeListBuilder;
using wrendle::Zunmain;
using GetParamFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t, std::uint32_t*);
using SetParamFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint32_t, std::uint32_t);
using InstanceCountFn = std::uint32_t(WRENDLE_STDCALL*)();
// The engine's 352-byte user record; the name comes first.
using VokUserRecordBytes = std::array<std::uint8_t, 352>;
using UserInfoFn = std::uint32_t(WRENDLE_STDCALL*)(std::uint8_t*);

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
    ASSERT_TRUE(kernel_ && big5_kernel_ && gesture_);
    const std::uint16_t codes[] = {0xA1B0, 0xA2B0, 0xA3B0};
    kernel_.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 3, codes, 3);
    big5_kernel_.Entry<fakes::KernelResetFn>("FakeKernelReset")(1, 3, codes, 3);
    gesture_.Entry<fakes::GestureResetFn>("FakeGestureReset")(0);
  }
  void TearDown() override { platform::SetModuleSearchDirectory(""); }

  std::unique_ptr<Zunmain> MakeZunmain() {
    return std::make_unique<Zunmain>(*profiles_, EngineInstall::Folder());
  }
  const fakes::KernelLog& KernelLog() const {
    return *kernel_.Entry<fakes::KernelGetLogFn>("FakeKernelGetLog")();
  }
  void SetGesture(int code) const { gesture_.Entry<fakes::GestureResetFn>("FakeGestureReset")(code); }
  int GestureCalls() const { return gesture_.Entry<fakes::GestureCallsFn>("FakeGestureCalls")(); }
  // A pen parameter as the engine holds it.
  std::uint32_t EngineParameter(std::uint32_t id) const {
    std::uint32_t value = 0xDEAD;
    EXPECT_EQ(engine_.Entry<GetParamFn>("VOKGetParamP")(id, &value), 0u) << id;
    return value;
  }

  testing_support::TemporaryDirectory directory_;
  std::unique_ptr<platform::ProfileStore> profiles_;
  fakes::Module kernel_{"full", "SZUN32.DLL"};
  fakes::Module big5_kernel_{"full", "BZUN32.DLL"};
  fakes::Module gesture_{"full", "tarnig.dll"};
  EngineInstall& engine_ = EngineInstall::Get();
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
  // A value of the running engine that the next start sets again.
  ASSERT_EQ(engine_.Entry<SetParamFn>("VOKSetParamP")(0x2002, 7), 0u);
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  EXPECT_EQ(EngineParameter(0x2002), 1u);
  EXPECT_EQ(engine_.Entry<InstanceCountFn>("__VOKGetAPIInstanceCount")(), 1u);
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
  VokUserRecordBytes user{};
  ASSERT_EQ(engine_.Entry<UserInfoFn>("VOKGetCurrentUserInfoP")(user.data()), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(user.data()), "HongkongMale");
  // Started for pen recognition only.
  std::uint32_t value = 0;
  EXPECT_EQ(engine_.Entry<GetParamFn>("VOKGetParamP")(0x3000, &value), 20480u);
  EXPECT_EQ(engine_.Entry<GetParamFn>("VOKGetParamP")(0x1000, &value), 12288u);
  const std::uint32_t expected[4][2] = {{0x2000, 0}, {0x2003, 6}, {0x2002, 1}, {0x2001, 0}};
  for (const auto& [id, set] : expected) EXPECT_EQ(EngineParameter(id), set) << id;
  EXPECT_EQ(zunmain->SetRange(0x47), 0);
  EXPECT_EQ(EngineParameter(0x2003), 6u + 0x21 + 0x40 + 0x80);
  EXPECT_EQ(zunmain->AttachLearn("a", "b", "c", nullptr), 0);
}

TEST_F(ZunmainTest, EngineFailureToStartBuildsNothing) {
  engine_.BreakStartUp();
  auto zunmain = MakeZunmain();
  EXPECT_EQ(zunmain->InitRecognition(4000, 1), 0);
  EXPECT_FALSE(zunmain->has_recognizer());
  engine_.RepairStartUp();
}

TEST_F(ZunmainTest, EngineCandidatesAreCharactersOfTheRange) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  zunmain->SetRange(wrendle::kRangeChinese);
  const auto strokes = StrokeList(vok::api::testing::CharacterStrokes());
  Candidates out = Fresh();
  const int count = zunmain->Recognition(strokes.data(), out.data(), 0);
  ASSERT_GE(count, 1);
  ASSERT_LE(count, 10);
  for (int i = 0; i < count; ++i) {
    // GB2312 characters, their lead byte first.
    EXPECT_GE(out[i] & 0xFF, 0xB0) << i;
    EXPECT_GE(out[i] >> 8, 0xA1) << i;
  }
  EXPECT_EQ(out[count], 0);
  // The same ink gives the same candidates.
  Candidates again = Fresh();
  ASSERT_EQ(zunmain->Recognition(strokes.data(), again.data(), 0), count);
  EXPECT_EQ(again, out);
}

TEST_F(ZunmainTest, EngineRetriesForMoreCandidatesWhenOnlyOneCame) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  const auto comma = StrokeList(vok::api::testing::CommaStrokes());
  // Without the retry class the comma is a character like any other.
  zunmain->SetRange(wrendle::kRangeChinese);
  Candidates characters = Fresh();
  const int count = zunmain->Recognition(comma.data(), characters.data(), 0);
  ASSERT_GE(count, 1);
  // With it the engine answers the punctuation alone, and the dispatcher asks
  // again without the class for the characters behind it.
  zunmain->SetRange(wrendle::kRangeChinese | wrendle::kRangeEngineRetry);
  Candidates out = Fresh();
  const int more = std::min(count, 9);
  ASSERT_EQ(zunmain->Recognition(comma.data(), out.data(), 0), more + 1);
  EXPECT_EQ(out[0], 0xACA3);
  EXPECT_TRUE(std::equal(characters.begin(), characters.begin() + more, out.begin() + 1));
  EXPECT_EQ(out[more + 1], 0);
  EXPECT_EQ(zunmain->state().range_flags, 0x41);
  EXPECT_EQ(EngineParameter(0x2003), 6u + 0x80);
}

TEST_F(ZunmainTest, RefusedEngineRecognitionDoesNotWaitForever) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  // Another caller shuts the engine down under the dispatcher.
  engine_.Entry<InstanceCountFn>("VOKDestroyP")();
  const auto strokes = Strokes(1);
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 0);
}

TEST_F(ZunmainTest, EngineSkipsLearningAndGesturesWhenTurnedOff) {
  SetGesture(12);
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 1), 1);
  const auto strokes = StrokeList(vok::api::testing::CharacterStrokes());
  Candidates out = Fresh();
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0xB0A1), 0);
  EXPECT_EQ(zunmain->Recognition(strokes.data(), out.data(), 0), 12);
  EXPECT_EQ(out[0], 0xEEEE);
  zunmain->SetRecognizeGesture(0);
  EXPECT_GE(zunmain->Recognition(strokes.data(), out.data(), 0), 1);
  EXPECT_NE(out[0], 0xEEEE);
}

TEST_F(ZunmainTest, CombinedRecognizerPicksByStrokeCount) {
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  EXPECT_EQ(directory_.Read("stroke.ini"), "[ZUNMAIN]\r\nStroke=4\r\n");
  const auto four = StrokeList(vok::api::testing::CharacterStrokes());
  const auto five = Strokes(5);
  Candidates out = Fresh();
  EXPECT_GE(zunmain->Recognition(four.data(), out.data(), 0), 1);
  EXPECT_NE(out[0], 0xA1B0);
  EXPECT_EQ(KernelLog().recognize_calls, 0);
  EXPECT_EQ(zunmain->Recognition(five.data(), out.data(), 0), 3);
  EXPECT_EQ(out[0], 0xA1B0);
  EXPECT_EQ(KernelLog().recognize_calls, 1);
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
  engine_.BreakStartUp();
  auto zunmain = MakeZunmain();
  ASSERT_EQ(zunmain->InitRecognition(4000, 2), 1);
  engine_.RepairStartUp();
  Candidates out = Fresh();
  const auto two = Strokes(2);
  const auto six = Strokes(6);
  EXPECT_EQ(zunmain->Recognition(two.data(), out.data(), 0), 0);
  EXPECT_EQ(zunmain->Recognition(six.data(), out.data(), 0), 3);
}

}  // namespace
