// The command models trained on the training speakers of the bundled espeak-ng
// commands, in a folder of this process's own that goes at the end: ctest runs
// the cases of one suite in processes side by side, and each trains its own.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

#include "tests/support/temporary_directory.h"
#include "tools/train_command_models/command_folder.h"

namespace train_command_models {

class TrainedCommandModels {
 public:
  TrainedCommandModels() {
    std::ostringstream log, errors;
    trained_ = TrainCommandFolder(Corpus(), folder_.path().string(), {}, log, errors) == 0;
    if (!trained_) std::fprintf(stderr, "%s", errors.str().c_str());
  }

  // The bundled commands: waves, "train.list" and "heldout.list".
  static std::string Corpus() { return std::string(WRENDLE_SOURCE_DIR) + "/data/samples/commands"; }

  bool trained() const { return trained_; }
  // A file the training wrote: "Speech", "Syllable", "Pron.txt", "Resources".
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  testing_support::TemporaryDirectory folder_;
  bool trained_ = false;
};

}  // namespace train_command_models
