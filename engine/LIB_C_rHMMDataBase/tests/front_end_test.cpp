#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/tests/front_end_oracle.h"
#include "engine/LIB_C_rHMMDataBase/tests/spec_file.h"
#include "engine/LIB_C_rHMMDataBase/tests/test_signals.h"

namespace {

using Features = std::vector<std::vector<float>>;

Features WholeBuffer(C_rFrontEnd& frontEnd, const std::vector<std::int16_t>& samples, int idx = 0) {
  const int frames = frontEnd.generate_Feature_Buffer(idx, samples.data(), static_cast<int>(samples.size()));
  Features out;
  for (int t = 0; t < frames; ++t) {
    const float* v = frontEnd.get_SingleOpVector(idx, t);
    out.emplace_back(v, v + frontEnd.get_SingleOpVectorDim());
  }
  return out;
}

Features Live(C_rFrontEnd& frontEnd, const std::vector<std::int16_t>& samples, int block) {
  frontEnd.resetEnvironment(0);
  frontEnd.resetBuffer(0);
  int frames = 0;
  for (std::size_t i = 0; i < samples.size(); i += block) {
    const int count = static_cast<int>(std::min<std::size_t>(block, samples.size() - i));
    frames = frontEnd.insert_LiveWaveData(0, samples.data() + i, count);
  }
  Features out;
  for (int t = 0; t < frames; ++t) {
    const float* v = frontEnd.get_SingleOpVector(0, t);
    out.emplace_back(v, v + frontEnd.get_SingleOpVectorDim());
  }
  return out;
}

struct SignalCase {
  const char* name;
  std::vector<std::int16_t> samples;
};

std::vector<SignalCase> Signals() {
  return {{"noise", test_signals::Noise(11025, 3000)},
          {"tone", test_signals::Tone(11025, 1000.0, 8000.0)},
          {"chirp", test_signals::Chirp(11025, 200.0, 4000.0, 6000.0)},
          {"pulses", test_signals::PulseTrain(11025, 80, 10000)},
          {"speech", test_signals::Speech()}};
}

// Per component, the largest difference from the reference relative to the
// component's spread over the utterance (plus an absolute floor).
void ExpectMatchesOracle(const SignalCase& signal) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const Features features = WholeBuffer(frontEnd, signal.samples);
  const auto reference = front_end_oracle::Features(front_end_oracle::Config{}, signal.samples);
  ASSERT_EQ(features.size() + 4, reference.size()) << signal.name;
  ASSERT_GT(features.size(), 50u);
  for (int d = 0; d < 50; ++d) {
    double spread = 0.0;
    for (std::size_t t = 0; t < features.size(); ++t) spread = std::max(spread, std::fabs(reference[t][d]));
    const double tolerance = d < 39 ? 2e-3 * spread + 0.02 : 2e-2 * spread + 1e-3;
    for (std::size_t t = 0; t < features.size(); ++t)
      ASSERT_NEAR(features[t][d], reference[t][d], tolerance)
          << signal.name << " frame " << t << " component " << d;
  }
}

TEST(FrontEndOracle, MatchesTheReferenceOnEverySignal) {
  for (const SignalCase& signal : Signals()) ExpectMatchesOracle(signal);
}

TEST(FrontEnd, OneSecondGivesNinetyNineFramesAndHoldsFourBack) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const auto samples = test_signals::Noise(11025, 1000);
  EXPECT_EQ(frontEnd.generate_Feature_Buffer(0, samples.data(), 11025), 95);
  EXPECT_NE(frontEnd.get_SingleOpVector(0, 98), nullptr);
  EXPECT_EQ(frontEnd.get_SingleOpVector(0, 99), nullptr);
}

TEST(FrontEnd, LiveInsertionInAnyBlockSizeEqualsTheWholeBuffer) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const auto samples = test_signals::Speech();
  const Features whole = WholeBuffer(frontEnd, samples);
  for (int block : {1, 37, 110, 165, 4290})
    EXPECT_EQ(Live(frontEnd, samples, block), whole) << "block " << block;
}

