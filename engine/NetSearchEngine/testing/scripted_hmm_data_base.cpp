#include "engine/NetSearchEngine/testing/scripted_hmm_data_base.h"

namespace vok_testing {

namespace {

// As low as the real database scores a disabled Gaussian.
constexpr float kFloorScore = -1e32f;

}  // namespace

ScriptedHmmDataBase::ScriptedHmmDataBase(const std::vector<std::string>& names, float default_score)
    : names_(std::make_unique<vok::SymbolTable>(static_cast<int>(names.size()))),
      default_score_(default_score) {
  for (const std::string& name : names) names_->Add(name.c_str());
}

void ScriptedHmmDataBase::SetScore(int frame, int hmm, int state, float score) {
  scores_[{frame, hmm, state}] = score;
}

void ScriptedHmmDataBase::SetModelScore(int frame, int hmm, float score) {
  for (int state = 0; state < 3; ++state) SetScore(frame, hmm, state, score);
}

void ScriptedHmmDataBase::SetModelScores(int first, int last, int hmm, float score) {
  for (int t = first; t <= last; ++t) SetModelScore(t, hmm, score);
}

void ScriptedHmmDataBase::SetFrameDefault(int frame, float score) { frame_defaults_[frame] = score; }

float ScriptedHmmDataBase::get_StateScore(int hmm, int state, int thread) {
  ++lookups_;
  if (thread != 0 || hmm < 0 || hmm >= get_numHMM() || state < 0 || state > 2 || frame_ < 0) {
    ++bad_lookups_;
    return kFloorScore;
  }
  const auto written = scores_.find({frame_, hmm, state});
  if (written != scores_.end()) return written->second;
  const auto frame_default = frame_defaults_.find(frame_);
  return frame_default != frame_defaults_.end() ? frame_default->second : default_score_;
}

int ScriptedHmmDataBase::assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) {
  if (thread != 0 || input.numStreams <= 0) return -1;
  frame_ = frame;
  return 0;
}

}  // namespace vok_testing
