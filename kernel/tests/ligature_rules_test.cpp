#include "kernel/ligature_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kernel/segment_extractor.h"

namespace {

using kernel::SegmentRecord;

struct Pt {
  int x;
  int y;
};

// Segments with their link codes from strokes given by their corners on the
// grid.
std::vector<SegmentRecord> Strokes(std::initializer_list<std::initializer_list<Pt>> strokes) {
  std::vector<kernel::CellPoint> points;
  for (const auto& stroke : strokes) {
    for (const Pt& p : stroke) points.push_back({p.x, p.y, 1});
    points.back().pen_continues = 0;
  }
  return kernel::BuildSegments(points, false, kernel::kKernelSegmentLimit);
}

enum class RuleSet { kOne, kThree, kPen };

kernel::RuleTrace Apply(RuleSet set, std::vector<SegmentRecord> segments) {
  kernel::RuleTrace trace;
  switch (set) {
    case RuleSet::kOne:
      kernel::ApplyRuleSet1(segments, &trace);
      break;
    case RuleSet::kThree:
      kernel::ApplyRuleSet3(segments, 80, &trace);
      break;
    case RuleSet::kPen:
      kernel::ApplyPenRule(segments, &trace);
      break;
  }
  for (const kernel::RuleFiring& firing : trace)
    EXPECT_TRUE(segments[firing.segment].removed()) << firing.rule;
  return trace;
}

struct RuleCase {
  const char* name;
  RuleSet set;
  std::vector<SegmentRecord> cursive;  // the rule fires
  std::vector<int> marked;             // on these segments
  std::vector<SegmentRecord> clean;    // nothing fires
};

class LigatureRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(LigatureRuleTest, FiresOnCursiveFixtureOnly) {
  std::string rule = GetParam().name;
  rule = rule == "pen" ? rule : rule.substr(1, 1) + ":" + rule.substr(3);
  kernel::RuleTrace expected;
  for (const int segment : GetParam().marked) expected.push_back({rule, segment});
  EXPECT_EQ(Apply(GetParam().set, GetParam().cursive), expected);
  EXPECT_EQ(Apply(GetParam().set, GetParam().clean), kernel::RuleTrace{});
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LigatureRuleTest,
    ::testing::Values(
        // A tiny lead-in before a long stroke.
        RuleCase{"r1_10",
                 RuleSet::kOne,
                 Strokes({{{10, 12}, {12, 14}, {52, 14}}}),
                 {0},
                 Strokes({{{10, 4}, {20, 14}, {52, 14}}})},
        // A tiny tail after a long stroke.
        RuleCase{"r1_20",
                 RuleSet::kOne,
                 Strokes({{{10, 10}, {60, 10}, {62, 12}}}),
                 {1},
                 Strokes({{{10, 10}, {60, 10}, {62, 30}}})},
        // A short flick upwards at the end.
        RuleCase{"r1_25",
                 RuleSet::kOne,
                 Strokes({{{10, 40}, {50, 40}, {50, 30}}}),
                 {1},
                 Strokes({{{10, 40}, {50, 40}, {50, 50}}})},
        // A short join between two long strokes.
        RuleCase{"r1_30",
                 RuleSet::kOne,
                 Strokes({{{10, 10}, {50, 10}, {52, 12}, {52, 50}}}),
                 {1},
                 Strokes({{{10, 10}, {50, 10}, {52, 30}, {52, 50}}})},
        // A rising join between two level strokes.
        RuleCase{"r1_40",
                 RuleSet::kOne,
                 Strokes({{{10, 50}, {40, 50}, {40, 20}, {70, 20}}}),
                 {1},
                 Strokes({{{10, 20}, {40, 20}, {40, 50}, {70, 50}}})},
        // A stroke drawn right to left.
        RuleCase{
            "r1_90", RuleSet::kOne, Strokes({{{60, 10}, {10, 10}}}), {0}, Strokes({{{10, 10}, {60, 10}}})},
        // A return up and to the left after a level stroke.
        RuleCase{"r1_130",
                 RuleSet::kOne,
                 Strokes({{{10, 50}, {50, 50}, {30, 20}}}),
                 {1},
                 Strokes({{{10, 50}, {50, 50}, {70, 20}}})},
        // A leftward join from a vertical into a level stroke.
        RuleCase{"r3_10",
                 RuleSet::kThree,
                 Strokes({{{20, 10}, {20, 40}, {10, 42}, {40, 42}}}),
                 {1},
                 Strokes({{{20, 10}, {20, 40}, {10, 38}, {40, 38}}})},
        // A separate rising stroke that jumps above the ink so far.
        RuleCase{"r3_jump",
                 RuleSet::kThree,
                 Strokes({{{10, 10}, {10, 70}}, {{20, 60}, {60, 20}}}),
                 {1},
                 Strokes({{{10, 10}, {10, 70}}, {{20, 60}, {60, 50}}})},
        // Loops of a cursive turn: prev and next cross around a rightward j.
        RuleCase{"r1_60",
                 RuleSet::kOne,
                 Strokes({{{40, 40}, {20, 20}, {50, 20}, {30, 50}, {20, 60}}}),
                 {0},
                 Strokes({{{40, 40}, {20, 20}, {50, 20}, {45, 35}, {20, 60}}})},
        RuleCase{"r1_50",
                 RuleSet::kOne,
                 Strokes({{{40, 40}, {20, 20}, {50, 20}, {30, 50}, {60, 60}}}),
                 {0, 2},
                 Strokes({{{40, 40}, {20, 20}, {50, 20}, {45, 35}, {60, 60}}})},
        RuleCase{"r1_80",
                 RuleSet::kOne,
                 Strokes({{{30, 5}, {40, 20}, {20, 50}, {50, 50}, {30, 20}}}),
                 {3},
                 Strokes({{{30, 5}, {40, 20}, {20, 50}, {50, 50}, {55, 40}}})},
        RuleCase{"r1_70",
                 RuleSet::kOne,
                 Strokes({{{30, 5}, {40, 20}, {20, 50}, {50, 50}, {30, 25}}}),
                 {1, 3},
                 Strokes({{{30, 5}, {40, 20}, {20, 50}, {50, 50}, {55, 40}}})},
        // Reversals left of ink already written.
        RuleCase{"r1_100",
                 RuleSet::kOne,
                 Strokes({{{60, 10}, {60, 50}}, {{30, 60}, {30, 20}, {30, 70}}}),
                 {1},
                 Strokes({{{10, 10}, {10, 50}}, {{30, 60}, {30, 20}, {30, 70}}})},
        RuleCase{"r1_110",
                 RuleSet::kOne,
                 Strokes({{{60, 10}, {60, 50}}, {{30, 20}, {30, 60}, {30, 15}}}),
                 {2},
                 Strokes({{{10, 10}, {10, 50}}, {{30, 20}, {30, 60}, {30, 15}}})},
        RuleCase{"r1_120",
                 RuleSet::kOne,
                 Strokes({{{70, 10}, {70, 80}}, {{47, 20}, {35, 60}, {47, 20}, {50, 60}}}),
                 {2},
                 Strokes({{{10, 10}, {10, 80}}, {{47, 20}, {35, 60}, {47, 20}, {50, 60}}})},
        // Joins inside a chain.
        RuleCase{"r1_140",
                 RuleSet::kOne,
                 Strokes({{{40, 10}, {20, 50}, {25, 30}, {50, 60}}}),
                 {1},
                 Strokes({{{40, 10}, {20, 50}, {25, 60}, {50, 70}}})},
        RuleCase{"r1_150",
                 RuleSet::kOne,
                 Strokes({{{20, 10}, {20, 50}, {50, 20}, {10, 40}}}),
                 {1},
                 Strokes({{{20, 10}, {20, 50}, {50, 20}, {30, 30}}})},
        RuleCase{"r1_160",
                 RuleSet::kOne,
                 Strokes({{{10, 30}, {50, 30}, {30, 50}, {40, 10}}}),
                 {1},
                 Strokes({{{10, 30}, {50, 30}, {30, 50}, {35, 40}}})},
        RuleCase{"r1_165",
                 RuleSet::kOne,
                 Strokes({{{10, 30}, {50, 30}, {30, 50}, {25, 10}}}),
                 {2},
                 Strokes({{{10, 30}, {50, 30}, {30, 50}, {35, 40}}})},
        RuleCase{"r1_170",
                 RuleSet::kOne,
                 Strokes({{{50, 50}, {20, 20}, {20, 60}, {50, 30}}}),
                 {0, 2},
                 Strokes({{{50, 50}, {20, 20}, {20, 60}, {30, 55}}})},
        RuleCase{"r1_175",
                 RuleSet::kOne,
                 Strokes({{{10, 50}, {40, 20}, {15, 35}, {50, 60}}}),
                 {1},
                 Strokes({{{10, 50}, {40, 20}, {15, 35}, {5, 60}}})},
        RuleCase{"r1_180",
                 RuleSet::kOne,
                 Strokes({{{10, 60}, {50, 35}, {30, 15}, {30, 60}}}),
                 {1},
                 Strokes({{{10, 60}, {50, 35}, {30, 15}, {20, 20}}})},
        RuleCase{"r3_15",
                 RuleSet::kThree,
                 Strokes({{{10, 10}, {30, 40}, {40, 35}, {70, 35}}}),
                 {1},
                 Strokes({{{10, 10}, {30, 40}, {40, 35}, {40, 70}}})},
        // Two verticals joined by a rising stroke.
        RuleCase{"r3_20",
                 RuleSet::kThree,
                 Strokes({{{20, 10}, {20, 60}, {40, 20}, {40, 70}, {60, 70}}}),
                 {1},
                 Strokes({{{20, 10}, {20, 60}, {40, 20}, {40, 70}, {20, 70}}})},
        RuleCase{"r3_30",
                 RuleSet::kThree,
                 Strokes({{{20, 10}, {20, 60}, {40, 20}, {40, 70}}}),
                 {1},
                 Strokes({{{20, 10}, {20, 60}, {40, 50}, {40, 80}}})},
        RuleCase{"r3_40",
                 RuleSet::kThree,
                 Strokes({{{20, 10}, {20, 60}, {40, 20}, {40, 70}}, {{50, 40}, {30, 45}}}),
                 {1},
                 Strokes({{{20, 10}, {20, 60}, {40, 20}, {40, 70}}, {{50, 40}, {45, 45}}})},
        RuleCase{"r3_50",
                 RuleSet::kThree,
                 Strokes({{{10, 5}, {20, 60}, {40, 15}, {70, 15}}}),
                 {1},
                 Strokes({{{10, 5}, {20, 60}, {40, 15}, {10, 15}}})},
        RuleCase{"r3_55",
                 RuleSet::kThree,
                 Strokes({{{50, 10}, {20, 50}, {35, 30}, {35, 70}}}),
                 {1},
                 Strokes({{{50, 10}, {20, 50}, {60, 30}, {60, 70}}})},
        RuleCase{"r3_80",
                 RuleSet::kThree,
                 Strokes({{{10, 20}, {40, 20}, {45, 40}, {75, 40}}, {{60, 10}, {60, 60}}}),
                 {1},
                 Strokes({{{10, 20}, {40, 20}, {45, 40}, {75, 40}}, {{80, 10}, {80, 60}}})},
        // A step between two level strokes after a falling stroke, before a vertical.
        RuleCase{
            "pen",
            RuleSet::kPen,
            Strokes({{{50, 10}, {30, 30}}, {{10, 40}, {40, 40}, {45, 35}, {70, 35}}, {{60, 40}, {60, 70}}}),
            {2},
            Strokes({{{50, 10}, {30, 30}}, {{10, 40}, {40, 40}, {45, 35}, {70, 35}}, {{60, 40}, {70, 40}}})}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(LigatureRulesTest, MarkingClearsTheJoinsOfTheNeighbours) {
  std::vector<SegmentRecord> segments = Strokes({{{10, 10}, {50, 10}, {52, 12}, {52, 50}}});
  kernel::ApplyRuleSet1(segments);
  EXPECT_EQ(segments[0].link, 0);
  EXPECT_EQ(segments[1].link, kernel::kLinkRemoved);
  EXPECT_EQ(segments[2].link, 0);
}

// Too short for any rule's pattern: nothing fires, and (under the address
// sanitizer) nothing is read past the list.
TEST(LigatureRulesTest, ShortListsFireNothing) {
  for (const auto& segments : {Strokes({{{10, 10}, {12, 12}}}), Strokes({{{10, 10}, {10, 10}, {50, 10}}}),
                               std::vector<SegmentRecord>{}}) {
    for (const RuleSet set : {RuleSet::kOne, RuleSet::kThree, RuleSet::kPen}) {
      EXPECT_EQ(Apply(set, segments), kernel::RuleTrace{}) << segments.size() << " segments";
    }
  }
}

}  // namespace
