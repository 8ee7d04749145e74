// Decoding with a scripted database: the frame arithmetic, the results, the
// confidence, the item edits, the limits of an utterance and the inputs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/tests/spec_file.h"
#include "engine/NetSearchEngine/tests/net_search_test_support.h"
#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/tests/test_support.h"

namespace vok_test {
namespace {

using vok::CommandSearchSettings;

constexpr int kFrames = 10;

class DecodingTest : public NetSearchTest {
 protected:
  // Items 0, 1 and 2 of one model each (a, b, c), start to end.
  std::unique_ptr<vok::NetSearchEngine> ThreeItems() {
    auto engine = EmptyEngine();
    EXPECT_EQ(engine->AddItemPron("A2", 0, 0), 0);
    EXPECT_EQ(engine->AddItemPron("B3", 1, 0), 0);
    EXPECT_EQ(engine->AddItemPron("C4", 2, 0), 0);
    return engine;
  }
  // Every state of the model scores `score` in every frame.
  void Score(const char* model, float score) { Db().SetModelScores(0, 2100, Model(model), score); }
  int BestItem(vok::NetSearchEngine* engine) {
    int id = -2;
    engine->GetBestItem(&id);
    return id;
  }
  int Confidence(vok::NetSearchEngine* engine) {
    int value = -1;
    engine->GetConfidence(&value);
    return value;
  }
  // The raw score of the best path into the end node.
  int32_t EndScore(const vok::NetSearchEngine& engine) const {
    return int32_t{engine.end_node()->score} - engine.offset_sum();
  }
};

// A one-model item scoring x per frame ends frame 9 with s2 = 10x and an exit
// of 10x + PhoneInsertionPenalty (-35): b -85, a -115, c -435. The N-best
// list holds the three items of the final frame relative to the best, the
// traced best one above the first; the confidence is 1 - (-30).
TEST_F(DecodingTest, BestItemNBestAndConfidence) {
  auto engine = ThreeItems();
  Score("a", -8);
  Score("b", -5);
  Score("c", -40);
  ASSERT_EQ(Decode(engine.get(), kFrames), 0);
  EXPECT_EQ(engine->frames(), kFrames);
  EXPECT_EQ(BestItem(engine.get()), 1);
  EXPECT_EQ(EndScore(*engine), -85);
  // Normalised by the previous frame's best, every frame's best is b's -5.
  for (int t = 0; t < kFrames; ++t) {
    EXPECT_EQ(engine->frame_best_score(t), -5) << t;
    EXPECT_EQ(engine->frame_theories(t), 3) << t;
  }
  EXPECT_EQ(engine->frame_best_score(kFrames), vok::kEmptyScore);

  vok::NBestList list(10, 1);
  ASSERT_EQ(engine->GetNBest(&list), 0);
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.best_score(), -85);
  const int expected_ids[] = {1, 0, 2};
  const int expected_scores[] = {1, -30, -350};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(list.Get(i).count, 1);
    EXPECT_EQ(list.Get(i).ids[0], expected_ids[i]);
    EXPECT_EQ(list.Get(i).score, expected_scores[i]);
  }
  EXPECT_EQ(Confidence(engine.get()), 31);

  vok::Hypothesis best;
  EXPECT_EQ(engine->GetResult(&best), 1);
  EXPECT_EQ(best.count, 1);
  EXPECT_EQ(best.ids[0], 1);
}

TEST_F(DecodingTest, ASingleHypothesisHasConfidence100) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("B3", 7, 0), 0);
  Score("b", -50);
  Decode(engine.get(), kFrames);
  EXPECT_EQ(BestItem(engine.get()), 7);
  EXPECT_EQ(Confidence(engine.get()), 100);
}

// Observation = trunc(max(score x LogProbMultiple, -500)) + offset; NaN is
// the floor. One model over 10 frames: 10 x observation - 35.
TEST_F(DecodingTest, ObservationScoresAreFlooredAndTruncated) {
  struct Case {
    float score;
    float log_prob_multiple;
    int per_frame;
  } cases[] = {{-1000.0f, 1.0f, -500},
               {-40.0f, 13.0f, -500},
               {-3.9f, 13.0f, -50},
               {-499.7f, 1.0f, -499},
               {std::numeric_limits<float>::quiet_NaN(), 1.0f, -500},
               {-std::numeric_limits<float>::infinity(), 1.0f, -500},
               {-1e32f, 13.0f, -500},
               {0.0f, 1.0f, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.score);
    resources_.PutFloat("Search", "LogProbMultiple", c.log_prob_multiple);
    auto engine = EmptyEngine();
    ASSERT_EQ(engine->AddItemPron("B3", 0, 0), 0);
    Score("b", c.score);
    Decode(engine.get(), kFrames);
    EXPECT_EQ(EndScore(*engine), 10 * c.per_frame - 35);
  }
}

