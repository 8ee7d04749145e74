// The audio session on the system's wave-input device. Plain wine has no
// capture device: the session does not start. With WRENDLE_CAPTURE_EXPECTED
// set, the test runs with a HOME whose ALSA configuration feeds a raw file
// of the espeak-ng phrase to the default device (faster than real time, so
// buffers overflow): utterance files appear, overflows are counted, and
// stopping returns.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "engine/api/audio_session.h"
#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

bool CaptureExpected() { return std::getenv("WRENDLE_CAPTURE_EXPECTED") != nullptr; }

TEST(AudioDevice, NoCaptureDeviceMeansNoStart) {
  if (CaptureExpected()) GTEST_SKIP() << "a capture device is configured";
  CAudioSession session(SystemAudioDevices());
  EXPECT_FALSE(session.Start());
  EXPECT_FALSE(session.running());
}

TEST(AudioDevice, CapturesUtterancesFromTheDevice) {
  if (!CaptureExpected()) GTEST_SKIP() << "no capture device configured";
  testing_support::TemporaryDirectory folder;
  CAudioSession session(SystemAudioDevices());
  session.SetUtteranceFolder(folder.path().string());
  ASSERT_TRUE(session.Start());
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (session.next_utterance() < 3 && std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto stopping = std::chrono::steady_clock::now();
  session.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(2));
  EXPECT_GE(session.next_utterance(), 1u);
  for (std::uint32_t n = 0; n < session.next_utterance(); ++n) {
    CUtteranceStore names;
    names.SetFolder(folder.path().string());
    EXPECT_TRUE(IsValidWaveFile(names.PathOf(n))) << n;
  }
  std::printf("utterances %u, overflows %u\n", session.next_utterance(), session.overflows());
}

}  // namespace
}  // namespace vok::api
