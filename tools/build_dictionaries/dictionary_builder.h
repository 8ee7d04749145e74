// Builds the three base dictionary files of a code page from stroke data:
// many samples per character in styles from neat to hasty and joined-up,
// analysed by the kernel's own stages; feature divisors from the data; a few
// records per character, one per group of its samples (k-medoids over their
// fine vectors) with segment lists of several members; and k-means clusters
// of the coarse vectors whose masks put each record where its samples lie,
// so every record stays reachable. Then passes of probes, written anew each
// pass and recognized by the kernel with the records so far: the probes a
// character loses become records of its own, where they lie.
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
  // Big5 instead: lists per record of its first and its second level, the
  // file's L the larger, the other records' lists filled up with empty ones.
  int big5_first_level_lists = 1;
  int big5_second_level_lists = 6;
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
  // Passes that write probes of every character under seeds of their own,
  // recognize them with the records so far, and add records for the lost
  // ones: at most this many per character and pass. At most
  // kMaxRefiningPasses passes and kMaxProbes probes.
  int refining_passes = 3;
  int probes = 24;
  int records_per_pass = 3;
  unsigned jobs = 1;
};

struct BaseDictionary {
  std::vector<std::uint8_t> features;
  std::vector<std::uint8_t> segment_lists;
  std::vector<std::uint8_t> clusters;
  std::size_t characters = 0;
  std::size_t records = 0;
  // The refining passes that ran: fewer than asked when the files written
  // so far did not load.
  std::size_t refining_passes = 0;
};

BaseDictionary BuildBaseDictionary(kernel::CodePage code_page, const std::vector<StrokeCharacter>& characters,
                                   const CodePageMap& map, const BuildOptions& options);

// Runs `work(i)` for i in [0, count) on `jobs` threads.
void ParallelFor(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace build_dictionaries
