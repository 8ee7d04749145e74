// Frame observations and state scores of an input thread.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Dot product in a fixed order whatever the dimension: four running sums of
// every fourth product, the products left over added to the first, then
// (s0 + s1) + (s2 + s3). The four sums are the lanes of one SSE2 vector.
float Dot(const float* a, const float* b, int n) {
  int i = 0;
#if defined(__SSE2__)
  __m128 sums = _mm_setzero_ps();
  for (; i + 4 <= n; i += 4) sums = _mm_add_ps(sums, _mm_mul_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, sums);
  float s0 = lanes[0];
  const float s1 = lanes[1], s2 = lanes[2], s3 = lanes[3];
#else
  float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
  for (; i + 4 <= n; i += 4) {
    s0 += a[i] * b[i];
    s1 += a[i + 1] * b[i + 1];
    s2 += a[i + 2] * b[i + 2];
    s3 += a[i + 3] * b[i + 3];
  }
#endif
  for (; i < n; ++i) s0 += a[i] * b[i];
  return (s0 + s1) + (s2 + s3);
}

// Dot(m[j], x, n) for j = 0..3 at once, each with the same operations in the
// same order: the running sums of one vector are transposed so that the
// first sums of the four products lie in one vector, the second in the next,
// and so on.
void Dot4(const float* const m[4], const float* x, int n, float out[4]) {
#if defined(__SSE2__)
  __m128 s0 = _mm_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128 v = _mm_loadu_ps(x + i);
    s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_loadu_ps(m[0] + i), v));
    s1 = _mm_add_ps(s1, _mm_mul_ps(_mm_loadu_ps(m[1] + i), v));
    s2 = _mm_add_ps(s2, _mm_mul_ps(_mm_loadu_ps(m[2] + i), v));
    s3 = _mm_add_ps(s3, _mm_mul_ps(_mm_loadu_ps(m[3] + i), v));
  }
  _MM_TRANSPOSE4_PS(s0, s1, s2, s3);
  for (; i < n; ++i)
    s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_setr_ps(m[0][i], m[1][i], m[2][i], m[3][i]), _mm_set1_ps(x[i])));
  _mm_storeu_ps(out, _mm_add_ps(_mm_add_ps(s0, s1), _mm_add_ps(s2, s3)));
#else
  for (int j = 0; j < 4; ++j) out[j] = Dot(m[j], x, n);
#endif
}

}  // namespace

int C_rHMMDataBase::assign_ThreadInput(int idx, int frame, const C_rStreamVectors& input) {
  C_rInputThread* t = thread(idx, "C_rHMMDataBase::assign_ThreadInput");
  if (t == nullptr) return -1;
  const int streams = global_.numStreams;
  if (input.numStreams != streams || input.vectors == nullptr || input.dims == nullptr) {
    std::printf("C_rHMMDataBase::assign_ThreadInput, %d streams given, the model has %d\n", input.numStreams,
                streams);
    return -1;
  }
  for (int s = 0; s < streams; ++s) {
    if (input.dims[s] != global_.dims[s] || input.vectors[s] == nullptr) {
      std::printf("C_rHMMDataBase::assign_ThreadInput, stream %d has dimension %d, the model %d\n", s,
                  input.dims[s], global_.dims[s]);
      return -1;
    }
  }
  for (int s = 0; s < streams; ++s) {
    for (int d = 0; d < global_.dims[s]; ++d) {
      if (!std::isfinite(input.vectors[s][d])) {
        std::printf("C_rHMMDataBase::assign_ThreadInput, stream %d value %d is not a number\n", s, d);
        return -1;
      }
    }
  }
  for (int s = 0; s < streams; ++s) {
    std::vector<float>& x = t->observation[s];
    const int dim = global_.dims[s];
    const bool project = s == 0 && !lda_.empty();
    float* normalised = project ? t->projection.data() : x.data();
    for (int d = 0; d < dim; ++d)
      normalised[d] = (input.vectors[s][d] - global_.means[s][d]) / global_.scales[s][d];
    if (project) {
      for (int r = 0; r < ldaRows_; ++r)
        x[r] = Dot(&lda_[static_cast<std::size_t>(r) * ldaColumns_], normalised, ldaColumns_);
    }
    t->norms[s] = Dot(x.data(), x.data(), dim);
  }
  std::memset(t->stateCache.data(), 0, t->stateCache.size() * sizeof(float));
  if (++t->generation == 0) {
    // After 2^32 frames the stamps start again from nothing.
    for (C_rMemoryBlock<std::uint32_t>* stamps : {&t->codeBookStamp, &t->mixtureStamp, &t->summedStamp})
      std::memset(stamps->data(), 0, stamps->size() * sizeof(std::uint32_t));
    t->generation = 2;
  }
  t->frame = frame;
  t->bestStateScore = t->stateThreshold = kFloorScore;
  for (int s = 0; s < streams; ++s)
    t->bestGaussian[s] = t->gaussianThreshold[s] = t->bestComponent[s] = t->fallback[s] = kFloorScore;
  return 0;
}

