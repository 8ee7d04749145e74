// Shared set-up of the tree search and speech system tests: a scripted
// acoustic side over four models, the score script written into it, and the
// frames of front-end input 0.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/testing/dictation_beams.h"
#include "engine/NetSearchEngine/testing/scripted_acoustics.h"
#include "engine/NetSearchEngine/tests/flat_viterbi.h"
#include "engine/NetSearchEngine/tests/net_search_test_support.h"
#include "engine/NetSearchEngine/tree_search_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok_test {

// Models "SIL", "a", "b", "c", "x", "y"; syllables A1 (a), B1 (b), C1 (c),
// AB1 (a b), CA1 (c a), X1 (x), Y1 (y): the word ids of the syllable tree.
enum TreeWord { kA = 0, kB = 1, kC = 2, kAB = 3, kCA = 4, kX = 5, kY = 6, kSyllables = 7 };
inline std::vector<std::string> TreeModels() { return {"SIL", "a", "b", "c", "x", "y"}; }
inline std::vector<vok_testing::SyllableSpelling> TreeSyllables() {
  return {{"A1", "a"}, {"B1", "b"}, {"C1", "c"}, {"AB1", "a b"}, {"CA1", "c a"}, {"X1", "x"}, {"Y1", "y"}};
}

// Log scores by frame, model and state.
class ScoreScript {
 public:
  ScoreScript(int frames, int models, float fill)
      : frames_(frames), models_(models), scores_(static_cast<std::size_t>(frames * models * 3), fill) {}
  float& At(int t, int model, int state) {
    return scores_[static_cast<std::size_t>((t * models_ + model) * 3 + state)];
  }
  float Get(int t, int model, int state) const {
    return scores_[static_cast<std::size_t>((t * models_ + model) * 3 + state)];
  }
  // Every state of the model in frames first to last.
  void Set(int first, int last, int model, float score) {
    for (int t = first; t <= last; ++t)
      for (int s = 0; s < 3; ++s) At(t, model, s) = score;
  }
  void WriteInto(vok_testing::ScriptedHmmDataBase* db) const {
    for (int t = 0; t < frames_; ++t)
      for (int m = 0; m < models_; ++m)
        for (int s = 0; s < 3; ++s) db->SetScore(t, m, s, Get(t, m, s));
  }
  int frames() const { return frames_; }

 private:
  int frames_;
  int models_;
  std::vector<float> scores_;
};

class TreeSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vok::SetMessageStreams(quiet_, quiet_);
    acoustics_ = std::make_unique<vok_testing::ScriptedAcoustics>(TreeModels(), TreeSyllables(),
                                                                  NetTempPath("Syllable"));
    ASSERT_TRUE(acoustics_->ok());
    vok_testing::PutSearchKeys(&resources_);
  }
  void TearDown() override {
    vok::SetMessageStreams(nullptr, nullptr);
    if (quiet_) std::fclose(quiet_);
  }

  int Model(const char* name) const { return acoustics_->Model(name); }
  vok::AcousticModels Models() { return acoustics_->models(); }

  std::unique_ptr<vok::TreeSearchEngine> SyllableEngine() {
    table_ = std::make_unique<vok::BackTraceTable>(2000, 50, 1);
    return std::make_unique<vok::TreeSearchEngine>(resources_, Models(), table_.get());
  }

  // Front-end input 0 holds `frames` ready frames of low noise.
  void Feed(int frames) {
    C_rFrontEnd& front_end = acoustics_->front_end();
    const std::vector<int16_t> samples = acoustics_->SamplesFor(frames);
    front_end.resetEnvironment(0);
    front_end.resetBuffer(0);
    ASSERT_EQ(front_end.insert_LiveWaveData(0, samples.data(), static_cast<int>(samples.size())), frames);
  }

  // The script's frames decoded with the parameters.
  int Decode(vok::TreeSearchEngine* engine, const ScoreScript& script,
             const vok::SearchParameters& parameters) {
    script.WriteInto(&acoustics_->database());
    Feed(script.frames());
    return engine->RunWaveFile(&parameters, nullptr);
  }

  // The best sentence of the table.
  std::vector<uint16_t> BestWords(vok::TreeSearchEngine* engine) {
    vok::NBestList list(10);
    if (engine->GetNBest(&list) != 0 || list.count() == 0) return {};
    return std::vector<uint16_t>(list.Get(0).ids, list.Get(0).ids + list.Get(0).count);
  }

  // The node of the tree whose models from the root are `models`, or null.
  vok::TreeNode* NodeAt(vok::TreeSearchEngine* engine, const std::vector<const char*>& models) {
    vok::LabelNode* node = engine->root();
    for (const char* m : models) {
      node = node ? node->FindChild(static_cast<int16_t>(Model(m)), false) : nullptr;
    }
    return static_cast<vok::TreeNode*>(node);
  }

  static vok::SearchParameters DefaultBeams() { return vok_testing::DictationBeams(); }

  std::FILE* quiet_ = std::tmpfile();
  vok::Resources resources_;
  std::unique_ptr<vok_testing::ScriptedAcoustics> acoustics_;
  std::unique_ptr<vok::BackTraceTable> table_;
};

}  // namespace vok_test
