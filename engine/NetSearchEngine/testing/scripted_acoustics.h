// The acoustic side of the command search's tests, fuzz target and
// benchmark: the front end's built-in set-up, a scripted database over the
// given models and a syllable table spelled over its names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/testing/scripted_hmm_data_base.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"

namespace vok_testing {

// A syllable and the model names that spell it ("KAI1", "k ai1").
struct SyllableSpelling {
  std::string syllable;
  std::string models;
};

// The syllable table's text form.
std::string SyllableTableText(const std::vector<SyllableSpelling>& syllables);

class ScriptedAcoustics {
 public:
  // The syllable table is written to `syllable_path` and read back over the
  // database's names; the front end reads `front_end_spec` when one is given.
  ScriptedAcoustics(const std::vector<std::string>& models, const std::vector<SyllableSpelling>& syllables,
                    const std::string& syllable_path, float default_score = -40.0f,
                    const std::string& front_end_spec = "");

  bool ok() const;
  vok::AcousticModels models() { return {&database_, &front_end_, syllables_.get()}; }
  ScriptedHmmDataBase& database() { return database_; }
  C_rFrontEnd& front_end() { return front_end_; }
  int Model(const char* name) const { return database_.get_HMMIndex(name); }

  // The frame count to give NetSearchEngine::RecognizeSamples so that the
  // front end makes `frames` frames to decode, and those samples (low noise).
  int FrameArgumentFor(int frames) const;
  std::vector<int16_t> SamplesFor(int frames) const;

 private:
  ScriptedHmmDataBase database_;
  C_rFrontEnd front_end_;
  std::unique_ptr<vok::CSyllableTable> syllables_;
  bool front_end_ok_ = false;
};

// The two keys the search cannot do without: Search.LogProbMultiple and
// Search.HMMSkipState (0).
void PutSearchKeys(vok::Resources* resources, float log_prob_multiple = 1.0f);

}  // namespace vok_testing