void C_rHMMDataBase::evaluateCodeBook(C_rInputThread& t, int book, int stream) {
  ++t.codeBookEvaluations;
  t.codeBookStamp[book] = t.generation;
  const int size = codeBooks_.sizes[book];
  const std::int64_t first = codeBooks_.offsets[book];
  const float* x = t.observation[stream].data();
  const float norm = t.norms[stream];
  const float scale = t.densityScale[stream];
  float* scores = t.scratch.data();
  // Every Gaussian of a book has the stream's dimension.
  const int dim = global_.dims[stream];
  const int* pairs = &codeBooks_.pairs[first];
  // The first of the highest scores is the best.
  int best = 0;
  float bestScore = 0.0f;
  const auto score = [&](int gaussian, float dot) {
    const int pair = pairs[gaussian];
    const float value =
        pairs_.disabled[pair] ? kFloorScore : (2.0f * dot - norm - pairs_.constants[pair]) * scale;
    scores[gaussian] = value;
    if (gaussian == 0 || value > bestScore) {
      best = gaussian;
      bestScore = value;
    }
  };
  int g = 0;
  for (; g + 4 <= size; g += 4) {
    const float* m[4];
    for (int j = 0; j < 4; ++j) m[j] = &pairs_.centres[pairs_.offsets[pairs[g + j]]];
    float dots[4];
    Dot4(m, x, dim, dots);
    for (int j = 0; j < 4; ++j) score(g + j, dots[j]);
  }
  for (; g < size; ++g) score(g, Dot(&pairs_.centres[pairs_.offsets[pairs[g]]], x, dim));
  const float keep = std::min(bestScore, t.gaussianThreshold[stream]);
  float* keptScores = &t.keptScores[first];
  int* keptIndices = &t.keptIndices[first];
  int kept = 0;
  keptScores[kept] = bestScore;
  keptIndices[kept++] = best;
  for (int k = 0; k < size; ++k) {
    if (k != best && scores[k] >= keep) {
      keptScores[kept] = scores[k];
      keptIndices[kept++] = k;
    }
  }
  t.keptCount[book] = kept;
  if (bestScore > t.bestGaussian[stream]) t.bestGaussian[stream] = bestScore;
  t.gaussianThreshold[stream] = t.bestGaussian[stream] - t.beam;
}

void C_rHMMDataBase::keepSums(C_rInputThread& t, const int* mixtures, int count, const float* totals,
                              const float* best) {
  for (int lane = 0; lane < count; ++lane) {
    t.summedTotals[mixtures[lane]] = totals[lane];
    t.summedBest[mixtures[lane]] = best[lane];
    t.summedStamp[mixtures[lane]] = t.generation;
  }
}

void C_rHMMDataBase::sumGroup(C_rInputThread& t, int group, int book) {
  const std::int64_t first = codeBooks_.offsets[book];
  float totals[C_rMixtureGroups::kLanes];
  float best[C_rMixtureGroups::kLanes];
  const int lanes = mixtureGroups_.memberCount[group];
  C_rScoreMixtureLanes(C_rGroupWeights(mixtureGroups_, group, &t.keptIndices[first]), &t.keptScores[first],
                       t.keptCount[book], lanes, totals, best);
  keepSums(t, &mixtureGroups_.members[static_cast<std::size_t>(group) * C_rMixtureGroups::kLanes], lanes,
           totals, best);
}

void C_rHMMDataBase::sumPass(C_rInputThread& t, int book) {
  const int lanes = static_cast<int>(t.passMixtures.size());
  if (lanes == 0) return;
  constexpr int kLanes = C_rMixtureGroups::kLanes;
  const float* weights[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    const int m = t.passMixtures[static_cast<std::size_t>(lane < lanes ? lane : 0)];
    weights[lane] = &mixtures_.logWeights[mixtures_.offsets[m]];
  }
  const std::int64_t first = codeBooks_.offsets[book];
  float totals[kLanes];
  float best[kLanes];
  C_rScoreMixtureLanes({nullptr, weights, &t.keptIndices[first]}, &t.keptScores[first], t.keptCount[book],
                       lanes, totals, best);
  keepSums(t, t.passMixtures.data(), lanes, totals, best);
  t.passMixtures.clear();
}

