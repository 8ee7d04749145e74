// A speech corpus list: one utterance a line, "wave<TAB>speaker<TAB>gender
// <TAB>syllables", the gender "M", "F" or "-" (not labelled), the syllables
// toned pinyin separated by blanks ("ni3 hao3" or "NI3 HAO3"); wave paths are
// relative to the list's folder. Empty lines and lines from '#' are skipped.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace train_acoustic_model {

struct CorpusEntry {
  std::string wave;
  std::string speaker;
  char gender = '-';
  std::vector<std::string> syllables;  // the engine's form: "NI3"
};

// The usable entries. A malformed line, or a transcript with a syllable
// outside `inventory`, is reported in `problems` and skipped.
std::vector<CorpusEntry> ParseCorpusList(const std::string& text, const std::string& folder,
                                         const std::set<std::string>& inventory,
                                         std::vector<std::string>* problems);

}  // namespace train_acoustic_model
