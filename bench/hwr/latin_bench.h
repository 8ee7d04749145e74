// The Latin recognizer of the engine on letters and digits of the SVG fonts
// written under the letter benchmark's held-out seeds and style, beside the
// letter recognizer with its generated template file on the same letters.
#pragma once

#include <string>

namespace hwr_bench {

// Prints one line per recognizer; false when the fonts cannot be read.
bool RunLatinBench(const std::string& model_folder, const std::string& fonts_folder,
                   const std::string& template_folder);

}  // namespace hwr_bench
