// The handwriting sentence system on lines of held-out text: runs of ten
// Chinese characters from the Chinese manual pages (text that no model
// generator reads), each character written as synthetic ink in the
// benchmark's hasty style under seeds from kBenchmarkSeedBase, the
// characters side by side with gaps of a pen's width. Prints the set-up
// time, the time per line in the lattice engine (segmentation, cell
// recognition, lattice) and in the back end, and the character accuracy of
// the best sentences.
#pragma once

#include <string>
#include <vector>

#include "tools/build_dictionaries/stroke_data.h"

namespace hwr_bench {

void RunLineBench(const std::vector<build_dictionaries::StrokeCharacter>& characters,
                  const std::string& dialect_folder, const std::string& manual_folder);

}  // namespace hwr_bench
