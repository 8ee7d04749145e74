#include "kernel/segment_distance.h"

#include <algorithm>
#include <cstdlib>

namespace kernel {
namespace {

constexpr int kFreeCost = 30000;
constexpr int kMaxRounds = 1000;
constexpr std::size_t kN = kMaxComparedSegments;

using Entry = DescribedSegments::Entry;
using Costs = SegmentComparer::Costs;

int CyclicGap(int a, int b) {
  const int gap = std::abs(a - b) % 8;
  return std::min(gap, 8 - gap);
}

// A base cost is at most 250 + 4 x 255; the tables give trunc(c x 1.2) and
// trunc(c x 1.8) for every cost up to that (and 1.2 applied twice), computed
// in double as the definitions read, and the cyclic gap of two directions.
constexpr int kMaxCost = 2048;
struct CostScales {
  std::array<int, kMaxCost> times_1_2;
  std::array<int, kMaxCost> times_1_8;
  std::array<std::array<int, 8>, 8> gap;
};

const CostScales& Scales() {
  static const CostScales scales = [] {
    CostScales t{};
    for (int c = 0; c < kMaxCost; ++c) {
      t.times_1_2[static_cast<std::size_t>(c)] = static_cast<int>(c * 1.2);
      t.times_1_8[static_cast<std::size_t>(c)] = static_cast<int>(c * 1.8);
    }
    for (int a = 0; a < 8; ++a) {
      for (int b = 0; b < 8; ++b)
        t.gap[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = CyclicGap(a, b);
    }
    return t;
  }();
  return scales;
}

int BaseCost(const Entry& a, const Entry& b) {
  return std::abs(a.rel - b.rel) + std::abs(a.segment.x0 - b.segment.x0) +
         std::abs(a.segment.y0 - b.segment.y0) + std::abs(a.segment.x1 - b.segment.x1) +
         std::abs(a.segment.y1 - b.segment.y1);
}

// Matching within neighbouring directions, walking p; base(i, j) is the base
// cost of p's segment i and q's segment j.
template <typename Base>
void CostsA(const DescribedSegments& p, const DescribedSegments& q, Base base, Costs& costs) {
  const CostScales& scales = Scales();
  for (std::size_t i = 0; i < p.size; ++i) {
    int* row = &costs[i * kN];
    const int direction = p.entries[i].direction;
    const std::array<int, 8>& gaps = scales.gap[static_cast<std::size_t>(direction)];
    for (std::size_t j = 0; j < q.size; ++j) {
      const int other = q.entries[j].direction;
      if (gaps[static_cast<std::size_t>(other)] > 1) {
        row[j] = 160;
        continue;
      }
      int c = base(i, j);
      if (direction != other) c = scales.times_1_2[static_cast<std::size_t>(c)];
      if (j < p.size && p.entries[j].direction % 2 == 1) c = scales.times_1_2[static_cast<std::size_t>(c)];
      row[j] = c;
    }
  }
}

// Matching of every pair, walking p.
template <typename Base>
void CostsB(const DescribedSegments& p, const DescribedSegments& q, Base base, Costs& costs) {
  const CostScales& scales = Scales();
  for (std::size_t i = 0; i < p.size; ++i) {
    int* row = &costs[i * kN];
    const std::array<int, 8>& gaps = scales.gap[static_cast<std::size_t>(p.entries[i].direction)];
    for (std::size_t j = 0; j < q.size; ++j) {
      const int gap = gaps[static_cast<std::size_t>(q.entries[j].direction)];
      const std::size_t c = static_cast<std::size_t>(base(i, j));
      row[j] = gap == 1 ? scales.times_1_2[c] : gap > 1 ? scales.times_1_8[c] : static_cast<int>(c);
    }
  }
}

struct Matching {
  std::array<int, kN> partner;  // in q per segment of p, -1 none
  std::array<int, kN> paid;
};

// Rounds of matching: each unmatched segment of `p` takes the cheapest
// segment of `q` whose holder paid more (earlier on ties), displacing that
// holder; until a round matches nothing or every segment is matched.
void MatchRounds(const DescribedSegments& p, std::size_t q_size, const Costs& costs, Matching& m) {
  std::array<int, kN> holder;
  std::array<int, kN> holder_cost;
  std::fill_n(m.partner.begin(), p.size, -1);
  std::fill_n(m.paid.begin(), p.size, 0);
  std::fill_n(holder.begin(), q_size, -1);
  std::fill_n(holder_cost.begin(), q_size, kFreeCost);
  for (int round = 0; round < kMaxRounds; ++round) {
    bool matched_any = false;
    for (std::size_t i = 0; i < p.size; ++i) {
      if (m.partner[i] >= 0 || p.entries[i].connecting) continue;
      const int* row = &costs[i * kN];
      int best = -1;
      int best_cost = 0;
      for (std::size_t j = 0; j < q_size; ++j) {
        const int c = row[j];
        if (c < holder_cost[j] && (best < 0 || c < best_cost)) {
          best = static_cast<int>(j);
          best_cost = c;
        }
      }
      if (best < 0) continue;
      if (holder[best] >= 0) m.partner[static_cast<std::size_t>(holder[best])] = -1;
      holder[best] = static_cast<int>(i);
      holder_cost[best] = best_cost;
      m.partner[i] = best;
      m.paid[i] = best_cost;
      matched_any = true;
    }
    if (!matched_any) return;
    bool all_matched = true;
    for (std::size_t i = 0; i < p.size; ++i) {
      if (m.partner[i] < 0 && !p.entries[i].connecting) all_matched = false;
    }
    if (all_matched) return;
  }
}

int SumA(const DescribedSegments& p, const Matching& m) {
  int sum = 0;
  for (std::size_t i = 0; i < p.size; ++i) {
    const Entry& e = p.entries[i];
    if (e.connecting) continue;
    if (m.partner[i] >= 0) {
      const int k = m.paid[i];
      if (k >= 61) {
        sum += static_cast<int>(k * 0.5);
      } else if (k >= 41) {
        sum += static_cast<int>(k * 0.4);
      } else if (k >= 10) {
        sum += static_cast<int>(k * 0.2);
      }
      continue;
    }
    double factor = 4.5;
    if (e.segment.link >= 17) {
      if (e.direction >= 1 && e.direction <= 4) {
        factor = 0.5;
      } else if (p.size > 5 && e.direction == 5) {
        factor = 2.0;
      }
    }
    sum += static_cast<int>(e.manhattan * factor);
  }
  return sum;
}

int SumB(const DescribedSegments& p, const DescribedSegments& q, const Matching& m) {
  double sum = 0;
  std::array<int, kN> partner_of_q;
  std::fill_n(partner_of_q.begin(), q.size, -1);
  for (std::size_t i = 0; i < p.size; ++i) {
    const Entry& e = p.entries[i];
    if (e.connecting) continue;
    if (m.partner[i] >= 0) {
      const int k = m.paid[i];
      sum += k >= 41 ? k : static_cast<int>(k * 0.5);
      partner_of_q[static_cast<std::size_t>(m.partner[i])] = static_cast<int>(i);
    } else {
      sum += 2 * (e.manhattan + e.rel);
    }
  }
  int out_of_order = 0;
  int latest = -1;
  bool broken_sequence = false;
  for (std::size_t j = 0; j < q.size; ++j) {
    const int mine = partner_of_q[j];
    if (mine < 0) {
      sum += q.entries[j].manhattan + q.entries[j].rel;
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

int DistanceA(const DescribedSegments& p, const DescribedSegments& q) {
  Costs costs{};
  CostsA(
      p, q, [&](std::size_t i, std::size_t j) { return BaseCost(p.entries[i], q.entries[j]); }, costs);
  Matching m;
  MatchRounds(p, q.size, costs, m);
  return SumA(p, m);
}

int DistanceB(const DescribedSegments& p, const DescribedSegments& q) {
  Costs costs{};
  CostsB(
      p, q, [&](std::size_t i, std::size_t j) { return BaseCost(p.entries[i], q.entries[j]); }, costs);
  Matching m;
  MatchRounds(p, q.size, costs, m);
  return SumB(p, q, m);
}

}  // namespace

void DescribedSegments::Describe(std::span<const SegmentRecord> list) {
  size = std::min(list.size(), kMaxComparedSegments);
  int total = 0;
  for (std::size_t i = 0; i < size; ++i) total += list[i].manhattan();
  for (std::size_t i = 0; i < size; ++i) {
    const SegmentRecord& s = list[i];
    const int direction = s.direction();
    entries[i] = {s, direction, total == 0 ? 0 : 250 * s.manhattan() / total, s.manhattan(),
                  s.link >= 16 && direction >= 1 && direction <= 4};
  }
}

int SegmentDistanceA(std::span<const SegmentRecord> p_list, std::span<const SegmentRecord> q_list) {
  DescribedSegments p;
  DescribedSegments q;
  p.Describe(p_list);
  q.Describe(q_list);
  return DistanceA(p, q);
}

int SegmentDistanceB(std::span<const SegmentRecord> p_list, std::span<const SegmentRecord> q_list) {
  DescribedSegments p;
  DescribedSegments q;
  p.Describe(p_list);
  q.Describe(q_list);
  return DistanceB(p, q);
}

long SegmentComparer::Distance(std::span<const SegmentRecord> list) {
  list_.Describe(list);
  const long s = static_cast<long>(cell_.size);
  const long c = static_cast<long>(list_.size);
  for (std::size_t i = 0; i < cell_.size; ++i) {
    for (std::size_t j = 0; j < list_.size; ++j)
      base_[i * kN + j] = BaseCost(cell_.entries[i], list_.entries[j]);
  }
  const auto cell_first = [&](std::size_t i, std::size_t j) { return base_[i * kN + j]; };
  const auto list_first = [&](std::size_t i, std::size_t j) { return base_[j * kN + i]; };
  Costs& costs = costs_;
  Matching m;
  CostsB(cell_, list_, cell_first, costs);
  MatchRounds(cell_, list_.size, costs, m);
  const long b_cell = SumB(cell_, list_, m);
  CostsB(list_, cell_, list_first, costs);
  MatchRounds(list_, cell_.size, costs, m);
  const long b_list = SumB(list_, cell_, m);
  CostsA(cell_, list_, cell_first, costs);
  MatchRounds(cell_, list_.size, costs, m);
  const long a_cell = SumA(cell_, m);
  CostsA(list_, cell_, list_first, costs);
  MatchRounds(list_, cell_.size, costs, m);
  const long a_list = SumA(list_, m);
  return b_cell / s + b_list / c + a_cell / s + a_list / c;
}

}  // namespace kernel
