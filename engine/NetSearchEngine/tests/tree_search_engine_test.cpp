#include "engine/NetSearchEngine/tree_search_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/LIB_C_rHMMDataBase/tests/spec_file.h"
#include "engine/NetSearchEngine/tests/tree_search_test_support.h"
#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/api/wave_file.h"
#include "engine/core/lex_tree.h"

namespace {

using P = vok::SearchParameters;
using vok_test::FlatViterbi;
using vok_test::ScoreScript;

class TreeSearchEngineTest : public vok_test::TreeSearchTest {
 protected:
  // A1 and X1 are class 1, B1 and Y1 class 2.
  void SetWordClasses() {
    vok::CSyllableTable* table = Models().syllables;
    for (const int w : {vok_test::kA, vok_test::kX}) ASSERT_EQ(table->SetClassNumbers(w, {1, 1, 1}), 0);
    for (const int w : {vok_test::kB, vok_test::kY}) ASSERT_EQ(table->SetClassNumbers(w, {2, 2, 2}), 0);
  }

  // Tokens of the syllable words, the silence node, the tree's silence word
  // and the start node.
  struct FreeNetwork {
    std::vector<FlatViterbi::Token> tokens;
    int silence_node;
    int silence_word;
    int start;
  };
  FreeNetwork Free(int32_t syllable_penalty) {
    FreeNetwork n;
    for (const auto& s : vok_test::TreeSyllables()) {
      FlatViterbi::Token t;
      for (char c : s.models)
        if (c != ' ') t.models.push_back(Model(std::string(1, c).c_str()));
      t.end_penalty = syllable_penalty;
      n.tokens.push_back(t);
    }
    n.silence_node = static_cast<int>(n.tokens.size());
    n.tokens.push_back({{Model("SIL")}, 0, {}});
    n.silence_word = static_cast<int>(n.tokens.size());
    n.tokens.push_back({{Model("SIL")}, syllable_penalty, {}});
    n.start = static_cast<int>(n.tokens.size());
    n.tokens.push_back({{Model("SIL")}, 0, {}});
    for (auto& t : n.tokens)
      for (int k = 0; k < n.start; ++k) t.next.push_back(k);
    return n;
  }

