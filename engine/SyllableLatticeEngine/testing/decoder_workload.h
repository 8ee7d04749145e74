// The stack decoder's workloads: a language of 60,000 words in 500 classes
// with a backward pronunciation tree of 400 syllables, the lattices the
// benchmark times, and a text of everything a decode reads out, which the
// tests compare with the text a known-good decoder gave.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/core_lm.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"

namespace vok {
class BackTraceTable;
class StackDecoder;
}  // namespace vok

namespace vok_testing {

inline constexpr int kWorkloadWords = 60000;
inline constexpr int kWorkloadClasses = 500;
inline constexpr int kWorkloadSyllables = 400;

// The model and lexicon files are written to `file_prefix` + "model.bin" and
// "lexicon.txt", read and removed; options "LMBackend" "WordInsertionPenalty"
// -50. Word ids equal tree entries: every word gets one to three syllables.
// ok() when both files were written and read.
struct DecoderLanguage {
  explicit DecoderLanguage(const std::string& file_prefix);
  bool ok() const { return core && core->status() == 0 && lexicon && lexicon->status() == 0; }
  vok::Resources options;
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::CLexicon> lexicon;
  std::unique_ptr<vok::CLexTree> tree;
};

// A decoder of the language with its options.
std::unique_ptr<vok::StackDecoder> MakeWorkloadDecoder(const DecoderLanguage& language);

// Frames 1..frames with `per_frame` entries each of labels first_label to
// labels - 1, spanning up to `span` frames, and the finishing frame.
void FillWorkloadLattice(vok::BackTraceTable* table, int frames, int per_frame, int span, int labels,
                         int first_label);

// The decode's return value and counts, the 50-best list (floor -10000), and
// the alternatives and reference score of its best sentence, one item a line.
std::string DescribeDecode(vok::StackDecoder* decoder, int decode_result);

// FNV-1a over the text.
uint64_t Digest(const std::string& text);

}  // namespace vok_testing
