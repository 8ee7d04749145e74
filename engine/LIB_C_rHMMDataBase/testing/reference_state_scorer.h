// State scores of an HMM database computed the plain way, one mixture at a
// time with its own log-add loop: the reference that C_rHMMDataBase must
// equal bit for bit. It reads the database's code books and keeps its own
// per-frame caches, so it can be asked the same questions in the same order.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"

class C_rReferenceStateScorer {
 public:
  // Beam and density scale as thread `thread` of the database holds them.
  C_rReferenceStateScorer(const C_rHMMDataBase& db, int thread);

  void assign(int frame, const C_rStreamVectors& input);
  float stateScore(int hmm, int state);

 private:
  void evaluateCodeBook(int book, int stream);
  float mixtureScore(int mixture, int stream);

  const C_rHMMDataBase& db_;
  float beam_;
  std::vector<float> densityScale_;
  std::vector<std::vector<float>> observation_;
  std::vector<float> norms_;
  std::vector<float> projection_;
  std::vector<float> stateCache_;
  float bestStateScore_ = C_rHMMDataBase::kFloorScore;
  float stateThreshold_ = C_rHMMDataBase::kFloorScore;
  std::vector<float> bestGaussian_, gaussianThreshold_, bestComponent_, fallback_;
  std::vector<bool> bookDone_;
  std::vector<int> keptCount_;
  std::vector<float> keptScores_;
  std::vector<int> keptIndices_;
  std::vector<bool> mixtureDone_;
  std::vector<float> mixtureScore_;
};
