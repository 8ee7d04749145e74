// Builds the three base dictionary files of a code page from stroke data:
// several jittered samples per character, analysed by the kernel's own
// stages, feature divisors from the data, and k-means clusters of the coarse
// vectors whose masks keep every record reachable from its samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "kernel/code_page.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/stroke_data.h"

namespace build_dictionaries {

struct BuildOptions {
  int variants = 4;
  // Enough clusters that the fifteen merged ones stay within the first
  // stage's capacity of 5000 records.
  std::size_t clusters = 400;
  int iterations = 8;
  unsigned jobs = 1;
};

struct BaseDictionary {
  std::vector<std::uint8_t> features;
  std::vector<std::uint8_t> segment_lists;
  std::vector<std::uint8_t> clusters;
  std::size_t characters = 0;
  std::size_t records = 0;
};

BaseDictionary BuildBaseDictionary(kernel::CodePage code_page, const std::vector<StrokeCharacter>& characters,
                                   const CodePageMap& map, const BuildOptions& options);

// Runs `work(i)` for i in [0, count) on `jobs` threads.
void ParallelFor(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace build_dictionaries
