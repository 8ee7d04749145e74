// Writer of the handwriting sentence engine's stroke files for tests and
// fuzz seeds, independent of the engine's reader: the stroke count, the
// point counts, a zero, then every point as "y x", each number in a field of
// five characters.
#pragma once

#include <string>
#include <vector>

#include "engine/core/hwr_ink_features.h"

namespace vok_testing {

std::string WriteHwrStrokeFile(const std::vector<std::vector<vok::InkPoint>>& strokes);

}  // namespace vok_testing
