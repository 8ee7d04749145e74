// The open recognizer zinnia with the tegaki Simplified Chinese model, when
// Debian's zinnia-utils and tegaki-zinnia-simplified-chinese are installed:
// the same inks in one batch through its command-line program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/stroke_list.h"

namespace bench {

struct PeerFigures {
  std::size_t written = 0;
  std::size_t top1 = 0;
  std::size_t top10 = 0;
  double microseconds = 0;  // per character, the program's start included
};

// nullopt when the program or its model is missing or fails.
std::optional<PeerFigures> RunPeer(const std::vector<std::vector<wrendle::StrokeEntry>>& inks,
                                   const std::vector<std::string>& answers,
                                   const std::string& work_directory);

}  // namespace bench
