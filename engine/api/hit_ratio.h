// The share of the utterances of a set whose N-best list holds the reference
// text (each utterance's second text), as `__VOKGetHitRatio` measures it with
// a grammar's command network. The decoding is the caller's: it turns one
// utterance's samples (all of them: the set's frame count is in blocks of the
// set's frame length, not the search's frames) into the texts of its
// hypotheses, best first.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/api/vok_status.h"

namespace vok::api {

inline constexpr std::size_t kHitRatioHypotheses = 10;

using UtteranceDecoder = std::function<std::vector<std::string>(std::span<const std::int16_t> samples)>;

// kVokOk with hits / first count in `ratio` (skipped and missing utterances
// count in the divisor); kVokFileMissing for a file that cannot be opened,
// has an unknown version or a record that does not fit; -1 for a set
// without utterances. At most the first 10 hypotheses are compared, byte by
// byte.
VokStatus MeasureHitRatio(const std::string& path, std::size_t frame_length, const UtteranceDecoder& decode,
                          float* ratio);

}  // namespace vok::api
