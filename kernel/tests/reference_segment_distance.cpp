#include "kernel/tests/reference_segment_distance.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kernel_reference {

using kernel::kMaxComparedSegments;
using kernel::SegmentRecord;
namespace {

constexpr int kFreeCost = 30000;
constexpr int kMaxRounds = 1000;

struct Described {
  SegmentRecord segment;
  int direction;
  int rel;
};

std::vector<Described> Describe(std::span<const SegmentRecord> list) {
  const std::size_t n = std::min(list.size(), kMaxComparedSegments);
  int total = 0;
  for (std::size_t i = 0; i < n; ++i) total += list[i].manhattan();
  std::vector<Described> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back({list[i], list[i].direction(), total == 0 ? 0 : 250 * list[i].manhattan() / total});
  }
  return out;
}

int CyclicGap(int a, int b) {
  const int gap = std::abs(a - b) % 8;
  return std::min(gap, 8 - gap);
}

bool ConnectingStroke(const Described& s) {
  return s.segment.link >= 16 && s.direction >= 1 && s.direction <= 4;
}

int BaseCost(const Described& a, const Described& b) {
  return std::abs(a.rel - b.rel) + std::abs(a.segment.x0 - b.segment.x0) +
         std::abs(a.segment.y0 - b.segment.y0) + std::abs(a.segment.x1 - b.segment.x1) +
         std::abs(a.segment.y1 - b.segment.y1);
}

// Rounds of matching: each unmatched segment of `p` takes the cheapest
// segment of `q` whose holder paid more. Returns the partner in `q` per
// segment of `p` (-1 none) and the cost paid.
template <typename Cost>
void MatchRounds(const std::vector<Described>& p, const std::vector<Described>& q, Cost cost,
                 std::vector<int>& partner, std::vector<int>& paid) {
  partner.assign(p.size(), -1);
  paid.assign(p.size(), 0);
  std::vector<int> holder(q.size(), -1);
  std::vector<int> holder_cost(q.size(), kFreeCost);
  for (int round = 0; round < kMaxRounds; ++round) {
    bool matched_any = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
      if (partner[i] >= 0 || ConnectingStroke(p[i])) continue;
      int best = -1;
      int best_cost = 0;
      for (std::size_t j = 0; j < q.size(); ++j) {
        const int c = cost(i, j);
        if (c < holder_cost[j] && (best < 0 || c < best_cost)) {
          best = static_cast<int>(j);
          best_cost = c;
        }
      }
      if (best < 0) continue;
      if (holder[best] >= 0) partner[static_cast<std::size_t>(holder[best])] = -1;
      holder[best] = static_cast<int>(i);
      holder_cost[best] = best_cost;
      partner[i] = best;
      paid[i] = best_cost;
      matched_any = true;
    }
    if (!matched_any) return;
    bool all_matched = true;
    for (std::size_t i = 0; i < p.size(); ++i) {
      if (partner[i] < 0 && !ConnectingStroke(p[i])) all_matched = false;
    }
    if (all_matched) return;
  }
}

}  // namespace

int ReferenceSegmentDistanceA(std::span<const SegmentRecord> p_list, std::span<const SegmentRecord> q_list) {
  const std::vector<Described> p = Describe(p_list);
  const std::vector<Described> q = Describe(q_list);
  auto cost = [&](std::size_t i, std::size_t j) {
    if (CyclicGap(p[i].direction, q[j].direction) > 1) return 160;
    int c = BaseCost(p[i], q[j]);
    if (p[i].direction != q[j].direction) c = static_cast<int>(c * 1.2);
    if (j < p.size() && p[j].direction % 2 == 1) c = static_cast<int>(c * 1.2);
    return c;
  };
  std::vector<int> partner;
  std::vector<int> paid;
  MatchRounds(p, q, cost, partner, paid);
  int sum = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (ConnectingStroke(p[i])) continue;
    if (partner[i] >= 0) {
      const int k = paid[i];
      if (k >= 61) {
        sum += static_cast<int>(k * 0.5);
      } else if (k >= 41) {
        sum += static_cast<int>(k * 0.4);
      } else if (k >= 10) {
        sum += static_cast<int>(k * 0.2);
      }
      continue;
    }
    const int length = p[i].segment.manhattan();
    double factor = 4.5;
    if (p[i].segment.link >= 17) {
      if (p[i].direction >= 1 && p[i].direction <= 4) {
        factor = 0.5;
      } else if (p.size() > 5 && p[i].direction == 5) {
        factor = 2.0;
      }
    }
    sum += static_cast<int>(length * factor);
  }
  return sum;
}

int ReferenceSegmentDistanceB(std::span<const SegmentRecord> p_list, std::span<const SegmentRecord> q_list) {
  const std::vector<Described> p = Describe(p_list);
  const std::vector<Described> q = Describe(q_list);
  auto cost = [&](std::size_t i, std::size_t j) {
    const int gap = CyclicGap(p[i].direction, q[j].direction);
    const int c = BaseCost(p[i], q[j]);
    if (gap == 1) return static_cast<int>(c * 1.2);
    if (gap > 1) return static_cast<int>(c * 1.8);
    return c;
  };
  std::vector<int> partner;
  std::vector<int> paid;
  MatchRounds(p, q, cost, partner, paid);
  double sum = 0;
  std::vector<int> partner_of_q(q.size(), -1);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (ConnectingStroke(p[i])) continue;
    if (partner[i] >= 0) {
      const int k = paid[i];
      sum += k >= 41 ? k : static_cast<int>(k * 0.5);
      partner_of_q[static_cast<std::size_t>(partner[i])] = static_cast<int>(i);
    } else {
      sum += 2 * (p[i].segment.manhattan() + p[i].rel);
    }
  }
  int out_of_order = 0;
  int latest = -1;
  bool broken_sequence = false;
  for (std::size_t j = 0; j < q.size(); ++j) {
    const int mine = partner_of_q[j];
    if (mine < 0) {
      sum += q[j].segment.manhattan() + q[j].rel;
      continue;
    }
    if (mine < latest) ++out_of_order;
    latest = std::max(latest, mine);
    if (j > 0 && partner_of_q[j - 1] >= 0 && mine != partner_of_q[j - 1] + 1) broken_sequence = true;
  }
  if (out_of_order > 3) sum = static_cast<int>(sum * 1.5);
  if (broken_sequence) sum = static_cast<int>(sum * 1.5);
  return static_cast<int>(sum);
}

}  // namespace kernel_reference