  // The sentence's words in order, with silences (node or tree word) before,
  // between and after them. The last three tokens are the last word, the
  // silence node and the silence word after it.
  std::vector<FlatViterbi::Token> Forced(const std::vector<uint16_t>& words, int32_t syllable_penalty,
                                         const FreeNetwork& free) {
    std::vector<FlatViterbi::Token> tokens = {free.tokens[static_cast<std::size_t>(free.start)]};
    tokens[0].next.clear();
    int previous_word = 0;
    for (std::size_t j = 0; j <= words.size(); ++j) {
      const int node = static_cast<int>(tokens.size());
      tokens.push_back({{Model("SIL")}, 0, {}});
      tokens.push_back({{Model("SIL")}, syllable_penalty, {}});
      const int word = j < words.size() ? node + 2 : -1;
      if (word >= 0) tokens.push_back(free.tokens[words[j]]);
      for (int from : {previous_word, node, node + 1}) {
        auto& next = tokens[static_cast<std::size_t>(from)].next;
        next = {node, node + 1};
        if (word >= 0) next.push_back(word);
      }
      if (word >= 0) previous_word = word;
    }
    return tokens;
  }
};

// Silence, then random scores over the words, then silence again.
ScoreScript RandomScript(std::mt19937* random, int frames, int silence_model) {
  ScoreScript script(frames, 6, -50);
  std::uniform_real_distribution<float> word(-40.0f, -1.0f), weak(-60.0f, -45.0f);
  for (int t = 0; t < frames; ++t) {
    const bool silence = t < 8 || t >= frames - 8;
    for (int m = 0; m < 6; ++m)
      for (int s = 0; s < 3; ++s) {
        if (m == silence_model) {
          script.At(t, m, s) = silence ? -2.0f : weak(*random);
        } else {
          script.At(t, m, s) = silence ? weak(*random) : word(*random);
        }
      }
  }
  return script;
}

TEST_F(TreeSearchEngineTest, WithoutPruningItIsTheViterbiSearchOfTheFlatNetwork) {
  std::mt19937 random(2024);
  for (int round = 0; round < 12; ++round) {
    const float multiple = round % 3 == 0 ? 1.0f : 2.5f;
    vok_testing::PutSearchKeys(&resources_, multiple);
    const int frames = 40 + 5 * round;
    const ScoreScript script = RandomScript(&random, frames, Model("SIL"));
    // PhoneBeam 0 stops the thresholds at the empty score; the exit beam is
    // relative to the node's best, so it is opened wide.
    P p;
    p[P::kPhoneExitBeam] = 32767;
    p[P::kSyllableInsertionPenalty] = static_cast<int16_t>(-10 - round);
    p[P::kPhoneInsertionPenalty] = -3;
    p[P::kLatticeBeam] = 999;
    auto engine = SyllableEngine();
    const auto score = [&script](int t, int m, int s) { return script.Get(t, m, s); };
    const FreeNetwork free = Free(p[P::kSyllableInsertionPenalty]);
    FlatViterbi flat(free.tokens, free.start, multiple, p[P::kPhoneInsertionPenalty], score);
    flat.Run(frames);
    script.WriteInto(&acoustics_->database());
    Feed(frames);
    engine->set_parameters(p);
    engine->StartUtterance();
    for (int t = 0; t < frames; ++t) {
      ASSERT_EQ(engine->ProcessFrame(), 0);
      ASSERT_EQ(engine->frame_best() - engine->accumulated_offset(), flat.Best(t))
          << "round " << round << " frame " << t;
    }
    engine->FinishUtterance();
    for (P::Index i : {P::kPhoneBeam, P::kPhoneTransBeam, P::kSyllableTransBeam})
      EXPECT_EQ(engine->threshold(i), vok::kEmptyScore);

    int64_t best = flat.Exit(frames - 1, free.silence_node);
    for (int w = 0; w < vok_test::kSyllables; ++w) best = std::max(best, flat.End(frames - 1, w));
    ASSERT_GT(best, FlatViterbi::kNone);
    EXPECT_EQ(table_->final_score() - engine->accumulated_offset(), best) << "round " << round;

    // The best sentence of the table scores as well as the best of all.
    const std::vector<uint16_t> words = BestWords(engine.get());
    ASSERT_FALSE(words.empty()) << "round " << round;
    const auto forced_tokens = Forced(words, p[P::kSyllableInsertionPenalty], free);
    FlatViterbi forced(forced_tokens, 0, multiple, p[P::kPhoneInsertionPenalty], score);
    forced.Run(frames);
    const int last = static_cast<int>(forced_tokens.size()) - 1;
    const int64_t forced_best = std::max(forced.Exit(frames - 1, last - 1), forced.End(frames - 1, last - 2));
    EXPECT_EQ(forced_best, best) << "round " << round;

    for (int id = 0; id < table_->record_count(); ++id)
      EXPECT_NE(table_->GetRecord(id)->label, vok::TreeNode::kSilenceWord) << "round " << round;
  }
}

// AB1 C1 B1 with silence around, each model clearly best in its frames.
ScoreScript ClearScript(int silence, int a, int b, int c) {
  ScoreScript script(44, 6, -40.0f);
  const int spans[][3] = {{0, 5, silence}, {6, 11, a},  {12, 17, b},
                          {18, 23, c},     {24, 29, b}, {30, 43, silence}};
  for (const auto& span : spans) script.Set(span[0], span[1], span[2], -1.0f);
  return script;
}

TEST_F(TreeSearchEngineTest, DefaultBeamsFindTheBestPathOfAClearScript) {
  vok_testing::PutSearchKeys(&resources_, 13.0f);
  auto engine = SyllableEngine();
  ASSERT_EQ(
      Decode(engine.get(), ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
  EXPECT_EQ(BestWords(engine.get()), (std::vector<uint16_t>{vok_test::kAB, vok_test::kC, vok_test::kB}));
  EXPECT_GT(engine->max_active(), 0);
  EXPECT_LT(engine->active_in_frame(20), 2 * vok_test::kSyllables);

  // Without AB1 the same models are read as two words.
  EXPECT_EQ(engine->RemoveWord(vok_test::kAB), 0);
  EXPECT_EQ(engine->RemoveWord(vok_test::kAB), -1);
  ASSERT_EQ(
      Decode(engine.get(), ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
  EXPECT_EQ(BestWords(engine.get()),
            (std::vector<uint16_t>{vok_test::kA, vok_test::kB, vok_test::kC, vok_test::kB}));
  for (int id = 0; id < table_->record_count(); ++id) EXPECT_NE(table_->GetRecord(id)->label, vok_test::kAB);
}

// Frames 0 to 2 silence; then only the first models of the one-model words
// score, so that every word is entered at frame 2 alone and reaches its last
// state first at frame 5 along a single path.
ScoreScript SingleEntryScript(const std::vector<int>& words, int silence) {
  ScoreScript script(12, 6, -1000.0f);
  script.Set(0, 2, silence, 0.0f);
  for (int m : words) script.Set(3, 11, m, 0.0f);
  return script;
}

// Beams that prune whatever falls 100 below the frame's best.
P NarrowBeams() {
  P p;
  p[P::kPhoneBeam] = 100;
  p[P::kPhoneTransBeam] = 100;
  p[P::kPhoneExitBeam] = 100;
  p[P::kSyllableTransBeam] = 350;
  p[P::kLatticeBeam] = 999;
  return p;
}

// Runs frames 0 to `last` of the script by hand.
void RunFrames(vok::TreeSearchEngine* engine, const P& p, int last) {
  engine->set_parameters(p);
  engine->StartUtterance();
  for (int t = 0; t <= last; ++t) ASSERT_EQ(engine->ProcessFrame(), 0);
}

TEST_F(TreeSearchEngineTest, AClassExactly200BelowTheBestWordEndIsNotReentered) {
  struct Case {
    float gap;
    bool y_entered;
  };
  for (const Case c : {Case{200.0f, false}, Case{199.0f, true}, Case{0.0f, true}}) {
    SetWordClasses();
    auto engine = SyllableEngine();
    ASSERT_TRUE(engine->has_class_tables());
    ScoreScript script = SingleEntryScript({Model("a"), Model("b")}, Model("SIL"));
    script.At(5, Model("b"), 2) = -c.gap;
    script.WriteInto(&acoustics_->database());
    Feed(script.frames());
    RunFrames(engine.get(), NarrowBeams(), 5);
    EXPECT_TRUE(NodeAt(engine.get(), {"x"})->active()) << c.gap;
    EXPECT_EQ(NodeAt(engine.get(), {"y"})->active(), c.y_entered) << c.gap;
  }
}

TEST_F(TreeSearchEngineTest, ClassNumbersAboveTheLastClassRecordAreAllClasses) {
  vok::CSyllableTable* table = Models().syllables;
  ASSERT_EQ(table->SetClassNumbers(vok_test::kC, {600, 65535, 5}), 0);
  auto engine = SyllableEngine();
  const auto* classes = engine->ModelClasses(Model("c"));
  ASSERT_NE(classes, nullptr);
  EXPECT_EQ(*classes, (std::array<uint16_t, 3>{511, 511, 5}));
  // A syllable without numbers of its own is in every class.
  EXPECT_EQ(*engine->ModelClasses(Model("b")), (std::array<uint16_t, 3>{511, 511, 511}));
}

TEST_F(TreeSearchEngineTest, AnExitEqualToThePhoneTransitionThresholdDoesNotPropagate) {
  ScoreScript script = SingleEntryScript({Model("a"), Model("b")}, Model("SIL"));
  script.At(5, Model("a"), 2) = -30.0f;
  script.WriteInto(&acoustics_->database());
  Feed(script.frames());
  // The first exit of "a" (frame 5) lies below the frame's best.
  auto engine = SyllableEngine();
  P p = NarrowBeams();
  RunFrames(engine.get(), p, 5);
  const vok::TreeNode* a = NodeAt(engine.get(), {"a"});
  ASSERT_TRUE(a->active());
  const int gap = engine->frame_best() - a->state->exit;
  ASSERT_GT(gap, 0);
  ASSERT_TRUE(NodeAt(engine.get(), {"a", "b"})->active());

  for (const int beam : {gap, gap + 1}) {
    p[P::kPhoneTransBeam] = static_cast<int16_t>(beam);
    RunFrames(engine.get(), p, 5);
    EXPECT_EQ(NodeAt(engine.get(), {"a", "b"})->active(), beam > gap) << beam;
  }
}

TEST_F(TreeSearchEngineTest, APronunciationFarBelowItsWordsBestIsNotEntered) {
  // Word 9 is read "a" or "b"; "b" scores lower at frame 5.
  auto engine = SyllableEngine();
  ASSERT_EQ(engine->AddWordPron("A1", 9), 9);
  ASSERT_EQ(engine->AddWordPron("B1", 9), 9);
  EXPECT_EQ(engine->highest_word(), 9);
  ScoreScript script = SingleEntryScript({Model("a"), Model("b")}, Model("SIL"));
  script.At(5, Model("b"), 2) = -40.0f;
  script.WriteInto(&acoustics_->database());
  Feed(script.frames());
  const auto records_of_nine = [this]() {
    std::vector<int16_t> scores;
    for (int id = 0; id < table_->record_count(); ++id) {
      const vok::BackTraceRecord* r = table_->GetRecord(id);
      if (r->label == 9 && r->frame == 5) scores.push_back(r->score);
    }
    return scores;
  };
  RunFrames(engine.get(), NarrowBeams(), 5);
  const std::vector<int16_t> both = records_of_nine();
  ASSERT_EQ(both.size(), 2u);
  const int gap = std::abs(both[0] - both[1]);
  ASSERT_GT(gap, 0);
  for (const int beam : {gap, gap + 1}) {
    P p = NarrowBeams();
    p[P::kLatticeBeam] = static_cast<int16_t>(beam);
    RunFrames(engine.get(), p, 5);
    EXPECT_EQ(records_of_nine().size(), beam > gap ? 2u : 1u) << beam;
  }
}

TEST_F(TreeSearchEngineTest, CommandItemsEndTheUtteranceWhileEnabled) {
  vok_testing::PutSearchKeys(&resources_, 13.0f);
  auto engine = SyllableEngine();
  ASSERT_EQ(engine->AddCommandItem("A1 B1", 9000, true), 0);
  ASSERT_EQ(engine->AddCommandItem("C1", 9001, false), 0);
  EXPECT_EQ(engine->AddCommandItem("Q7", 9002, false), -1);
  ASSERT_EQ(
      Decode(engine.get(), ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
  // "a b c b" then silence: the item "A1 B1" + silence cannot end there, "C1"
  // has no silence and ended long before.
  vok::NBestList list(100);
  EXPECT_EQ(engine->CollectWordEnds(&list), -1);

  ScoreScript script(30, 6, -40.0f);
  script.Set(0, 5, Model("SIL"), -1.0f);
  script.Set(6, 11, Model("a"), -1.0f);
  script.Set(12, 17, Model("b"), -1.0f);
  script.Set(18, 29, Model("SIL"), -1.0f);
  ASSERT_EQ(Decode(engine.get(), script, DefaultBeams()), 0);
  struct Step {
    int (vok::TreeSearchEngine::*edit)(int32_t);
    int edit_result;
    bool collected;
  };
  const Step steps[] = {{nullptr, 0, true},
                        {&vok::TreeSearchEngine::DisableCommandItem, 0, false},
                        {&vok::TreeSearchEngine::EnableCommandItem, 0, true},
                        {&vok::TreeSearchEngine::RemoveCommandItem, 0, false},
                        {&vok::TreeSearchEngine::EnableCommandItem, -1, false},
                        {&vok::TreeSearchEngine::RemoveCommandItem, -1, false}};
  for (const Step& step : steps) {
    if (step.edit) {
      EXPECT_EQ((engine.get()->*step.edit)(9000), step.edit_result);
    }
    const int collected = engine->CollectWordEnds(&list);
    EXPECT_EQ(collected == 0, step.collected);
    if (step.collected) {
      EXPECT_EQ(list.Get(0).count, 1);
      EXPECT_EQ(list.Get(0).ids[0], 9000);
    }
  }
  // Dictation words never count as command items while there is a table.
  EXPECT_EQ(engine->DisableCommandItem(12345), -1);
}

// Samples as the capture gives them, in blocks, until they are used up.
class SampleSource : public vok::UtteranceSource {
 public:
  explicit SampleSource(std::vector<int16_t> samples) : samples_(std::move(samples)) {}
  bool SelectUtterance(int n) override {
    at_ = 0;
    return n == 0;
  }
  int ReadSamples(int16_t* out, int wanted, int* read, bool* finished) override {
    const int n = std::min<int>(wanted, static_cast<int>(samples_.size()) - at_);
    std::copy(samples_.begin() + at_, samples_.begin() + at_ + n, out);
    at_ += n;
    *read = n;
    *finished = at_ == static_cast<int>(samples_.size());
    return 0;
  }

 private:
  std::vector<int16_t> samples_;
  int at_ = 0;
};

TEST_F(TreeSearchEngineTest, TwentyOneSecondsStopAtTwoThousandFrames) {
  C_rFrontEnd front_end;
  ASSERT_EQ(spec_file::Configure(front_end, {{"FrontEnd", "MaxNumFrame", "2400"}}), 0);
  vok::AcousticModels models = Models();
  models.front_end = &front_end;
  table_ = std::make_unique<vok::BackTraceTable>(2000, 50, 1);
  vok::TreeSearchEngine engine(resources_, models, table_.get());
  std::vector<int16_t> samples(21 * 11025);
  std::mt19937 random(5);
  for (int16_t& s : samples) s = static_cast<int16_t>(static_cast<int>(random() % 401) - 200);

  front_end.resetEnvironment(0);
  front_end.resetBuffer(0);
  ASSERT_GT(front_end.insert_LiveWaveData(0, samples.data(), static_cast<int>(samples.size())), 2000);
  const P p = DefaultBeams();
  EXPECT_EQ(engine.RunWaveFile(&p, nullptr), 0);
  EXPECT_EQ(engine.frame(), 2000);
  EXPECT_TRUE(engine.utterance_cut());
  EXPECT_EQ(engine.ProcessFrame(), -1);

  SampleSource source(samples);
  EXPECT_EQ(engine.RunStoredUtterance(&p, 1, &source), -1);
  EXPECT_EQ(engine.RunStoredUtterance(&p, 0, &source), 0);
  EXPECT_EQ(engine.frame(), 2000);
  EXPECT_TRUE(engine.utterance_cut());
  // A short utterance is not cut.
  SampleSource short_source(std::vector<int16_t>(samples.begin(), samples.begin() + 11025));
  EXPECT_EQ(engine.RunStoredUtterance(&p, 0, &short_source), 0);
  EXPECT_FALSE(engine.utterance_cut());
  EXPECT_EQ(engine.frame(), front_end.get_numFrame(0));
}

// A PCM wave file of 16-bit samples with the rate and channels its header
// declares.
void WriteWave(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate,
               uint16_t channels) {
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> bytes;
  const auto put = [&bytes](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  const auto text = [&bytes](const char* four) { bytes.insert(bytes.end(), four, four + 4); };
  text("RIFF");
  put(36 + data, 4);
  text("WAVE");
  text("fmt ");
  put(16, 4);
  put(1, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * 2 * channels, 4);
  put(2 * channels, 2);
  put(16, 2);
  text("data");
  put(data, 4);
  for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// The engine's espeak-ng fixture through a synthetic model of the database:
// wave files in the engine's format decode, others are refused before any
// frame.
TEST_F(TreeSearchEngineTest, WaveFilesOfTheFrontEndsFormatOnly) {
  const std::string model_path = vok_test::NetTempPath("model.bin");
  ASSERT_TRUE(
      hmm_model_writer::Write(hmm_model_writer::Synthetic({}), hmm_model_writer::ByteOrder::kLittleEndian)
          .Save(model_path));
  vok::Resources settings;
  settings.Put("Vastel", "StreamWeights", "1.0,0.5");
  settings.Put("Vastel", "LogDensityWeight", "12.0");
  settings.Put("Vastel", "HMMBailOut", "5.5");
  C_rMemory memory;
  C_rHMMDataBase db;
  db.set_Memory(&memory);
  ASSERT_EQ(db.read_file(model_path.c_str(), 1, settings), 0);
  std::remove(model_path.c_str());
  const std::string table_path = vok_test::NetTempPath("SyntheticSyllable");
  vok_test::WriteText(table_path, vok_testing::SyllableTableText({{"A1", "hmm1"}, {"B1", "hmm2 hmm3"}}));
  vok::CSyllableTable syllables(table_path.c_str(), db.get_HMMNameTable());
  ASSERT_EQ(syllables.status(), 0);
  C_rFrontEnd front_end;
  ASSERT_EQ(front_end.setup_Std(1), 0);
  vok_testing::PutSearchKeys(&resources_, 13.0f);
  table_ = std::make_unique<vok::BackTraceTable>(2000, 50, 1);
  vok::TreeSearchEngine engine(resources_, {&db, &front_end, &syllables}, table_.get());
  const P p = DefaultBeams();

  ASSERT_EQ(engine.RunWaveFile(&p, VOK_SPEECH_FIXTURE), 0);
  EXPECT_GT(engine.frame(), 300);
  vok::NBestList list(10);
  ASSERT_EQ(engine.GetNBest(&list), 0);
  EXPECT_GT(list.count(), 0);
  EXPECT_GT(list.Get(0).count, 0);

  // The fixture's samples declared at 22050 Hz (a rate the audio session
  // converts, the front end does not), or as stereo.
  vok::api::CWaveFile fixture;
  ASSERT_TRUE(fixture.OpenForReading(VOK_SPEECH_FIXTURE));
  std::vector<int16_t> samples(fixture.SampleCount());
  samples.resize(fixture.Read(samples));
  const std::string double_rate = vok_test::NetTempPath("22050.wav"),
                    stereo = vok_test::NetTempPath("stereo.wav");
  WriteWave(double_rate, samples, 22050, 1);
  WriteWave(stereo, samples, 11025, 2);
  const int frames = engine.frame();
  for (const std::string& refused : {double_rate, stereo, std::string("/nonexistent.wav")}) {
    EXPECT_EQ(engine.RunWaveFile(&p, refused.c_str()), -1) << refused;
    EXPECT_EQ(engine.frame(), frames) << refused;
  }
  std::remove(double_rate.c_str());
  std::remove(stereo.c_str());
  vok::ErrorClear();
}

TEST_F(TreeSearchEngineTest, TheRequiredOptionsAndTheSixteenBitValues) {
  vok::Resources empty;
  vok::TreeSearchEngine without(empty, Models(), nullptr);
  EXPECT_EQ(without.log_prob_multiple(), 0.0f);
  EXPECT_EQ(without.parameters()[P::kLatticeBeam], 999);
  EXPECT_EQ(without.ReadOptions(empty), -1);
  vok::ErrorClear();

  resources_.PutInt("Search", "PhoneBeam", 70000);
  resources_.PutInt("Search", "SyllableInsertionPenalty", -40000);
  resources_.PutInt("Search", "LatticeBeam", 12);
  auto engine = SyllableEngine();
  EXPECT_EQ(engine->ReadOptions(resources_), 0);
  EXPECT_EQ(engine->parameters()[P::kPhoneBeam], 32767);
  EXPECT_EQ(engine->parameters()[P::kSyllableInsertionPenalty], -32768);
  EXPECT_EQ(engine->parameters()[P::kLatticeBeam], 12);
  EXPECT_EQ(engine->log_prob_multiple(), 1.0f);
}

TEST_F(TreeSearchEngineTest, ASpeakerChangeKeepsTheTreeOnlyOverTheSameNames) {
  auto engine = SyllableEngine();
  const int nodes = engine->GetCount();
  vok_testing::ScriptedAcoustics same(vok_test::TreeModels(), vok_test::TreeSyllables(),
                                      vok_test::NetTempPath("Same"));
  vok_testing::ScriptedAcoustics other({"SIL", "a", "b", "c", "x", "z"}, vok_test::TreeSyllables(),
                                       vok_test::NetTempPath("Other"));
  EXPECT_EQ(engine->SetAcousticModels(other.models()), -1);
  EXPECT_EQ(engine->acoustic().database, Models().database);
  EXPECT_EQ(engine->SetAcousticModels(same.models()), 0);
  EXPECT_EQ(engine->acoustic().database, same.models().database);
  EXPECT_EQ(engine->GetCount(), nodes);
}

TEST_F(TreeSearchEngineTest, AFullNodePoolRefusesTheNextWord) {
  auto engine = SyllableEngine();
  std::mt19937 random(9);
  uint16_t syllables[vok::TreeSearchEngine::kMaxPath + 1] = {vok::TreeSearchEngine::kMaxPath};
  int added = 0;
  int result = 0;
  for (uint16_t word = 100; result >= 0 && word < 5000; ++word) {
    for (int i = 1; i <= vok::TreeSearchEngine::kMaxPath; ++i)
      syllables[i] = static_cast<uint16_t>(random() % 3);  // A1, B1, C1
    result = engine->AddWordPron(syllables, word);
    if (result >= 0) ++added;
  }
  EXPECT_EQ(result, -1);
  EXPECT_GT(added, 1000);
  EXPECT_EQ(engine->GetCount(), vok::TreeSearchEngine::kBlock * vok::kPoolMaxBlocks);
  // The search still runs over what the tree holds.
  EXPECT_EQ(
      Decode(engine.get(), ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
}

// A table of one-record blocks (250 records) fills within a long script: the
// search reports it, and every record it kept still traces back to the start.
TEST_F(TreeSearchEngineTest, AFullBackTraceTableIsReportedAndKeepsItsPathsWhole) {
  std::mt19937 random(3);
  const ScoreScript script = RandomScript(&random, 60, Model("SIL"));
  auto roomy = SyllableEngine();
  vok::ErrorClear();
  ASSERT_EQ(Decode(roomy.get(), script, DefaultBeams()), 0);
  EXPECT_FALSE(roomy->table_full());
  EXPECT_FALSE(vok::ErrorRecorded("errBackTraceTableFull"));
  const int needed = table_->record_count();

  vok::BackTraceTable table(1, 50, 1);
  vok::TreeSearchEngine small(resources_, Models(), &table);
  ASSERT_EQ(Decode(&small, script, DefaultBeams()), 0);
  ASSERT_GT(needed, table.record_count()) << "the script must need more records than the table holds";
  EXPECT_TRUE(small.table_full());
  EXPECT_TRUE(vok::ErrorRecorded("errBackTraceTableFull"));
  uint16_t labels[64];
  for (int id = 0; id < table.record_count(); ++id) {
    if (table.GetRecord(id)->back == 0) continue;  // the start record
    EXPECT_GE(table.TraceBack(id, labels, 64), 1) << "record " << id;
  }

  // A short utterance fits again.
  ASSERT_EQ(Decode(&small, ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
  EXPECT_FALSE(small.table_full());
  EXPECT_EQ(BestWords(&small), (std::vector<uint16_t>{vok_test::kAB, vok_test::kC, vok_test::kB}));
}

TEST_F(TreeSearchEngineTest, FastMatchIsAnErrorThatLeavesTheEngineRunning) {
  auto engine = SyllableEngine();
  vok::ErrorClear();
  vok::TreeNode node;
  EXPECT_EQ(node.FastMatch(engine.get()), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errFastMatchNotSupported"));
  vok::ErrorClear();
  EXPECT_EQ(
      Decode(engine.get(), ClearScript(Model("SIL"), Model("a"), Model("b"), Model("c")), DefaultBeams()), 0);
}

}  // namespace

namespace {

class WordTreeTest : public vok_test::TreeSearchTest {
 protected:
  // Every word of the tree with the model names of its pronunciations.
  std::map<int, std::set<std::string>> TreeWords(vok::TreeSearchEngine& engine) {
    std::map<int, std::set<std::string>> words;
    const vok::SymbolTable* names = Models().database->get_HMMNameTable();
    for (int id = 1; id < engine.GetCount(); ++id) {
      const vok::TreeNode* node = engine.GetNode(id);
      if (!node->ends_word() || node->word() > engine.highest_word()) continue;
      std::string path;
      for (const vok::LabelNode* n = node; n->parent; n = n->parent)
        path = std::string(names->GetName(n->label)) + (path.empty() ? "" : " ") + path;
      words[node->word()].insert(path);
    }
    return words;
  }
};

TEST_F(WordTreeTest, TheLexiconWordsThatTheLanguageModelKnowsInSpokenOrder) {
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(5, std::vector<uint8_t>(25, 10),
                            {{"<S>", 0, 50},
                             {"</S>", 1, 50},
                             {"<UNK>", 2, 5},
                             {"ab", 3, 5},
                             {"c", 3, 0},
                             {"cc", 4, 3},
                             {"two", 3, 2},
                             {"nolm", 99, 4},
                             {"bad", 3, 1}}));
  const std::string pron = vok_test::NetTempPath("Pron.txt");
  {
    std::FILE* file = std::fopen(pron.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(
        "Pronunciations 9\n#\nA1 <S>\nA1 </S>\nX1 <UNK>\nA1-B1 ab\nC1 c\nC1 cc\nA1/C1-A1 two\n"
        "A1-B1 nolm\nQ9 bad\n",
        file);
    std::fclose(file);
  }
  using Words = std::map<int, std::set<std::string>>;
  struct Case {
    bool backward;
    int threshold;
    Words expected;
  };
  const Case cases[] = {
      {false, 0, Words{{2, {"x"}}, {3, {"a b"}}, {5, {"c"}}, {6, {"a", "c a"}}}},
      {true, 0, Words{{2, {"x"}}, {3, {"a b"}}, {5, {"c"}}, {6, {"a", "c a"}}}},
      {false, 4, Words{{2, {"x"}}, {3, {"a b"}}, {6, {"c a"}}}},
  };
  for (const Case& c : cases) {
    const vok::CLexTree tree(pron.c_str(), *Models().syllables->syllables(), "-", c.backward);
    table_ = std::make_unique<vok::BackTraceTable>(2000, 50, 1);
    vok::TreeSearchEngine engine(resources_, Models(), table_.get(), tree, *language.core, c.threshold);
    EXPECT_EQ(TreeWords(engine), c.expected) << "backward " << c.backward << ", threshold " << c.threshold;
    EXPECT_EQ(engine.highest_word(), 6);
  }
  std::remove(pron.c_str());
}

}  // namespace
