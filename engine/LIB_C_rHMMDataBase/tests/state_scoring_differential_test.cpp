// The database's state scores against the plain scorer kept in
// testing/reference_state_scorer.cpp: 2,100 frames of recorded speech and of
// random features, several beams, states asked for in random order, every
// score equal to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_mixture_groups.h"
#include "engine/LIB_C_rHMMDataBase/testing/reference_state_scorer.h"
#include "engine/LIB_C_rHMMDataBase/tests/hmm_test_support.h"
#include "engine/LIB_C_rHMMDataBase/tests/test_signals.h"

namespace {

namespace w = hmm_model_writer;
using hmm_test_support::Frame;

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Front-end frames of the recorded speech, split into the model's streams.
std::vector<Frame> SpeechFrames(const std::vector<std::int32_t>& dims) {
  C_rFrontEnd frontEnd;
  testing::internal::CaptureStdout();
  const int status = frontEnd.setup_Std(1);
  testing::internal::GetCapturedStdout();
  if (status != 0) return {};
  const std::vector<std::int16_t> samples = test_signals::Speech();
  const int frames = frontEnd.generate_Feature_Buffer(0, samples.data(), static_cast<int>(samples.size()));
  std::vector<Frame> out;
  for (int t = 0; t < frames; ++t) {
    const float* v = frontEnd.get_SingleOpVector(0, t);
    Frame frame;
    int offset = 0;
    for (const std::int32_t dim : dims) {
      frame.vectors.emplace_back(v + offset, v + offset + dim);
      frame.dims.push_back(dim);
      offset += dim;
    }
    out.push_back(frame);
  }
  return out;
}

// The HMMs asked for in one frame. Every fifth frame asks for all states in
// order; two frames in five ask for a set that drifts as a search's active
// states do (the mixtures asked for in the frame before are summed together
// before they are asked for); the rest ask for random states.
class Requests {
 public:
  Requests(int hmms, std::uint32_t seed) : hmms_(hmms), random_(seed) {}

  std::vector<std::pair<int, int>> next(int frame) {
    std::vector<std::pair<int, int>> out;
    std::uniform_int_distribution<int> hmmOf(0, hmms_ - 1);
    if (frame % 5 == 0) {
      for (int h = 0; h < hmms_; ++h)
        for (int s = 0; s < 3; ++s) out.push_back({h, s});
    } else if (frame % 5 <= 2) {
      drift(hmmOf);
      for (const int h : active_)
        for (int s = 0; s < 3; ++s) out.push_back({h, s});
      std::shuffle(out.begin(), out.end(), random_);
      out.push_back(out.front());
    } else {
      const int count = std::uniform_int_distribution<int>(1, 200)(random_);
      std::uniform_int_distribution<int> stateOf(0, 2);
      for (int r = 0; r < count; ++r) out.push_back({hmmOf(random_), stateOf(random_)});
    }
    return out;
  }

 private:
  // A fifth of the HMMs, a few replaced every frame.
  void drift(std::uniform_int_distribution<int>& hmmOf) {
    const std::size_t size = static_cast<std::size_t>(hmms_ / 5 + 1);
    while (active_.size() < size) active_.push_back(hmmOf(random_));
    for (int k = 0; k < 4; ++k)
      active_[std::uniform_int_distribution<std::size_t>(0, size - 1)(random_)] = hmmOf(random_);
  }

