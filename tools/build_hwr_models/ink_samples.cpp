#include "tools/build_hwr_models/ink_samples.h"

#include <algorithm>

namespace build_hwr_models {

EngineInk ToEngineInk(const std::vector<wrendle::StrokeEntry>& list) {
  EngineInk ink;
  std::size_t i = 0;
  while (i < list.size() && list[i].x > 0) {
    const auto count = static_cast<std::size_t>(list[i].x);
    ++i;
    int kept = 0;
    for (std::size_t p = 0; p < count && i + p < list.size(); ++p) {
      if (ink.points.size() >= vok::kMaxInkPoints) break;
      ink.points.push_back({static_cast<int16_t>(list[i + p].y), static_cast<int16_t>(list[i + p].x)});
      ++kept;
    }
    i += count;
    if (kept > 0 && ink.counts.size() < vok::kMaxJoinStrokes) {
      ink.counts.push_back(kept);
    } else if (kept > 0) {
      ink.points.resize(ink.points.size() - kept);
    }
  }
  return ink;
}

AnalysedInk AnalyseInk(const EngineInk& ink, int class_index, bool latin) {
  AnalysedInk result;
  result.class_index = class_index;
  vok::InkPoint trace[vok::kMaxInkPoints];
  const int n =
      vok::JoinStrokes(ink.points.data(), ink.counts.data(), static_cast<int>(ink.counts.size()), trace);
  if (n < 0) return result;
  if (latin) {
    vok::LatinCharacterFeatures(trace, n, ink.points.data(), ink.counts.data(),
                                static_cast<int>(ink.counts.size()), &result.features);
  } else {
    vok::ChineseCharacterFeatures(trace, n, &result.features);
  }

  // Where each stroke starts in the joined trace: the join appends fill
  // points after a stroke, so find each stroke's first point in order.
  std::vector<int> joined_starts;
  int search = 0;
  int first = 0;
  for (int count : ink.counts) {
    const vok::InkPoint p = ink.points[first];
    while (search < n && (trace[search].y != p.y || trace[search].x != p.x)) ++search;
    joined_starts.push_back(std::min(search, n - 1));
    first += count;
    search += count;
  }
  const int steps = vok::ObservationTrace(trace, n);
  if (steps < 1) return result;
  // Output point k of the observation trace sits at index k (n - 1) / steps.
  for (int start : joined_starts) {
    result.stroke_starts.push_back(n > 1 ? static_cast<int>(static_cast<int64_t>(start) * steps / (n - 1))
                                         : 0);
  }
  for (int t = 0; t < steps; ++t) {
    result.steps.push_back(trace[t + 1].y - trace[t].y);
    result.steps.push_back(trace[t + 1].x - trace[t].x);
  }
  result.valid = true;
  return result;
}

build_dictionaries::InkStyle CursiveStyle() {
  build_dictionaries::InkStyle style;
  style.connect = 0.6;
  return style;
}

}  // namespace build_hwr_models
