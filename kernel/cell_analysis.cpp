#include "kernel/cell_analysis.h"

#include "kernel/ligature_removal.h"

namespace kernel {

CellAnalysis DescribeCell(std::vector<CellPoint> points, std::vector<SegmentRecord> segments, const Box& box,
                          const DictionaryLayout& layout) {
  CellAnalysis analysis;
  analysis.points = std::move(points);
  analysis.segments = std::move(segments);
  analysis.raster = RasterizeInk(analysis.points, box);
  analysis.raw = ComputeRawFeatures(analysis.raster);
  analysis.description.fine.resize(layout.fine_divisors.size());
  analysis.description.coarse.resize(layout.coarse_divisors.size());
  DivideFeatures(analysis.raw, layout.fine_divisors, analysis.description.fine);
  DivideFeatures(std::span<const std::int32_t>(analysis.raw).first(kCoarseFeatureCount),
                 layout.coarse_divisors, analysis.description.coarse);
  analysis.description.segment_count = static_cast<int>(analysis.segments.size());
  return analysis;
}

CellAnalysis AnalyzeCell(const Cell& cell, const std::vector<SegmentRecord>& quick_segments,
                         const DictionaryLayout& layout, std::size_t segment_limit) {
  std::vector<CellPoint> points = cell.points;
  std::vector<SegmentRecord> segments = quick_segments;
  if (quick_segments.size() > kLigatureSegmentThreshold) segments = RemoveLigatures(points, segment_limit);
  return DescribeCell(std::move(points), std::move(segments), cell.box, layout);
}

}  // namespace kernel