  int hmms_;
  std::mt19937 random_;
  std::vector<int> active_;
};

void ExpectSameScores(const char* bailOut) {
  w::SyntheticShape shape;
  shape.codeBooksPerStream = 5;
  shape.gaussiansPerCodeBook = 40;
  shape.numStates = 241;  // code books of 40 to 57 mixtures: full and partly filled groups
  const w::Model model = w::Synthetic(shape);
  C_rMemory memory;
  C_rHMMDataBase db;
  hmm_test_support::Settings settings;
  settings.bailOut = bailOut;
  ASSERT_EQ(hmm_test_support::Load(db, memory, w::Write(model, w::ByteOrder::kLittleEndian), settings), 0);
  C_rReferenceStateScorer reference(db, 0);

  const std::vector<Frame> speech = SpeechFrames(model.dims);
  ASSERT_GE(speech.size(), 50u);
  Requests requests(db.get_numHMM(), 7);
  constexpr int kFrames = 700;  // per beam; the three beams make up 2,100 frames
  for (int f = 0; f < kFrames; ++f) {
    Frame frame = f % 2 == 0 ? speech[static_cast<std::size_t>(f / 2) % speech.size()]
                             : hmm_test_support::RandomFrame(model.dims, static_cast<std::uint32_t>(f));
    ASSERT_EQ(db.assign_ThreadInput(0, f, frame.view()), 0);
    reference.assign(f, frame.view());
    for (const auto& [hmm, state] : requests.next(f)) {
      const float fast = db.get_StateScore(hmm, state, 0);
      const float plain = reference.stateScore(hmm, state);
      ASSERT_EQ(Bits(fast), Bits(plain))
          << "frame " << f << " hmm " << hmm << " state " << state << ": " << fast << " against " << plain;
    }
  }
}

// The training beam keeps every Gaussian and never bails out; the narrow one
// prunes Gaussians and falls back on the streams' fallback scores.
TEST(StateScoringDifferentialTest, ScoresEqualThePlainScorerBitForBit) {
  for (const char* bailOut : {"999", "50", "1.5"}) {
    SCOPED_TRACE(bailOut);
    ExpectSameScores(bailOut);
    if (HasFatalFailure()) return;
  }
}

// The vector and scalar lane sums on hand-made code books whose components
// lie at and around the edges of the table's range, and on values that are
// not numbers: whole static groups, and passes over 1 to 16 of the mixtures.
TEST(MixtureGroupTest, VectorSumsEqualScalarSumsAtTheEdges) {
  C_rMemory memory;
  C_rGaussianCodeBookCB books;
  books.count = 1;
  constexpr int kGaussians = 24;
  books.sizes.allocate(memory, "test", 1);
  books.sizes[0] = kGaussians;
  C_rGMixCB mixtures;
  mixtures.count = 23;  // one full group of 16 and a group of 7
  mixtures.codeBooks.allocate(memory, "test", mixtures.count);
  mixtures.offsets.allocate(memory, "test", mixtures.count + 1);
  mixtures.logWeights.allocate(memory, "test", static_cast<std::size_t>(mixtures.count) * kGaussians);
  const float special[] = {0.0f,
                           -0.0f,
                           -9.21f,
                           9.21f,
                           -9.2100005f,
                           9.2099995f,
                           -1e32f,
                           -4.5f,
                           3.0f,
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity()};
  std::mt19937 random(3);
  std::uniform_real_distribution<float> weight(-12.0f, 0.0f);
  for (int m = 0; m < mixtures.count; ++m) {
    mixtures.offsets[m] = static_cast<std::int64_t>(m) * kGaussians;
    for (int g = 0; g < kGaussians; ++g) {
      const bool odd = (m * kGaussians + g) % 3 == 0;
      mixtures.logWeights[mixtures.offsets[m] + g] =
          odd ? special[static_cast<std::size_t>(m + g) % std::size(special)] : weight(random);
    }
  }
  C_rMixtureGroups groups;
  C_rBuildMixtureGroups(memory, books, mixtures, groups);
  ASSERT_EQ(groups.count, 2);
  ASSERT_EQ(groups.memberCount[0], 16);
  ASSERT_EQ(groups.memberCount[1], 7);
  std::vector<float> scores(kGaussians);
  std::vector<int> indices(kGaussians);
  const auto expectSame = [&](const C_rLaneWeights& weights, int kept, int lanes, const std::string& what) {
    float fastTotals[16], fastBest[16], plainTotals[16], plainBest[16];
    C_rScoreMixtureLanes(weights, scores.data(), kept, lanes, fastTotals, fastBest);
    C_rScoreMixtureLanesPortable(weights, scores.data(), kept, lanes, plainTotals, plainBest);
    for (int lane = 0; lane < lanes; ++lane) {
      EXPECT_EQ(Bits(fastTotals[lane]), Bits(plainTotals[lane])) << what << " lane " << lane;
      EXPECT_EQ(Bits(fastBest[lane]), Bits(plainBest[lane])) << what << " lane " << lane;
    }
  };
  for (int trial = 0; trial < 200; ++trial) {
    const int kept = 1 + trial % kGaussians;
    for (int k = 0; k < kept; ++k) {
      scores[k] = trial % 7 == 0 ? special[static_cast<std::size_t>(k) % 9] : weight(random);
      indices[k] = (k * 5 + trial) % kGaussians;
    }
    for (int group = 0; group < groups.count; ++group) {
      expectSame(C_rGroupWeights(groups, group, indices.data()), kept, groups.memberCount[group],
                 "trial " + std::to_string(trial) + " group " + std::to_string(group));
    }
    // A pass over mixtures of both groups, read from their own weights, and
    // the same sums as the groups give them.
    const int lanes = 1 + trial % 16;
    std::vector<int> chosen;
    const float* own[16];
    for (int lane = 0; lane < 16; ++lane) {
      chosen.push_back((lane * 7 + trial) % mixtures.count);
      own[lane] = &mixtures.logWeights[mixtures.offsets[chosen.back()]];
    }
    const std::string what = "trial " + std::to_string(trial) + " pass of " + std::to_string(lanes);
    const C_rLaneWeights pass{nullptr, own, indices.data()};
    expectSame(pass, kept, lanes, what);
    float passTotals[16], passBest[16], groupTotals[16], groupBest[16];
    C_rScoreMixtureLanes(pass, scores.data(), kept, lanes, passTotals, passBest);
    for (int lane = 0; lane < lanes; ++lane) {
      const int group = groups.ofMixture[chosen[lane]];
      C_rScoreMixtureLanes(C_rGroupWeights(groups, group, indices.data()), scores.data(), kept,
                           groups.memberCount[group], groupTotals, groupBest);
      const int at = groups.laneOfMixture[chosen[lane]];
      EXPECT_EQ(Bits(passTotals[lane]), Bits(groupTotals[at])) << what << " lane " << lane;
      EXPECT_EQ(Bits(passBest[lane]), Bits(groupBest[at])) << what << " lane " << lane;
    }
  }
}

}  // namespace
