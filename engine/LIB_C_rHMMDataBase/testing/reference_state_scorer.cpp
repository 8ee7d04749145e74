#include "engine/LIB_C_rHMMDataBase/testing/reference_state_scorer.h"

#include <algorithm>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_log_table.h"

namespace {

constexpr float kFloor = C_rHMMDataBase::kFloorScore;

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

C_rReferenceStateScorer::C_rReferenceStateScorer(const C_rHMMDataBase& db, int thread)
    : db_(db),
      beam_(db.get_InputThread(thread)->beam),
      densityScale_(db.get_InputThread(thread)->densityScale) {
  const C_rGlobal& global = db.get_Global();
  for (int s = 0; s < global.numStreams; ++s) observation_.emplace_back(global.dims[s], 0.0f);
  norms_.assign(global.numStreams, 0.0f);
  projection_.assign(global.dims[0], 0.0f);
  stateCache_.assign(db.get_States().count, 0.0f);
  const int books = db.get_CodeBooks().count;
  bookDone_.assign(books, false);
  keptCount_.assign(books, 0);
  keptScores_.assign(db.get_CodeBooks().pairs.size(), 0.0f);
  keptIndices_.assign(db.get_CodeBooks().pairs.size(), 0);
  mixtureDone_.assign(db.get_Mixtures().count, false);
  mixtureScore_.assign(db.get_Mixtures().count, 0.0f);
}

void C_rReferenceStateScorer::assign(int /*frame*/, const C_rStreamVectors& input) {
  const C_rGlobal& global = db_.get_Global();
  const std::vector<float>& lda = db_.get_LDA();
  for (int s = 0; s < global.numStreams; ++s) {
    std::vector<float>& x = observation_[s];
    const int dim = global.dims[s];
    const bool project = s == 0 && !lda.empty();
    float* normalised = project ? projection_.data() : x.data();
    for (int d = 0; d < dim; ++d)
      normalised[d] = (input.vectors[s][d] - global.means[s][d]) / global.scales[s][d];
    if (project) {
      for (int r = 0; r < dim; ++r) x[r] = Dot(&lda[static_cast<std::size_t>(r) * dim], normalised, dim);
    }
    norms_[s] = Dot(x.data(), x.data(), dim);
  }
  std::fill(stateCache_.begin(), stateCache_.end(), 0.0f);
  std::fill(bookDone_.begin(), bookDone_.end(), false);
  std::fill(mixtureDone_.begin(), mixtureDone_.end(), false);
  bestStateScore_ = stateThreshold_ = kFloor;
  const std::size_t streams = static_cast<std::size_t>(global.numStreams);
  bestGaussian_.assign(streams, kFloor);
  gaussianThreshold_.assign(streams, kFloor);
  bestComponent_.assign(streams, kFloor);
  fallback_.assign(streams, kFloor);
}

void C_rReferenceStateScorer::evaluateCodeBook(int book, int stream) {
  const C_rGaussianCodeBookCB& books = db_.get_CodeBooks();
  const C_rCenterVariancePairCB& pairs = db_.get_Pairs();
  bookDone_[book] = true;
  const int size = books.sizes[book];
  const std::int64_t first = books.offsets[book];
  const float* x = observation_[stream].data();
  const float norm = norms_[stream];
  const float scale = densityScale_[stream];
  std::vector<float> scores(static_cast<std::size_t>(size));
  int best = 0;
  for (int g = 0; g < size; ++g) {
    const int pair = books.pairs[first + g];
    if (pairs.disabled[pair]) {
      scores[g] = kFloor;
    } else {
      const float* m = &pairs.centres[pairs.offsets[pair]];
      scores[g] = (2.0f * Dot(m, x, pairs.dims[pair]) - norm - pairs.constants[pair]) * scale;
    }
    if (scores[g] > scores[best]) best = g;
  }
  const float bestScore = scores[best];
  const float keep = std::min(bestScore, gaussianThreshold_[stream]);
  float* keptScores = &keptScores_[first];
  int* keptIndices = &keptIndices_[first];
  int kept = 0;
  keptScores[kept] = bestScore;
  keptIndices[kept++] = best;
  for (int g = 0; g < size; ++g) {
    if (g != best && scores[g] >= keep) {
      keptScores[kept] = scores[g];
      keptIndices[kept++] = g;
    }
  }
  keptCount_[book] = kept;
  if (bestScore > bestGaussian_[stream]) bestGaussian_[stream] = bestScore;
  gaussianThreshold_[stream] = bestGaussian_[stream] - beam_;
}

float C_rReferenceStateScorer::mixtureScore(int mixture, int stream) {
  if (mixtureDone_[mixture]) return mixtureScore_[mixture];
  const C_rGMixCB& mixtures = db_.get_Mixtures();
  const int book = mixtures.codeBooks[mixture];
  if (!bookDone_[book]) evaluateCodeBook(book, stream);
  const std::int64_t first = db_.get_CodeBooks().offsets[book];
  const float* logWeights = &mixtures.logWeights[mixtures.offsets[mixture]];
  const float* scores = &keptScores_[first];
  const int* indices = &keptIndices_[first];
  const float* logTable = C_rHMMLogTable::table();
  float total = scores[0] + logWeights[indices[0]];
  float bestComponent = total;
  for (int k = 1; k < keptCount_[book]; ++k) {
    const float s = logWeights[indices[k]] + scores[k];
    if (s > bestComponent) bestComponent = s;
    total = C_rHMMLogTable::add(logTable, total, s);
  }
  if (bestComponent > bestComponent_[stream]) {
    bestComponent_[stream] = bestComponent;
    fallback_[stream] = bestComponent - beam_;
  }
  mixtureDone_[mixture] = true;
  mixtureScore_[mixture] = total;
  return total;
}

float C_rReferenceStateScorer::stateScore(int hmm, int state) {
  const int s = db_.get_HMM(hmm)->states[state];
  if (stateCache_[s] != 0.0f) return stateCache_[s];
  const int streams = db_.get_Global().numStreams;
  const float* weights = &db_.get_States().streamWeights[static_cast<std::size_t>(s) * streams];
  const int* mixtures = &db_.get_States().mixtures[static_cast<std::size_t>(s) * streams];
  float total = 0.0f;
  bool bailedOut = false;
  for (int k = 0; k < streams; ++k) {
    total += weights[k] * (bailedOut ? fallback_[k] : mixtureScore(mixtures[k], k));
    if (total < stateThreshold_) bailedOut = true;
  }
  stateCache_[s] = total;
  if (total > bestStateScore_) {
    bestStateScore_ = total;
    stateThreshold_ = total - beam_;
  }
  return total;
}
