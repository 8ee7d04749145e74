// Builds the three base dictionary files of a code page from stroke data:
// many samples per character in styles from neat to hasty and joined-up,
// analysed by the kernel's own stages; feature divisors from the data; a few
// records per character, one per group of its samples (k-medoids over their
// fine vectors) with segment lists of several members; and k-means clusters
// of the coarse vectors whose masks put each record where its samples lie,
// so every record stays reachable.
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
  int samples = 48;  // written per character, at most kMaxDictionaryVariants
  // Records per character, at most: groups of its neat samples, and of the
  // hasty ones.
  int neat_records = 2;
  int hasty_records = 6;
  // Segment lists per record (L), from the members of its group: the most
  // central one first, then each time the one farthest from those taken.
  int lists_per_record = 2;
  // The first this many samples of a character place its records in the
  // clusters nearest to them, the others only shape the records: the
  // merged masks stay as large as with that many samples.
  int placing_samples = 32;
  // Enough clusters that the merged ones mostly stay within the first
  // stage's capacity of 5000 records.
  std::size_t clusters = 400;
  int iterations = 8;
  // k-means runs on at most this many samples, taken evenly.
  std::size_t clustering_samples = 60000;
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
