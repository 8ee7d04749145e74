// Frame observations and state scores of an input thread.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"

namespace {

// Dot product in a fixed order whatever the dimension.
float Dot(const float* a, const float* b, int n) {
  float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += a[i] * b[i];
    s1 += a[i + 1] * b[i + 1];
    s2 += a[i + 2] * b[i + 2];
    s3 += a[i + 3] * b[i + 3];
  }
  for (; i < n; ++i) s0 += a[i] * b[i];
  return (s0 + s1) + (s2 + s3);
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
  ++t->generation;
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
  int best = 0;
  for (int g = 0; g < size; ++g) {
    const int pair = codeBooks_.pairs[first + g];
    if (pairs_.disabled[pair]) {
      scores[g] = kFloorScore;
    } else {
      const float* m = &pairs_.centres[pairs_.offsets[pair]];
      scores[g] = (2.0f * Dot(m, x, pairs_.dims[pair]) - norm - pairs_.constants[pair]) * scale;
    }
    if (scores[g] > scores[best]) best = g;
  }
  const float bestScore = scores[best];
  const float keep = std::min(bestScore, t.gaussianThreshold[stream]);
  float* keptScores = &t.keptScores[first];
  int* keptIndices = &t.keptIndices[first];
  int kept = 0;
  keptScores[kept] = bestScore;
  keptIndices[kept++] = best;
  for (int g = 0; g < size; ++g) {
    if (g != best && scores[g] >= keep) {
      keptScores[kept] = scores[g];
      keptIndices[kept++] = g;
    }
  }
  t.keptCount[book] = kept;
  if (bestScore > t.bestGaussian[stream]) t.bestGaussian[stream] = bestScore;
  t.gaussianThreshold[stream] = t.bestGaussian[stream] - t.beam;
}

// Every mixture of the group is summed over the kept Gaussians of its book,
// which stay as they are for the rest of the frame; each mixture's result is
// taken over (and counts for the stream's best component) only when the
// mixture itself is asked for, as if it were scored then.
void C_rHMMDataBase::scoreMixtureGroup(C_rInputThread& t, int group, int book) {
  const std::int64_t first = codeBooks_.offsets[book];
  float totals[C_rMixtureGroups::kLanes];
  float best[C_rMixtureGroups::kLanes];
  C_rScoreMixtureGroup(mixtureGroups_, group, &t.keptScores[first], &t.keptIndices[first], t.keptCount[book],
                       totals, best);
  const int* members = &mixtureGroups_.members[static_cast<std::size_t>(group) * C_rMixtureGroups::kLanes];
  for (int lane = 0; lane < C_rMixtureGroups::kLanes; ++lane) {
    if (members[lane] < 0) continue;
    t.groupTotals[members[lane]] = totals[lane];
    t.groupBest[members[lane]] = best[lane];
  }
  t.groupStamp[group] = t.generation;
}

float C_rHMMDataBase::mixtureScore(C_rInputThread& t, int mixture, int stream) {
  if (t.mixtureStamp[mixture] == t.generation) return t.mixtureScore[mixture];
  const int group = mixtureGroups_.ofMixture[mixture];
  if (t.groupStamp[group] != t.generation) {
    const int book = mixtures_.codeBooks[mixture];
    if (t.codeBookStamp[book] != t.generation) evaluateCodeBook(t, book, stream);
    scoreMixtureGroup(t, group, book);
  }
  const float total = t.groupTotals[mixture];
  const float bestComponent = t.groupBest[mixture];
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
