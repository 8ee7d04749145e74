// An utterance-set file as the hit-ratio measurement reads it: opened (an
// older version is upgraded on disk), then every utterance with both texts
// into the measurement's buffers.
#include <cstdint>
#include <vector>

#include "engine/api/utterance_set_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("set.bin");
  fuzz_support::WriteFile(path, {data, size});
  vok::api::CUtteranceSetFile set;
  if (set.Open(path) != vok::api::kVokOk) return 0;
  std::vector<std::int16_t> samples(165 * 4000 / 2);
  char first[vok::api::CUtteranceSetFile::kTextBytes];
  char second[vok::api::CUtteranceSetFile::kTextBytes];
  for (std::uint32_t i = 0; i < set.header().counts[0] && i < 64; ++i) {
    std::uint32_t frames = 0;
    std::size_t count = 0;
    if (set.ReadUtterance(static_cast<std::int32_t>(i), &frames, samples, &count, first, second) ==
            vok::api::kVokOk &&
        count > samples.size())
      __builtin_trap();
    set.IsUsed(static_cast<std::int32_t>(i));
  }
  for (std::size_t i = 0; i < set.first_lines().count(); ++i) set.first_lines().Line(i);
  return 0;
}
