#include "engine/LIB_C_rHMMDataBase/c_r_mixture_groups.h"

#include <type_traits>
#include <utility>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_log_table.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr int kLanes = C_rMixtureGroups::kLanes;
}  // namespace

void C_rBuildMixtureGroups(C_rMemory& memory, const C_rGaussianCodeBookCB& codeBooks,
                           const C_rGMixCB& mixtures, C_rMixtureGroups& groups) {
  std::vector<std::vector<int>> byBook(static_cast<std::size_t>(codeBooks.count));
  for (int m = 0; m < mixtures.count; ++m)
    byBook[static_cast<std::size_t>(mixtures.codeBooks[m])].push_back(m);
  int count = 0;
  std::int64_t weightCount = 0;
  for (int book = 0; book < codeBooks.count; ++book) {
    const int n = static_cast<int>(byBook[static_cast<std::size_t>(book)].size());
    const int bookGroups = (n + kLanes - 1) / kLanes;
    count += bookGroups;
    weightCount += static_cast<std::int64_t>(bookGroups) * codeBooks.sizes[book] * kLanes;
  }
  groups.count = count;
  groups.ofMixture.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(mixtures.count));
  groups.laneOfMixture.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(mixtures.count));
  groups.members.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(count) * kLanes);
  groups.memberCount.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(count));
  groups.weightOffsets.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(count));
  groups.weights.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(weightCount));
  groups.bookGroups.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(codeBooks.count) + 1);
  int group = 0;
  std::int64_t offset = 0;
  for (int book = 0; book < codeBooks.count; ++book) {
    groups.bookGroups[book] = group;
    const std::vector<int>& members = byBook[static_cast<std::size_t>(book)];
    const int size = codeBooks.sizes[book];
    for (std::size_t first = 0; first < members.size(); first += kLanes, ++group) {
      groups.weightOffsets[group] = offset;
      for (int lane = 0; lane < kLanes; ++lane) {
        const std::size_t i = first + static_cast<std::size_t>(lane);
        const int m = i < members.size() ? members[i] : -1;
        groups.members[static_cast<std::size_t>(group) * kLanes + lane] = m;
        if (m < 0) continue;  // empty lanes keep weight 0
        ++groups.memberCount[group];
        groups.ofMixture[m] = group;
        groups.laneOfMixture[m] = lane;
        const float* logWeights = &mixtures.logWeights[mixtures.offsets[m]];
        for (int g = 0; g < size; ++g)
          groups.weights[offset + static_cast<std::int64_t>(g) * kLanes + lane] = logWeights[g];
      }
      offset += static_cast<std::int64_t>(size) * kLanes;
    }
  }
  groups.bookGroups[codeBooks.count] = group;
}

void C_rScoreMixtureLanesPortable(const C_rLaneWeights& weights, const float* keptScores, int kept, int lanes,
                                  float* totals, float* best) {
  const float* logTable = C_rHMMLogTable::table();
  const auto weight = [&](int lane, int k) {
    return weights.lanes != nullptr ? weights.lanes[lane][weights.rowOf[k]]
                                    : weights.rows[weights.rowOf[k] * kLanes + lane];
  };
  for (int lane = 0; lane < lanes; ++lane) {
    float total = keptScores[0] + weight(lane, 0);
    float bestComponent = total;
    for (int k = 1; k < kept; ++k) {
      const float s = weight(lane, k) + keptScores[k];
      if (s > bestComponent) bestComponent = s;
      total = C_rHMMLogTable::add(logTable, total, s);
    }
    totals[lane] = total;
    best[lane] = bestComponent;
  }
}

#if defined(__SSE2__)

namespace {

struct LogAdd {
  __m128 absolute = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  __m128 range = _mm_set1_ps(C_rHMMLogTable::kRange);
  __m128 scale = _mm_set1_ps(C_rHMMLogTable::kScale);
  __m128 negativeZero = _mm_set1_ps(-0.0f);
  const float* table = C_rHMMLogTable::table();