TEST(FrontEnd, DoublingTheAmplitudeShiftsOnlyC0) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  auto samples = test_signals::Chirp(11025, 300.0, 3000.0, 4000.0);
  const Features base = WholeBuffer(frontEnd, samples);
  for (auto& s : samples) s = static_cast<std::int16_t>(2 * s);
  const Features doubled = WholeBuffer(frontEnd, samples);
  ASSERT_EQ(base.size(), doubled.size());
  const double shift = 40 * 10.0 * std::log10(4.0);
  for (std::size_t t = 0; t < base.size(); ++t) {
    EXPECT_NEAR(doubled[t][0] - base[t][0], shift, 0.05) << t;
    for (int d = 1; d < 50; ++d) {
      const double tolerance = d < 39 ? 0.05 : 1e-3 * std::fabs(base[t][d]) + 1e-3;
      EXPECT_NEAR(doubled[t][d], base[t][d], tolerance) << t << " " << d;
    }
  }
}

TEST(FrontEnd, DigitalSilenceGivesFiniteFeatures) {
  for (const char* noise : {"0", "1"}) {
    C_rFrontEnd frontEnd;
    const std::vector<std::int16_t> silence(4000, 0);
    ASSERT_EQ(spec_file::Configure(frontEnd, {{"MelFilter", "NoiseSpectrumFilter", noise},
                                              {"MelFilter", "fSpeechPercentageTotal", "100"}}),
              0);
    for (const auto& row : WholeBuffer(frontEnd, silence))
      for (float v : row) ASSERT_TRUE(std::isfinite(v)) << noise;
  }
}

TEST(FrontEnd, NoiseRemovalLowersStationaryNoise) {
  const auto noise = test_signals::Noise(11025, 2000);
  C_rFrontEnd plain, cleaned;
  ASSERT_EQ(plain.setup_Std(1), 0);
  ASSERT_EQ(spec_file::Configure(cleaned, {{"MelFilter", "NoiseSpectrumFilter", "1"}}), 0);
  const Features before = WholeBuffer(plain, noise);
  const Features after = WholeBuffer(cleaned, noise);
  ASSERT_EQ(before.size(), after.size());
  // Once the estimate has adapted, most of the noise energy is gone from c0.
  for (std::size_t t = 20; t < before.size(); ++t) EXPECT_LT(after[t][0], before[t][0] - 100.0f) << t;
}

TEST(FrontEnd, PitchIgnoresPreprocessingWhileCepstraFollowIt) {
  const auto samples = test_signals::Speech();
  C_rFrontEnd standard;
  ASSERT_EQ(standard.setup_Std(1), 0);
  const Features base = WholeBuffer(standard, samples);
  C_rFrontEnd other;
  ASSERT_EQ(spec_file::Configure(other, {{"FrontEnd", "Preemphasis", "0.5"},
                                         {"FrontEnd", "Window", "Rectangular"},
                                         {"FrontEnd", "DcOffsetConstant", "0.5"}}),
            0);
  const Features changed = WholeBuffer(other, samples);
  ASSERT_EQ(changed.size(), base.size());
  double cepstralChange = 0.0;
  for (std::size_t t = 0; t < base.size(); ++t) {
    for (int d = 39; d < 50; ++d) EXPECT_EQ(changed[t][d], base[t][d]);
    cepstralChange = std::max(cepstralChange, static_cast<double>(std::fabs(changed[t][1] - base[t][1])));
  }
  EXPECT_GT(cepstralChange, 1.0);
}

