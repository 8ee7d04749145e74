// The command search's options: the keys of the store in their order, the
// beam level, and the thresholds of a frame.
#include "engine/NetSearchEngine/command_search_settings.h"

#include <gtest/gtest.h>

#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok {
namespace {

using S = CommandSearchSettings;

TEST(CommandSearchSettingsTest, RequiredKeysAreRecordedWhenMissingAndReadingGoesOn) {
  struct Case {
    bool log_prob_multiple;
    bool skip_state;
  } cases[] = {{true, true}, {false, true}, {true, false}, {false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log_prob_multiple * 2 + c.skip_state);
    Resources resources;
    if (c.log_prob_multiple) resources.Put("Search", "LogProbMultiple", "13.0");
    if (c.skip_state) resources.PutInt("Search", "HMMSkipState", 1);
    resources.PutInt("Search", "PhoneBeam", 250);
    ErrorClear();
    S settings;
    EXPECT_EQ(settings.Read(resources), c.log_prob_multiple && c.skip_state ? 0 : -1);
    EXPECT_EQ(ErrorRecorded("Parameter \"LogProbMultiple\" not set!\n"), !c.log_prob_multiple);
    EXPECT_EQ(ErrorRecorded("Parameter \"HMMSkipState\" not set!\n"), !c.skip_state);
    EXPECT_EQ(settings.value(S::kPhoneBeam), 250);
    EXPECT_FLOAT_EQ(settings.log_prob_multiple(), c.log_prob_multiple ? 13.0f : 0.0f);
    EXPECT_EQ(settings.hmm_skip_state(), c.skip_state ? 1 : 0);
    ErrorClear();
  }
}

// VA_Search overrides Search; WordTransBeam sets SyllableTransBeam; absent
// keys keep the shipped values.
TEST(CommandSearchSettingsTest, StoreKeysInTheirOrder) {
  Resources resources;
  resources.Put("Search", "LogProbMultiple", "10.5");
  resources.PutInt("Search", "HMMSkipState", 0);
  for (const char* key : {"PhoneBeam", "PhoneTransBeam", "PhoneExitBeam", "SyllableTransBeam",
                          "FastMatchBeam", "WordInsertionPenalty", "PhoneInsertionPenalty"}) {
    resources.PutInt("Search", key, 111);
  }
  resources.PutInt("VA_Search", "PhoneTransBeam", 222);
  resources.PutInt("VA_Search", "WordTransBeam", 333);
  resources.PutInt("VA_Search", "GarbageInsertionPenalty", -150);
  resources.PutInt("VA_Search", "PhoneBeam", 99999);  // held at the int16 limit
  resources.Put("VA_Search", "GrammarWeight", "0.8");
  S settings;
  ASSERT_EQ(settings.Read(resources), 0);
  const int16_t expected[S::kCount] = {32767, 222, 111, 333, 111, 0, 0, -150, 111, 111, 0, 0, 0};
  for (int i = 0; i < S::kCount; ++i) EXPECT_EQ(settings.values()[i], expected[i]) << i;
  EXPECT_FLOAT_EQ(settings.grammar_weight(), 0.8f);

  S defaults;
  const int16_t shipped[S::kCount] = {400, 400, 100, 400, 1000, 0, 0, -200, 0, -35, 0, 0, 0};
  for (int i = 0; i < S::kCount; ++i) EXPECT_EQ(defaults.values()[i], shipped[i]) << i;
  EXPECT_FLOAT_EQ(defaults.grammar_weight(), 0.5f);
}

TEST(CommandSearchSettingsTest, BeamLevelSetsThreeBeamsAndReadsBackClamped) {
  struct Case {
    int level;
    int beam;
    int read_back;
  } cases[] = {{0, 300, 0}, {4, 340, 4}, {10, 400, 10}, {11, 400, 10}, {-3, 300, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    S settings;
    settings.SetBeamLevel(c.level);
    EXPECT_EQ(settings.value(S::kPhoneBeam), c.beam);
    EXPECT_EQ(settings.value(S::kPhoneTransBeam), c.beam);
    EXPECT_EQ(settings.value(S::kSyllableTransBeam), c.beam);
    EXPECT_EQ(settings.value(S::kPhoneExitBeam), 100);
    EXPECT_EQ(settings.BeamLevel(), c.read_back);
  }
  S settings;
  for (const auto& [beam, level] : {std::pair{250, 0}, std::pair{355, 5}, std::pair{900, 10}}) {
    settings.set_value(S::kPhoneBeam, beam);
    EXPECT_EQ(settings.BeamLevel(), level) << beam;
  }
}

// threshold i = best - setting i up to the first setting of 0; the later
// thresholds keep what they held, also across frames.
TEST(CommandSearchSettingsTest, ZeroSettingStopsTheThresholds) {
  S settings;
  const int16_t record[S::kCount] = {400, 300, 0, 200, 1000, 5, 5, -200, 0, -35, 1, 1, 1};
  settings.CopyRecord(record);
  settings.ComputeThresholds(-100);
  EXPECT_EQ(settings.threshold(S::kPhoneBeam), -500);
  EXPECT_EQ(settings.threshold(S::kPhoneTransBeam), -400);
  for (int i = S::kPhoneExitBeam; i < S::kCount; ++i) {
    EXPECT_EQ(settings.threshold(static_cast<S::Index>(i)), kEmptyScore) << i;
  }
  // From the empty score (the start of an utterance), and from a best that
  // would leave the int16 range.
  settings.ComputeThresholds(kEmptyScore);
  EXPECT_EQ(settings.threshold(S::kPhoneBeam), -28168);
  settings.ComputeThresholds(-32600);
  EXPECT_EQ(settings.threshold(S::kPhoneBeam), -32768);

  // Without any 0 all thirteen are computed; penalties give thresholds above
  // the best.
  const int16_t full[S::kCount] = {400, 300, 100, 200, 1000, 5, 5, -200, 7, -35, 1, 1, 1};
  settings.CopyRecord(full);
  settings.ComputeThresholds(-100);
  EXPECT_EQ(settings.threshold(S::kPhoneExitBeam), -200);
  EXPECT_EQ(settings.threshold(S::kGarbageInsertionPenalty), 100);
  EXPECT_EQ(settings.threshold(S::kUnused12), -101);
  // A 0 now keeps the values of that frame.
  settings.set_value(S::kPhoneBeam, 0);
  settings.ComputeThresholds(0);
  EXPECT_EQ(settings.threshold(S::kPhoneBeam), -500);
  EXPECT_EQ(settings.threshold(S::kPhoneTransBeam), -400);
}

}  // namespace
}  // namespace vok
