#include "kernel/ligature_removal.h"

namespace kernel {

std::vector<SegmentRecord> RemoveLigatures(std::vector<CellPoint>& points, std::size_t segment_limit) {
  for (const SegmentMode mode :
       {SegmentMode::kLigaturesAll, SegmentMode::kLigatures, SegmentMode::kLigatures}) {
    LiftMarkedSegments(ExtractSegments(mode, points, segment_limit), points);
  }
  return ExtractSegments(SegmentMode::kSeparateScales, points, segment_limit).segments;
}

}  // namespace kernel
