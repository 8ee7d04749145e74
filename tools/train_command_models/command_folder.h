// The command models' files from a corpus of spoken commands: the model file
// "Speech", the syllable table "Syllable" spelled with the models, the
// pronunciations "Pron.txt" of every phrase of the corpus, and the "Vastel"
// and "Search" keys of a "Resources" that loads them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/model_writer/hmm_model_writer.h"
#include "tools/train_command_models/command_models.h"

namespace train_command_models {

struct CommandFolderOptions {
  std::string frontEndSpec;  // empty: the front end's built-in set-up
  CommandModelOptions models;
  // The database's and the search's settings written to "Resources".
  float bailOut = 20.0f;
  // The engine's shipped value.
  float logProbMultiple = 13.0f;
};

// A phrase of the corpus: its syllables ("DA3", "KAI1") and its word, the
// syllables joined in lower case ("da3kai1").
struct Phrase {
  std::vector<std::string> syllables;
  std::string word;
};

// The model file's form of the models, each state's Gaussian a pair of its
// own whose centre the shared centre decoder codes; `error` tells why the
// result is not to be written.
hmm_model_writer::Model ModelFileContents(const CommandModels& models,
                                          const std::vector<std::vector<float>>& means,
                                          const std::vector<std::vector<float>>& scales, std::string* error);

// The syllable table text (each syllable spelled by its own model) and the
// pronunciation text (one line per phrase, in the given order).
std::string SyllableText(const std::vector<std::string>& syllables);
std::string PronunciationText(const std::vector<Phrase>& phrases);

// Trains on CORPUS/train.list (wave, speaker, gender, toned pinyin), writes
// the four files into `out`, and measures CORPUS/heldout.list when it
// exists. 0, or 1 with the reason on `errors`.
int TrainCommandFolder(const std::string& corpus, const std::string& out, const CommandFolderOptions& options,
                       std::ostream& log, std::ostream& errors);

}  // namespace train_command_models
