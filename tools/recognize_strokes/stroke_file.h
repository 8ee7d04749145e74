// Text files of handwriting: one stroke per line as "x,y" points in screen
// pixels separated by blanks; blank lines and lines starting with '#' are
// skipped.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "common/stroke_list.h"

namespace wrendle {

struct StrokeFileResult {
  std::vector<StrokeEntry> list;  // a StrokeList with its end entry
  std::string error;              // empty when the file was read whole
};

StrokeFileResult ReadStrokeFile(std::istream& in);

}  // namespace wrendle