// Options 0x11: filler loops at start and end and the out-of-grammar path.
// Speech of the filler model ends on 65530 (no item, confidence 0); speech
// of an item still finds it.
TEST_F(DecodingTest, OutOfGrammarSpeechEndsOnTheRejectionPath) {
  for (const bool in_grammar : {false, true}) {
    SCOPED_TRACE(in_grammar);
    auto engine = ThreeItems();
    ASSERT_EQ(engine->AddFillerLoops(), 0);
    ASSERT_EQ(engine->AddRejectionPath(), 0);
    ASSERT_EQ(engine->AddSilenceLoops(1), 0);
    Score("g", in_grammar ? -40 : -5);
    Score("b", in_grammar ? -5 : -40);
    Decode(engine.get(), kFrames);
    EXPECT_EQ(BestItem(engine.get()), in_grammar ? 1 : -1);
    if (in_grammar) {
      EXPECT_GT(Confidence(engine.get()), 0);
    } else {
      EXPECT_EQ(Confidence(engine.get()), 0);
      vok::NBestList list(10, 1);
      EXPECT_EQ(engine->GetNBest(&list), -1);
    }
  }
}

// Item 0 would win. Removed it neither matches nor brings the end node a
// score without a label that hides item 1; disabled it is skipped until
// enabled again, which a removed item cannot be.
TEST_F(DecodingTest, EditedItemGivesWayToTheOthers) {
  struct Case {
    int (vok::NetSearchEngine::*edit)(int);
    int enable_result;
    int after_enable;
  } cases[] = {{&vok::NetSearchEngine::RemoveItem, -1, 1}, {&vok::NetSearchEngine::DisableItem, 0, 0}};
  for (const Case& c : cases) {
    auto engine = ThreeItems();
    Score("a", -5);
    Score("b", -8);
    ASSERT_EQ((engine.get()->*c.edit)(0), 0);
    Decode(engine.get(), kFrames);
    EXPECT_EQ(BestItem(engine.get()), 1);
    EXPECT_EQ(engine->EnableItem(0), c.enable_result);
    Decode(engine.get(), kFrames);
    EXPECT_EQ(BestItem(engine.get()), c.after_enable);
  }
}

// A path of two items passes their labels through the table: item 3 (a)
// then item 4 (b); the best path holds two labels, so there is no best item.
TEST_F(DecodingTest, TwoItemPathTracesBothLabels) {
  const vok::GrammarUnit* network = Network("open close");
  ASSERT_NE(network, nullptr);
  vok::NetSearchEngine engine(resources_, *network, Models(), Tree());
  ASSERT_EQ(engine.status(), 0);
  for (int t = 0; t < 4; ++t) Db().SetModelScore(t, Model("a"), -1);
  for (int t = 4; t < 8; ++t) Db().SetModelScore(t, Model("b"), -1);
  for (int t = 8; t < 12; ++t) Db().SetModelScore(t, Model("c"), -1);
  Decode(&engine, 12);
  vok::Hypothesis best;
  ASSERT_EQ(engine.GetResult(&best), 1);
  ASSERT_EQ(best.count, 2);
  EXPECT_EQ(best.ids[0], kOpen);
  EXPECT_EQ(best.ids[1], kClose);
  int id = 0;
  EXPECT_EQ(engine.GetBestItem(&id), -1);
  EXPECT_EQ(id, -1);
}

