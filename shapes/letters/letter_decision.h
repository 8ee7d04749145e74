// From the best matches of the three groups to a decision: each group's
// confidence code, then one score for the letter.
//
// A confidence code has two digits. The units digit is 1 when the group is
// confident. The tens digit tells how the codes of the three best matches
// agree: 1 all three alike, 3 or 5 the first two alike, 6 the first and the
// third alike, 9 the first alone.
#pragma once

#include <optional>
#include <span>

#include "shapes/letters/template_matcher.h"

namespace letters {

// Scores below this are not confident enough to answer.
inline constexpr int kAcceptedScore = 70;

// Equal codes, or a look-alike pair such as 'o' and 'O' or '1' and 'l'.
bool CodesAlike(int first, int second);

// One of the group's best matches with its template.
struct RankedMatch {
  int code = -1;  // -1 when the group had fewer templates
  bool under_threshold = false;
  bool under_a_with_kind_1 = false;
};

// The rank-th match of a group, or an empty one past the end of the list.
RankedMatch RankOf(std::span<const TemplateMatch> best, const TemplateGroup& group, std::size_t rank);

int GroupConfidence(const RankedMatch& r0, const RankedMatch& r1, const RankedMatch& r2);

// Confidence codes and top codes (-1 for a group without templates) of
// groups 0, 1 and 2.
int DecisionScore(const int confidence[3], const int top_code[3]);

}  // namespace letters