  // C_rHMMLogTable::add on four lanes. The larger of s and total (total when
  // either is not a number) plus the table term, or plus -0.0, which changes
  // no value, when the difference lies outside the range; the index of such
  // a lane is masked to 0 before the table is read. Indices in the range
  // reach at most kSize - 1 and fit in 16 bits, which a word extraction
  // takes straight into an address.
  __m128 operator()(__m128 total, __m128 s) const {
    const __m128 diff = _mm_sub_ps(s, total);
    const __m128 distance = _mm_and_ps(diff, absolute);
    const __m128 inRange = _mm_andnot_ps(_mm_cmpge_ps(diff, range), _mm_cmple_ps(distance, range));
    const __m128i index =
        _mm_and_si128(_mm_cvttps_epi32(_mm_mul_ps(distance, scale)), _mm_castps_si128(inRange));
    const __m128 looked = _mm_setr_ps(table[_mm_extract_epi16(index, 0)], table[_mm_extract_epi16(index, 2)],
                                      table[_mm_extract_epi16(index, 4)], table[_mm_extract_epi16(index, 6)]);
    const __m128 term = _mm_or_ps(_mm_and_ps(inRange, looked), _mm_andnot_ps(inRange, negativeZero));
    return _mm_add_ps(_mm_max_ps(s, total), term);
  }
};

// The four weights of vector v at the k-th kept Gaussian.
struct GroupRows {
  const C_rLaneWeights& weights;
  __m128 operator()(int k, int v) const {
    return _mm_loadu_ps(weights.rows + weights.rowOf[k] * kLanes + 4 * v);
  }
};
struct OwnRows {
  const C_rLaneWeights& weights;
  __m128 operator()(int k, int v) const {
    const int g = weights.rowOf[k];
    const float* const* lanes = weights.lanes + 4 * v;
    return _mm_setr_ps(lanes[0][g], lanes[1][g], lanes[2][g], lanes[3][g]);
  }
};

// Calls f(std::integral_constant<int, v>) for v = 0 .. Vectors - 1, written
// out, so that arrays indexed by v stay in registers.
template <int Vectors, typename F>
void ForEachVector(F f) {
  [&]<int... V>(std::integer_sequence<int, V...>) { (f(std::integral_constant<int, V>{}), ...); }
  (std::make_integer_sequence<int, Vectors>{});
}

// `Vectors` vectors of four lanes.
template <int Vectors, typename Rows>
void ScoreVectors(Rows rows, const float* keptScores, int kept, float* totals, float* best) {
  const LogAdd add;
  __m128 total[Vectors];
  __m128 bestComponent[Vectors];
  {
    const __m128 score = _mm_set1_ps(keptScores[0]);
    ForEachVector<Vectors>([&](auto v) { bestComponent[v] = total[v] = _mm_add_ps(score, rows(0, v)); });
  }
  for (int k = 1; k < kept; ++k) {
    const __m128 score = _mm_set1_ps(keptScores[k]);
    ForEachVector<Vectors>([&](auto v) {
      const __m128 s = _mm_add_ps(rows(k, v), score);
      // s > best ? s : best, as a mixture keeps its best component.
      bestComponent[v] = _mm_max_ps(s, bestComponent[v]);
      total[v] = add(total[v], s);
    });
  }
  ForEachVector<Vectors>([&](auto v) {
    _mm_storeu_ps(totals + 4 * v, total[v]);
    _mm_storeu_ps(best + 4 * v, bestComponent[v]);
  });
}

template <typename Rows>
void ScoreLanes(Rows rows, const float* keptScores, int kept, int lanes, float* totals, float* best) {
  switch ((lanes + 3) / 4) {
    case 1:
      ScoreVectors<1>(rows, keptScores, kept, totals, best);
      break;
    case 2:
      ScoreVectors<2>(rows, keptScores, kept, totals, best);
      break;
    case 3:
      ScoreVectors<3>(rows, keptScores, kept, totals, best);
      break;
    default:
      ScoreVectors<4>(rows, keptScores, kept, totals, best);
      break;
  }
}

}  // namespace

void C_rScoreMixtureLanes(const C_rLaneWeights& weights, const float* keptScores, int kept, int lanes,
                          float* totals, float* best) {
  static_assert(kLanes == 16);
  if (weights.lanes != nullptr) {
    ScoreLanes(OwnRows{weights}, keptScores, kept, lanes, totals, best);
  } else {
    ScoreLanes(GroupRows{weights}, keptScores, kept, lanes, totals, best);
  }
}

#else

void C_rScoreMixtureLanes(const C_rLaneWeights& weights, const float* keptScores, int kept, int lanes,
                          float* totals, float* best) {
  C_rScoreMixtureLanesPortable(weights, keptScores, kept, lanes, totals, best);
}

#endif