// The mixtures of a book are summed over its kept Gaussians, which stay as
// they are for the rest of the frame, so a mixture summed before it is asked
// for has the score it would have then. A search asks for much the same
// states from one frame to the next: with `asked`, every mixture of the book
// that was asked for in the frame before is summed in the same passes, and
// the others are left alone. With none of them, `asked` is summed with the
// rest of its static group, which costs little more than it alone.
void C_rHMMDataBase::sumMixturesOfBook(C_rInputThread& t, int book, int asked) {
  const std::uint32_t before = t.generation - 1;
  const auto wanted = [&](int m) {
    return m == asked || (t.mixtureStamp[m] == before && t.summedStamp[m] != t.generation);
  };
  const int firstGroup = mixtureGroups_.bookGroups[book];
  const int endGroup = mixtureGroups_.bookGroups[book + 1];
  constexpr int kLanes = C_rMixtureGroups::kLanes;
  int others = 0;
  for (int g = firstGroup; g < endGroup && others == 0; ++g) {
    const int* members = &mixtureGroups_.members[static_cast<std::size_t>(g) * kLanes];
    for (int lane = 0; lane < mixtureGroups_.memberCount[g]; ++lane)
      others += members[lane] != asked && wanted(members[lane]) ? 1 : 0;
  }
  if (others == 0) {
    sumGroup(t, mixtureGroups_.ofMixture[asked], book);
    return;
  }
  // Whole groups with their transposed weights; the wanted members of the
  // other groups in passes of their own.
  t.passMixtures.clear();
  for (int g = firstGroup; g < endGroup; ++g) {
    const int* members = &mixtureGroups_.members[static_cast<std::size_t>(g) * kLanes];
    const int count = mixtureGroups_.memberCount[g];
    int taken = 0;
    for (int lane = 0; lane < count; ++lane) taken += wanted(members[lane]) ? 1 : 0;
    if (taken == count) {
      sumGroup(t, g, book);
      continue;
    }
    for (int lane = 0; lane < count && taken > 0; ++lane) {
      if (!wanted(members[lane])) continue;
      --taken;
      t.passMixtures.push_back(members[lane]);
      if (static_cast<int>(t.passMixtures.size()) == kLanes) sumPass(t, book);
    }
  }
  sumPass(t, book);
}

float C_rHMMDataBase::mixtureScore(C_rInputThread& t, int mixture, int stream) {
  if (t.mixtureStamp[mixture] == t.generation) return t.mixtureScore[mixture];
  if (t.summedStamp[mixture] != t.generation) {
    const int book = mixtures_.codeBooks[mixture];
    if (t.codeBookStamp[book] != t.generation) evaluateCodeBook(t, book, stream);
    sumMixturesOfBook(t, book, mixture);
  }
  const float total = t.summedTotals[mixture];
  const float bestComponent = t.summedBest[mixture];
  if (bestComponent > t.bestComponent[stream]) {
    t.bestComponent[stream] = bestComponent;
    t.fallback[stream] = bestComponent - t.beam;
  }
  t.mixtureStamp[mixture] = t.generation;
  t.mixtureScore[mixture] = total;
  return total;
}

float C_rHMMDataBase::get_StateScore(int hmm, int state, int idx) {
  C_rInputThread* t = thread(idx, "C_rHMMDataBase::get_StateScore");
  if (t == nullptr) return kFloorScore;
  if (hmm < 0 || hmm >= static_cast<int>(hmms_.size()) || state < 0 || state > 2) {
    std::printf("C_rHMMCB::get_entry( idx=%d) out of range.\n", hmm);
    return kFloorScore;
  }
  const int s = hmms_[hmm].states[state];
  if (t->stateCache[s] != 0.0f) {
    ++t->cacheHits;
    return t->stateCache[s];
  }
  ++t->cacheMisses;
  const int streams = global_.numStreams;
  const float* weights = &states_.streamWeights[static_cast<std::size_t>(s) * streams];
  const int* mixtures = &states_.mixtures[static_cast<std::size_t>(s) * streams];
  float total = 0.0f;
  bool bailedOut = false;
  for (int k = 0; k < streams; ++k) {
    total += weights[k] * (bailedOut ? t->fallback[k] : mixtureScore(*t, mixtures[k], k));
    if (total < t->stateThreshold) bailedOut = true;
  }
  t->stateCache[s] = total;
  if (total > t->bestStateScore) {
    t->bestStateScore = total;
    t->stateThreshold = total - t->beam;
  }
  return total;
}
