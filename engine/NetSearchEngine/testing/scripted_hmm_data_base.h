// An HMM database whose state scores the test writes frame by frame. It
// ignores the observation vectors and answers for the frame it was last
// given, as the real database answers for the frame of its last input.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_abstract_hmm_data_base.h"
#include "engine/core/symbol_table.h"

namespace vok_testing {

class ScriptedHmmDataBase : public C_rAbstractHMMDataBase {
 public:
  // Three-state models with these names; every score not written is
  // `default_score`.
  explicit ScriptedHmmDataBase(const std::vector<std::string>& names, float default_score = -40.0f);

  // The score of one state, or of all three states, of a model in frame t.
  void SetScore(int frame, int hmm, int state, float score);
  void SetModelScore(int frame, int hmm, float score);
  // The same for frames first to last.
  void SetModelScores(int first, int last, int hmm, float score);
  // The score of every state of every model in frame t that has none written.
  void SetFrameDefault(int frame, float score);

  // Questions for a state outside the models (the real database ends the
  // process on them).
  int bad_lookups() const { return bad_lookups_; }
  int lookups() const { return lookups_; }
  int current_frame() const { return frame_; }

  void reset() override {}
  void free_all() override {}
  vok::SymbolTable* get_HMMNameTable() override { return names_.get(); }
  float get_StateScore(int hmm, int state, int thread) override;
  int get_numState() const override { return 3 * get_numHMM(); }
  int get_numHMM() const override { return names_->GetCount(); }
  int get_HMMIndex(const char* name) const override { return names_->Find(name); }
  int assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) override;

 private:
  std::unique_ptr<vok::SymbolTable> names_;
  float default_score_;
  std::map<std::tuple<int, int, int>, float> scores_;
  std::map<int, float> frame_defaults_;
  int frame_ = -1;
  int lookups_ = 0;
  int bad_lookups_ = 0;
};

}  // namespace vok_testing
