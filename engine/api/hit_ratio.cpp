#include "engine/api/hit_ratio.h"

#include <algorithm>

#include "engine/api/utterance_set_file.h"

namespace vok::api {
namespace {

// The sample buffer of the measurement: frame length x 4000 bytes.
constexpr std::size_t kBufferFramesBytes = 4000;

}  // namespace

VokStatus MeasureHitRatio(const std::string& path, std::size_t frame_length, const UtteranceDecoder& decode,
                          float* ratio) {
  if (ratio == nullptr || !decode) return kVokBadArgument;
  CUtteranceSetFile set;
  if (set.Open(path) != kVokOk) return kVokFileMissing;
  set.Rewind();
  const std::uint32_t total = set.header().counts[0];
  if (total == 0) return kVokInternalFailure;
  std::vector<std::int16_t> samples(frame_length * kBufferFramesBytes / 2);
  char first[CUtteranceSetFile::kTextBytes];
  char reference[CUtteranceSetFile::kTextBytes];
  std::uint32_t hits = 0;
  for (std::int32_t index = 0; static_cast<std::uint32_t>(index) < total; ++index) {
    std::uint32_t frames = 0;
    std::size_t count = 0;
    const VokStatus read = set.ReadUtterance(index, &frames, samples, &count, first, reference);
    if (read == kVokBadArgument) continue;  // a missing entry
    if (read != kVokOk) return read;
    if (!set.IsUsed(index)) continue;
    const auto texts = decode(std::span<const std::int16_t>(samples).first(count));
    const std::size_t compared = std::min(texts.size(), kHitRatioHypotheses);
    if (std::find(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(compared), reference) !=
        texts.begin() + static_cast<std::ptrdiff_t>(compared))
      ++hits;
  }
  *ratio = static_cast<float>(hits) / static_cast<float>(total);
  return kVokOk;
}

}  // namespace vok::api