TEST_F(DecodingTest, WithoutATableTheConfidenceComesFromTheActiveExits) {
  vok::NetSearchEngine engine(resources_, Models(), nullptr);
  ASSERT_EQ(engine.AddItemPron("A2", 0, 0), 0);
  ASSERT_EQ(engine.AddItemPron("B3", 1, 0), 0);
  int value = -1;
  EXPECT_EQ(engine.GetConfidence(&value), -1);  // nothing decoded
  EXPECT_EQ(value, 0);
  Score("a", -5);
  Score("b", -8);
  Decode(&engine, kFrames);
  EXPECT_EQ(engine.GetConfidence(&value), 0);
  EXPECT_EQ(value, 30);
  EXPECT_EQ(BestItem(&engine), -1);
  vok::NBestList list(10, 1);
  EXPECT_EQ(engine.GetNBest(&list), -1);
}

TEST_F(DecodingTest, NoPathToTheEndGivesNoResult) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->AddItemPron("AB2", 0, 0), 0);
  Decode(engine.get(), 1);  // a path of two models needs two frames or more
  EXPECT_EQ(BestItem(engine.get()), -1);
  EXPECT_EQ(Confidence(engine.get()), 0);
  vok::Hypothesis best;
  EXPECT_EQ(engine->GetResult(&best), -1);
}

TEST_F(DecodingTest, EngineWithoutItsRequiredOptionsRefusesToDecode) {
  vok::Resources incomplete;
  CapturedMessages messages;
  vok::BackTraceTable table(200, 50, 1);
  vok::NetSearchEngine engine(incomplete, Models(), &table);
  EXPECT_FALSE(engine.options_read());
  EXPECT_NE(messages.Output().find("ERROR -1: Search: Parameter \"LogProbMultiple\" not set!\n"),
            std::string::npos);
  EXPECT_NE(messages.Output().find("ERROR -1: Search: Parameter \"HMMSkipState\" not set!\n"),
            std::string::npos);
  ASSERT_EQ(engine.AddItemPron("B3", 0, 0), 0);
  EXPECT_EQ(engine.StartUtterance(), 0);
  EXPECT_EQ(engine.ProcessInput(), -1);
  Decode(&engine, kFrames);
  EXPECT_EQ(engine.frames(), 0);
  // Reading the options again mends it.
  EXPECT_EQ(engine.ReadOptions(resources_), 0);
  Decode(&engine, kFrames);
  EXPECT_EQ(engine.frames(), kFrames);
}

// A negative PhoneBeam prunes every instance after the first frame: the
// second frame has nothing to evaluate and ends the utterance without
// touching the running offset.
TEST_F(DecodingTest, FrameWithNothingLeftEndsTheUtterance) {
  auto engine = ThreeItems();
  int16_t record[CommandSearchSettings::kCount];
  std::copy(engine->settings().values(), engine->settings().values() + CommandSearchSettings::kCount, record);
  record[CommandSearchSettings::kPhoneBeam] = -1;
  Decode(engine.get(), kFrames, record);
  EXPECT_EQ(engine->frames(), 1);
  const int32_t offsets = engine->offset_sum();
  EXPECT_EQ(engine->ProcessInput(), -1);
  EXPECT_EQ(engine->offset_sum(), offsets);
  EXPECT_EQ(engine->frames(), 1);
}

TEST_F(DecodingTest, NetworkWithoutModelsHasNothingToDecode) {
  auto engine = EmptyEngine();
  ASSERT_EQ(engine->StartUtterance(), 0);
  EXPECT_EQ(engine->active_count(), 0);
  Decode(engine.get(), kFrames);
  EXPECT_EQ(engine->frames(), 0);
  EXPECT_EQ(BestItem(engine.get()), -1);
}

// Cycles of empty transitions (weights 0 and +5 each way) between the start
// node and a node X from which item 0 leaves: the closure ends, and the
// item is found.
TEST_F(DecodingTest, ClosureOverEmptyCyclesEnds) {
  for (const int16_t weight : {int16_t{0}, int16_t{5}}) {
    SCOPED_TRACE(weight);
    auto engine = EmptyEngine();
    auto* x = static_cast<vok::NetNode*>(engine->NewNode());
    for (auto [from, to] :
         {std::pair<vok::NetworkNode*, vok::NetworkNode*>{engine->start(), x}, {x, engine->start()}}) {
      engine->Connect(from, to, engine->NewTransition(vok::kNetEmptyModel), weight);
    }
    auto* item = static_cast<vok::NetTransition*>(engine->NewTransition(Model("b")));
    item->item = vok::NetSearchEngine::kItemLabelBase;
    engine->Connect(x, engine->end(), item, 0);
    Score("b", -5);
    ASSERT_EQ(Decode(engine.get(), kFrames), 0);
    EXPECT_EQ(BestItem(engine.get()), 0);
  }
}

