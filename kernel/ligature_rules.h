// Rules that mark the connecting strokes of cursive writing (ligatures)
// among the segments of a cell.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "kernel/segment_record.h"

namespace kernel {

// The rules that fired, in order, with the segment each marked ("1:10",
// "3:jump", "pen", ...).
struct RuleFiring {
  std::string_view rule;
  int segment;
  bool operator==(const RuleFiring&) const = default;
};
using RuleTrace = std::vector<RuleFiring>;

// `grid_height` is the cell's height on the grid.
void ApplyRuleSet1(std::span<SegmentRecord> segments, RuleTrace* trace = nullptr);
void ApplyRuleSet3(std::span<SegmentRecord> segments, int grid_height, RuleTrace* trace = nullptr);
void ApplyPenRule(std::span<SegmentRecord> segments, RuleTrace* trace = nullptr);

}  // namespace kernel
