// The database's state scores against the plain scorer kept in
// testing/reference_state_scorer.cpp: 2,100 frames of recorded speech and of
// random features, several beams, states asked for in random order, every
// score equal to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

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
  std::mt19937 random(7);
  std::uniform_int_distribution<int> hmmOf(0, db.get_numHMM() - 1);
  std::uniform_int_distribution<int> stateOf(0, 2);
  constexpr int kFrames = 700;  // per beam; the three beams make up 2,100 frames
  for (int f = 0; f < kFrames; ++f) {
    Frame frame = f % 2 == 0 ? speech[static_cast<std::size_t>(f / 2) % speech.size()]
                             : hmm_test_support::RandomFrame(model.dims, static_cast<std::uint32_t>(f));
    ASSERT_EQ(db.assign_ThreadInput(0, f, frame.view()), 0);
    reference.assign(f, frame.view());
    // Some frames ask for every state, the others for a random part of them,
    // some twice.
    const int requests =
        f % 5 == 0 ? db.get_numHMM() * 3 : std::uniform_int_distribution<int>(1, 200)(random);
    for (int r = 0; r < requests; ++r) {
      const int hmm = f % 5 == 0 ? r / 3 : hmmOf(random);
      const int state = f % 5 == 0 ? r % 3 : stateOf(random);
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

// The vector and scalar group sums on hand-made code books whose components
// lie at and around the edges of the table's range, and on values that are
// not numbers.
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
  std::vector<float> scores(kGaussians);
  std::vector<int> indices(kGaussians);
  for (int trial = 0; trial < 200; ++trial) {
    const int kept = 1 + trial % kGaussians;
    for (int k = 0; k < kept; ++k) {
      scores[k] = trial % 7 == 0 ? special[static_cast<std::size_t>(k) % 9] : weight(random);
      indices[k] = (k * 5 + trial) % kGaussians;
    }
    for (int group = 0; group < groups.count; ++group) {
      float fastTotals[16], fastBest[16], plainTotals[16], plainBest[16];
      C_rScoreMixtureGroup(groups, group, scores.data(), indices.data(), kept, fastTotals, fastBest);
      C_rScoreMixtureGroupPortable(groups, group, scores.data(), indices.data(), kept, plainTotals,
                                   plainBest);
      for (int lane = 0; lane < 16; ++lane) {
        if (groups.members[group * 16 + lane] < 0) continue;
        EXPECT_EQ(Bits(fastTotals[lane]), Bits(plainTotals[lane])) << trial << " " << group << " " << lane;
        EXPECT_EQ(Bits(fastBest[lane]), Bits(plainBest[lane])) << trial << " " << group << " " << lane;
      }
    }
  }
}

}  // namespace