// The node reached first in a frame is improved later in the same pass, and
// an already reached node behind it must take the improvement as well: X is
// reached by a (poor) and, through the empty arc from Y, by b (good); Z is
// reached by its own exit and through the empty arc from X.
TEST_F(DecodingTest, ClosurePassesImprovementsOn) {
  auto engine = EmptyEngine();
  auto node = [&] { return static_cast<vok::NetNode*>(engine->NewNode()); };
  vok::NetNode* x = node();
  vok::NetNode* y = node();
  vok::NetNode* z = node();
  auto arc = [&](vok::NetworkNode* from, vok::NetworkNode* to, const char* model) {
    engine->Connect(from, to, engine->NewTransition(model ? Model(model) : vok::kNetEmptyModel), 0);
  };
  arc(engine->start(), x, "a");
  arc(engine->start(), z, "c");
  arc(engine->start(), y, "b");
  arc(y, x, nullptr);
  arc(x, z, nullptr);
  auto* item = static_cast<vok::NetTransition*>(engine->NewTransition(Model("g")));
  item->item = vok::NetSearchEngine::kItemLabelBase + 3;
  engine->Connect(z, engine->end(), item, 0);
  // b leads the first three frames, g the next three.
  Score("a", -30);
  Score("c", -60);
  Score("b", -2);
  Db().SetModelScores(3, 5, Model("g"), -2);
  Decode(engine.get(), 6);
  // b for 3 frames (-6, exit -41), g for the other 3 (-6, exit -41).
  EXPECT_EQ(EndScore(*engine), -82);
  EXPECT_EQ(BestItem(engine.get()), 3);
}

TEST_F(DecodingTest, ExhaustedInstancePoolSkipsEntriesAndDecodes) {
  auto engine = EmptyEngine();
  // 300 nodes behind empty arcs from the start, 200 one-model items each:
  // 60,000 transitions entered at once, instances for 50,000.
  for (int n = 0; n < 300; ++n) {
    vok::NetworkNode* hub = engine->NewNode();
    engine->Connect(engine->start(), hub, engine->NewTransition(vok::kNetEmptyModel), 0);
    for (int i = 0; i < 200; ++i) {
      auto* t = static_cast<vok::NetTransition*>(engine->NewTransition(Model(i % 2 ? "a" : "b")));
      t->item = vok::NetSearchEngine::kItemLabelBase + (n * 200 + i) % 60000;
      engine->Connect(hub, engine->end(), t, 0);
    }
  }
  ASSERT_EQ(engine->StartUtterance(), 0);
  EXPECT_EQ(engine->active_count(), 50000);
  Score("b", -1);
  EXPECT_EQ(Decode(engine.get(), 3), 0);
  EXPECT_EQ(engine->frames(), 3);
  EXPECT_GE(BestItem(engine.get()), 0);
}

// A front end that holds more frames than an utterance may have: the 2001st
// frame is refused and the utterance keeps its result.
TEST_F(DecodingTest, UtteranceStopsAt2000Frames) {
  const std::string spec = NetTempPath("long.spec");
  WriteText(spec, spec_file::Text({{"FrontEnd", "MaxNumFrame", "2100"}}));
  vok_testing::ScriptedAcoustics long_input(TestModels(), TestSyllables(), NetTempPath("Syllable2"), -40.0f,
                                            spec);
  ASSERT_TRUE(long_input.ok());
  vok::BackTraceTable table(200, 50, 1);
  vok::NetSearchEngine engine(resources_, long_input.models(), &table);
  ASSERT_EQ(engine.AddItemPron("B3", 9, 0), 0);
  long_input.database().SetModelScores(0, 2100, long_input.Model("b"), -1);
  const std::vector<int16_t> samples = long_input.SamplesFor(2010);
  ASSERT_EQ(engine.RecognizeSamples(long_input.FrameArgumentFor(2010), samples.data(), nullptr), 0);
  EXPECT_EQ(engine.frames(), vok::NetSearchEngine::kMaxFrames);
  EXPECT_EQ(engine.ProcessInput(), -1);
  int id = -1;
  EXPECT_EQ(engine.GetBestItem(&id), 0);
  EXPECT_EQ(id, 9);
}