TEST(FrontEnd, StreamsFollowTheirPositionLists) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const auto samples = test_signals::Tone(3000, 440.0, 5000.0);
  frontEnd.generate_Feature_Buffer(0, samples.data(), 3000);
  const std::vector<float> single(frontEnd.get_SingleOpVector(0, 7), frontEnd.get_SingleOpVector(0, 7) + 50);
  const C_rStreamVectors* streams = frontEnd.generate_op_frame(0, 7);
  ASSERT_NE(streams, nullptr);
  ASSERT_EQ(streams->numStreams, 2);
  EXPECT_EQ(streams->dims[0], 39);
  EXPECT_EQ(streams->dims[1], 11);
  EXPECT_EQ(streams->vectors[0][0], single[1]);
  EXPECT_EQ(streams->vectors[0][1], single[13]);
  EXPECT_EQ(streams->vectors[0][4], single[0]);
  for (int e = 0; e < 11; ++e) EXPECT_EQ(streams->vectors[1][e], single[39 + e]);
}

TEST(FrontEnd, DeltasNeedFiveFramesAndDeltaDeltasSeven) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(1), 0);
  const auto samples = test_signals::Chirp(2000, 300.0, 3000.0, 4000.0);
  // 4 frames: 165 + 3 x 110 samples.
  frontEnd.generate_Feature_Buffer(0, samples.data(), 495);
  for (int d = 13; d < 39; ++d) EXPECT_EQ(frontEnd.get_SingleOpVector(0, 0)[d], 0.0f);
  frontEnd.generate_Feature_Buffer(0, samples.data(), 605);
  const float* v = frontEnd.get_SingleOpVector(0, 0);
  const std::vector<float> frame0(v, v + 50);
  const float* f2 = frontEnd.get_SingleOpVector(0, 2);
  EXPECT_FLOAT_EQ(frame0[13], f2[0] - frame0[0]);
  for (int d = 26; d < 39; ++d) EXPECT_EQ(frame0[d], 0.0f);
}

TEST(FrontEnd, FrameCountStopsAtTheStoredFrames) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(spec_file::Configure(frontEnd, {{"FrontEnd", "MaxNumFrame", "20"}}), 0);
  testing::internal::CaptureStdout();
  const auto samples = test_signals::Noise(11025, 1000);
  EXPECT_EQ(frontEnd.generate_Feature_Buffer(0, samples.data(), 11025), 16);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("max idx = 20 reached."), std::string::npos);
  EXPECT_EQ(frontEnd.generate_op_frame(0, 20), nullptr);
  EXPECT_NE(frontEnd.generate_op_frame(0, 15), nullptr);
}

TEST(FrontEnd, BadInputIndexFailsWithoutStopping) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(2), 0);
  testing::internal::CaptureStdout();
  const std::int16_t s[4] = {1, 2, 3, 4};
  EXPECT_EQ(frontEnd.insert_LiveWaveData(2, s, 4), -1);
  EXPECT_EQ(frontEnd.generate_op_frame(-1, 0), nullptr);
  EXPECT_EQ(frontEnd.get_numFrame(7), -1);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("Error in idx = 2, valid range = 0..1"), std::string::npos);
  EXPECT_NE(output.find("Error in function : C_rFrontEnd::insert_LiveWaveData"), std::string::npos);
}

TEST(FrontEnd, InputsOnSeparateThreadsMatchOneAtATime) {
  C_rFrontEnd frontEnd;
  ASSERT_EQ(frontEnd.setup_Std(2), 0);
  const auto a = test_signals::Speech();
  const auto b = test_signals::Chirp(11025, 500.0, 2500.0, 7000.0);
  const Features expectA = WholeBuffer(frontEnd, a, 0);
  const Features expectB = WholeBuffer(frontEnd, b, 1);
  Features gotA, gotB;
  std::thread first([&] { gotA = WholeBuffer(frontEnd, a, 0); });
  std::thread second([&] { gotB = WholeBuffer(frontEnd, b, 1); });
  first.join();
  second.join();
  EXPECT_EQ(gotA, expectA);
  EXPECT_EQ(gotB, expectB);
}

}  // namespace
