// The stages of one cell between the quick pass and matching: ligature
// removal, raster and feature vectors. The dictionary builder runs the same
// stages on its samples.
#pragma once

#include <vector>

#include "kernel/cell.h"
#include "kernel/feature_extractor.h"
#include "kernel/raster.h"
#include "kernel/recognition_dictionary.h"
#include "kernel/segment_record.h"

namespace kernel {

struct CellAnalysis {
  std::vector<CellPoint> points;  // after ligature removal
  std::vector<SegmentRecord> segments;
  Raster raster;
  RawFeatures raw{};
  CellDescription description;
};

// Raster and features of `points` with the segments given; `box` is the
// cell's box in input coordinates.
CellAnalysis DescribeCell(std::vector<CellPoint> points, std::vector<SegmentRecord> segments, const Box& box,
                          const DictionaryLayout& layout);

// Removes the ligatures when the quick pass found more than four segments,
// then describes the cell.
CellAnalysis AnalyzeCell(const Cell& cell, const std::vector<SegmentRecord>& quick_segments,
                         const DictionaryLayout& layout, std::size_t segment_limit);

}  // namespace kernel