// A new speaker's database with fewer models: the network's models beyond
// them score the floor instead of being asked for (the real database would
// end the process).
TEST_F(DecodingTest, SpeakerDatabaseWithFewerModelsIsNeverAskedBeyondThem) {
  auto engine = ThreeItems();
  vok_testing::ScriptedAcoustics speaker({"SIL", "a"}, {{"A2", "a"}}, NetTempPath("Speaker"), -40.0f);
  ASSERT_TRUE(speaker.ok());
  speaker.database().SetModelScores(0, 20, 1, -5);
  engine->SetAcousticModels(speaker.models());
  const std::vector<int16_t> samples = speaker.SamplesFor(kFrames);
  ASSERT_EQ(engine->RecognizeSamples(speaker.FrameArgumentFor(kFrames), samples.data(), nullptr), 0);
  EXPECT_EQ(engine->frames(), kFrames);
  EXPECT_GT(speaker.database().lookups(), 0);
  EXPECT_EQ(speaker.database().bad_lookups(), 0);
  EXPECT_EQ(BestItem(engine.get()), 0);
}

TEST_F(DecodingTest, AudioFileInputIsRefusedWithoutEndingTheProcess) {
  auto engine = ThreeItems();
  CapturedMessages messages;
  EXPECT_EQ(engine->RunWaveFile(nullptr, "any.wav"), -1);
  const std::string out = messages.Output();
  EXPECT_NE(out.find("The function NetSearchEngine::ReadAudioFile is not completed\n"), std::string::npos);
  EXPECT_NE(out.find("Failed at "), std::string::npos);
  EXPECT_NE(out.find("net_search_decoding.cpp, Line "), std::string::npos);
}

// The audio-session input decodes what the whole-buffer path decodes.
class FakeUtterances : public vok::UtteranceSource {
 public:
  explicit FakeUtterances(std::vector<int16_t> samples, int block)
      : samples_(std::move(samples)), block_(block) {}
  bool SelectUtterance(int n) override {
    position_ = 0;
    return n == 3;
  }
  int ReadSamples(int16_t* out, int wanted, int* read, bool* finished) override {
    // Stored utterances come back in blocks no larger than the store's.
    const int n = std::min({wanted, block_, static_cast<int>(samples_.size()) - position_});
    std::copy(samples_.begin() + position_, samples_.begin() + position_ + n, out);
    position_ += n;
    *read = n;
    *finished = position_ == static_cast<int>(samples_.size());
    ++reads_;
    return 0;
  }
  int reads() const { return reads_; }

 private:
  std::vector<int16_t> samples_;
  int block_;
  int position_ = 0;
  int reads_ = 0;
};

TEST_F(DecodingTest, StoredUtteranceDecodesLikeTheWholeBuffer) {
  auto engine = ThreeItems();
  Score("a", -8);
  Score("b", -5);
  Decode(engine.get(), kFrames);
  const int32_t whole = EndScore(*engine);
  const int frames = engine->frames();

  FakeUtterances source(acoustics_->SamplesFor(kFrames), 37);
  EXPECT_EQ(engine->RunStoredUtterance(nullptr, 2, &source), -1);
  ASSERT_EQ(engine->RunStoredUtterance(nullptr, 3, &source), 0);
  EXPECT_EQ(engine->frames(), frames);
  EXPECT_EQ(EndScore(*engine), whole);
  EXPECT_EQ(BestItem(engine.get()), 1);
  EXPECT_GT(source.reads(), 1);
}

TEST_F(DecodingTest, SettingsRecordReplacesTheSettings) {
  auto engine = ThreeItems();
  int16_t record[CommandSearchSettings::kCount] = {};
  for (int i = 0; i < CommandSearchSettings::kCount; ++i) record[i] = static_cast<int16_t>(100 + i);
  record[CommandSearchSettings::kPhoneInsertionPenalty] = -7;
  Score("b", -5);
  Decode(engine.get(), kFrames, record);
  // 10 x -5, PhoneInsertionPenalty -7 on the exit, WordInsertionPenalty 108
  // on the item's label.
  EXPECT_EQ(EndScore(*engine), -50 - 7 + 108);
  EXPECT_EQ(engine->settings().value(CommandSearchSettings::kUnused12), 112);
}

}  // namespace
}  // namespace vok_test
