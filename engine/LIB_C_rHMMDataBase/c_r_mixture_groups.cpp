#include "engine/LIB_C_rHMMDataBase/c_r_mixture_groups.h"

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
  groups.weightOffsets.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(count));
  groups.weights.allocate(memory, "HMM_C_rMixtureGroups", static_cast<std::size_t>(weightCount));
  int group = 0;
  std::int64_t offset = 0;
  for (int book = 0; book < codeBooks.count; ++book) {
    const std::vector<int>& members = byBook[static_cast<std::size_t>(book)];
    const int size = codeBooks.sizes[book];
    for (std::size_t first = 0; first < members.size(); first += kLanes, ++group) {
      groups.weightOffsets[group] = offset;
      for (int lane = 0; lane < kLanes; ++lane) {
        const std::size_t i = first + static_cast<std::size_t>(lane);
        const int m = i < members.size() ? members[i] : -1;
        groups.members[static_cast<std::size_t>(group) * kLanes + lane] = m;
        if (m < 0) continue;  // empty lanes keep weight 0
        groups.ofMixture[m] = group;
        groups.laneOfMixture[m] = lane;
        const float* logWeights = &mixtures.logWeights[mixtures.offsets[m]];
        for (int g = 0; g < size; ++g)
          groups.weights[offset + static_cast<std::int64_t>(g) * kLanes + lane] = logWeights[g];
      }
      offset += static_cast<std::int64_t>(size) * kLanes;
    }
  }
}

void C_rScoreMixtureGroupPortable(const C_rMixtureGroups& groups, int group, const float* keptScores,
                                  const int* keptIndices, int kept, float* totals, float* best) {
  const float* weights = &groups.weights[groups.weightOffsets[group]];
  const float* logTable = C_rHMMLogTable::table();
  for (int lane = 0; lane < kLanes; ++lane) {
    float total = keptScores[0] + weights[keptIndices[0] * kLanes + lane];
    float bestComponent = total;
    for (int k = 1; k < kept; ++k) {
      const float s = weights[keptIndices[k] * kLanes + lane] + keptScores[k];
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
  // a lane is masked to 0 before the table is read.
  __m128 operator()(__m128 total, __m128 s) const {
    const __m128 diff = _mm_sub_ps(s, total);
    const __m128 distance = _mm_and_ps(diff, absolute);
    const __m128 inRange = _mm_andnot_ps(_mm_cmpge_ps(diff, range), _mm_cmple_ps(distance, range));
    alignas(16) std::int32_t index[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(index),
                    _mm_and_si128(_mm_cvttps_epi32(_mm_mul_ps(distance, scale)), _mm_castps_si128(inRange)));
    const __m128 looked = _mm_setr_ps(table[index[0]], table[index[1]], table[index[2]], table[index[3]]);
    const __m128 term = _mm_or_ps(_mm_and_ps(inRange, looked), _mm_andnot_ps(inRange, negativeZero));
    return _mm_add_ps(_mm_max_ps(s, total), term);
  }
};

}  // namespace

// Four vectors of four lanes each, written out so that the running totals
// stay in registers; a group of fewer mixtures sums only the vectors it fills.
void C_rScoreMixtureGroup(const C_rMixtureGroups& groups, int group, const float* keptScores,
                          const int* keptIndices, int kept, float* totals, float* best) {
  static_assert(kLanes == 16);
  const float* weights = &groups.weights[groups.weightOffsets[group]];
  const int* members = &groups.members[static_cast<std::size_t>(group) * kLanes];
  const LogAdd add;
  __m128 t0, t1, t2, t3;
  {
    const float* row = weights + keptIndices[0] * kLanes;
    const __m128 score = _mm_set1_ps(keptScores[0]);
    t0 = _mm_add_ps(score, _mm_loadu_ps(row));
    t1 = _mm_add_ps(score, _mm_loadu_ps(row + 4));
    t2 = _mm_add_ps(score, _mm_loadu_ps(row + 8));
    t3 = _mm_add_ps(score, _mm_loadu_ps(row + 12));
  }
  __m128 b0 = t0, b1 = t1, b2 = t2, b3 = t3;
  // s > best ? s : best, as a mixture keeps its best component.
  const auto step = [&](int k, int v, __m128& total, __m128& bestComponent) {
    const __m128 s =
        _mm_add_ps(_mm_loadu_ps(weights + keptIndices[k] * kLanes + 4 * v), _mm_set1_ps(keptScores[k]));
    bestComponent = _mm_max_ps(s, bestComponent);
    total = add(total, s);
  };
  if (members[12] >= 0) {
    for (int k = 1; k < kept; ++k) {
      step(k, 0, t0, b0);
      step(k, 1, t1, b1);
      step(k, 2, t2, b2);
      step(k, 3, t3, b3);
    }
  } else if (members[8] >= 0) {
    for (int k = 1; k < kept; ++k) {
      step(k, 0, t0, b0);
      step(k, 1, t1, b1);
      step(k, 2, t2, b2);
    }
  } else if (members[4] >= 0) {
    for (int k = 1; k < kept; ++k) {
      step(k, 0, t0, b0);
      step(k, 1, t1, b1);
    }
  } else {
    for (int k = 1; k < kept; ++k) step(k, 0, t0, b0);
  }
  _mm_storeu_ps(totals, t0);
  _mm_storeu_ps(totals + 4, t1);
  _mm_storeu_ps(totals + 8, t2);
  _mm_storeu_ps(totals + 12, t3);
  _mm_storeu_ps(best, b0);
  _mm_storeu_ps(best + 4, b1);
  _mm_storeu_ps(best + 8, b2);
  _mm_storeu_ps(best + 12, b3);
}

#else

void C_rScoreMixtureGroup(const C_rMixtureGroups& groups, int group, const float* keptScores,
                          const int* keptIndices, int kept, float* totals, float* best) {
  C_rScoreMixtureGroupPortable(groups, group, keptScores, keptIndices, kept, totals, best);
}

#endif
