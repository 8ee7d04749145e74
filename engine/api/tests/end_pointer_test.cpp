#include "engine/api/end_pointer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vok::api {
namespace {

// Frames of constant amplitude: energy is the amplitude squared. The floor
// 10^5.2 lies near amplitude 398.
constexpr std::int16_t kQuiet = 100;
constexpr std::int16_t kLoud = 2000;

struct Segment {
  std::int16_t amplitude;
  int frames;
};

struct Utterance {
  std::int32_t start, end;
  bool operator==(const Utterance&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Utterance& u) {
  return out << "[" << u.start << ", " << u.end << ")";
}

// Runs the segments; every end gives the utterance [start, end mark).
std::vector<Utterance> Feed(CEndPointer& pointer, const std::vector<Segment>& segments) {
  std::vector<Utterance> utterances;
  for (const Segment& segment : segments) {
    const std::vector<std::int16_t> frame(kFrameSamples, segment.amplitude);
    for (int i = 0; i < segment.frames; ++i) {
      if (pointer.ProcessFrame(frame) == CEndPointer::kSpeechEnded)
        utterances.push_back({pointer.start_frame(), pointer.end_mark()});
    }
  }
  return utterances;
}

TEST(EndPointer, UtterancesOfEnergyRuns) {
  struct Case {
    const char* name;
    std::vector<Segment> segments;
    std::vector<Utterance> expected;
  };
  const Case cases[] = {
      // Speech starts on its 6th loud frame (25); the walk back passes the
      // 6 loud frames and 8 quiet ones: start 25 - 14. The 26th quiet
      // frame (75) ends it, the end mark 18 frames back.
      {"plain", {{kQuiet, 20}, {kLoud, 30}, {kQuiet, 30}}, {{11, 57}}},
      {"5 loud frames do not start", {{kQuiet, 20}, {kLoud, 5}, {kQuiet, 40}}, {}},
      {"2 quiet frames do not arm", {{kQuiet, 2}, {kLoud, 30}, {kQuiet, 30}}, {}},
      // Armed after 3 quiet frames; the walk back meets frame 0 first.
      {"3 quiet frames arm", {{kQuiet, 3}, {kLoud, 30}, {kQuiet, 30}}, {{0, 40}}},
      {"25 quiet frames do not end",
       {{kQuiet, 20}, {kLoud, 30}, {kQuiet, 25}, {kLoud, 10}, {kQuiet, 26}},
       {{11, 92}}},
      // 1002 frames at most: ended on frame start + 1002.
      {"cut at 1002", {{kQuiet, 10}, {kLoud, 1100}}, {{1, 1003}}},
      // Past 534 frames 8 quiet frames end it, half of them kept.
      {"long speech, 8 quiet", {{kQuiet, 20}, {kLoud, 600}, {kQuiet, 8}}, {{11, 623}}},
      {"long speech, 7 quiet", {{kQuiet, 20}, {kLoud, 600}, {kQuiet, 7}, {kLoud, 5}}, {}},
      // Speech that goes on after a cut starts again on the next frame: the
      // walk back may not pass the last end (1003), and the loud run is
      // already long enough.
      {"speech goes on after a cut", {{kQuiet, 10}, {kLoud, 1100}, {kQuiet, 30}}, {{1, 1003}, {1004, 1117}}},
      {"a second utterance",
       {{kQuiet, 20}, {kLoud, 30}, {kQuiet, 26}, {kLoud, 30}, {kQuiet, 30}},
       {{11, 57}, {67, 113}}},
  };
  for (const Case& c : cases) {
    CEndPointer pointer;
    EXPECT_EQ(Feed(pointer, c.segments), c.expected) << c.name;
  }
}

TEST(EndPointer, NoiseEstimateKeepsToTheFloor) {
  // Quiet frames just under the floor: 6 x their mean lies above it and
  // becomes the threshold at frame 668.
  CEndPointer noisy;
  Feed(noisy, {{300, 667}});
  EXPECT_EQ(noisy.threshold(), CEndPointer::kEnergyFloor);
  Feed(noisy, {{300, 1}});
  EXPECT_DOUBLE_EQ(noisy.threshold(), 6.0 * 300 * 300);
  // Very quiet frames give an estimate below the floor: raised to it.
  CEndPointer silent;
  Feed(silent, {{10, 668}});
  EXPECT_EQ(silent.threshold(), CEndPointer::kEnergyFloor);
  // Nothing held below the threshold: the floor again.
  CEndPointer loud;
  Feed(loud, {{kLoud, 668}});
  EXPECT_EQ(loud.threshold(), CEndPointer::kEnergyFloor);
}

TEST(EndPointer, ThresholdFromTheFirstFramesOfAFile) {
  CEndPointer pointer;
  std::vector<std::int16_t> samples(6 * kFrameSamples, 1000);
  pointer.SetThresholdFromFrames(samples, 6);
  EXPECT_DOUBLE_EQ(pointer.threshold(), 6.0 * 1000 * 1000);
  std::fill(samples.begin(), samples.end(), std::int16_t{3});
  pointer.SetThresholdFromFrames(samples, 6);
  EXPECT_EQ(pointer.threshold(), CEndPointer::kEnergyFloor);
}

TEST(EndPointer, InputLevelIsTheLoudestOfTheLastSixFrames) {
  CEndPointer pointer;
  EXPECT_EQ(pointer.InputLevel(), 0);
  Feed(pointer, {{1200, 1}, {kQuiet, 5}});
  EXPECT_EQ(pointer.InputLevel(), 1200);
  Feed(pointer, {{kQuiet, 1}});
  EXPECT_EQ(pointer.InputLevel(), kQuiet);
}

}  // namespace
}  // namespace vok::api
