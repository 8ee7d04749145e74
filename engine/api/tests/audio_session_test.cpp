#include "engine/api/audio_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "engine/core/byte_order.h"
#include "tests/support/temporary_directory.h"

namespace vok::api {
namespace {

std::vector<std::int16_t> FixtureSamples() {
  CWaveFile file;
  EXPECT_TRUE(file.OpenForReading(VOK_AUDIO_FIXTURE));
  std::vector<std::int16_t> samples(file.SampleCount());
  file.Read(samples);
  return samples;
}

std::vector<std::int16_t> Repeated(const std::vector<std::int16_t>& samples, int times) {
  std::vector<std::int16_t> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

std::vector<std::int16_t> ReadAll(const std::string& path) {
  CWaveFile file;
  if (!file.OpenForReading(path)) return {};
  std::vector<std::int16_t> samples(file.SampleCount());
  file.Read(samples);
  return samples;
}

// The running mean the device input takes out, written again from its
// formula.
std::vector<std::int16_t> WithoutDirectCurrent(const std::vector<std::int16_t>& samples) {
  std::vector<std::int16_t> out(samples.size());
  double mean = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    mean = 0.9998 * mean + 0.0002 * samples[i];
    out[i] =
        static_cast<std::int16_t>(std::clamp(static_cast<float>(samples[i] - mean), -32768.0f, 32767.0f));
  }
  return out;
}

class RecordingOutput final : public platform::WaveOutput {
 public:
  bool PlaySoundFile(const char* path, bool synchronous) override {
    played.emplace_back(path, synchronous);
    return true;
  }
  std::vector<std::pair<std::string, bool>> played;
};

class CountingConsumer final : public FrameConsumer {
 public:
  void TakeFrame(std::span<const std::int16_t> frame) override {
    EXPECT_EQ(frame.size(), kFrameSamples);
    frames.fetch_add(1);
  }
  std::atomic<std::size_t> frames{0};
};

// A session over a scripted sample device; the capture thread's idle sleep
// is cut to `idle_ms`.
struct Rig {
  Rig(std::vector<std::int16_t> samples, unsigned period_ms, unsigned idle_ms) {
    AudioDevices devices;
    devices.open_input = [this, samples = std::move(samples),
                          period_ms]() -> std::unique_ptr<platform::WaveInput> {
      auto device = std::make_unique<platform::SampleWaveInput>(samples, period_ms);
      input = device.get();
      return device;
    };
    devices.output = &output;
    devices.sleep = [idle_ms](unsigned) { std::this_thread::sleep_for(std::chrono::milliseconds(idle_ms)); };
    session = std::make_unique<CAudioSession>(std::move(devices));
    session->SetUtteranceFolder(folder.path().string());
  }

  void WaitForDevice() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!input->finished() && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  void WaitForFile() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (session->running() && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::vector<std::vector<std::int16_t>> Utterances() {
    std::vector<std::vector<std::int16_t>> out;
    CUtteranceStore names;
    names.SetFolder(folder.path().string());
    for (std::uint32_t n = 0; n < session->next_utterance(); ++n) out.push_back(ReadAll(names.PathOf(n)));
    return out;
  }

  testing_support::TemporaryDirectory folder;
  RecordingOutput output;
  platform::SampleWaveInput* input = nullptr;
  std::unique_ptr<CAudioSession> session;
};

// Where each utterance lies in the input, in frames; -1 when its samples
// are not a frame-aligned piece of the input.
std::vector<std::int64_t> FrameOffsets(const std::vector<std::vector<std::int16_t>>& utterances,
                                       const std::vector<std::int16_t>& input) {
  std::vector<std::int64_t> offsets;
  std::size_t from = 0;
  for (const auto& utterance : utterances) {
    std::int64_t found = -1;
    for (std::size_t at = from; !utterance.empty() && at + utterance.size() <= input.size();
         at += kFrameSamples) {
      if (std::equal(utterance.begin(), utterance.end(), input.begin() + static_cast<std::ptrdiff_t>(at))) {
        found = static_cast<std::int64_t>(at / kFrameSamples);
        from = at + utterance.size();
        break;
      }
    }
    offsets.push_back(found);
  }
  return offsets;
}

TEST(AudioSession, DeviceCaptureStoresEachPhraseBetweenItsPauses) {
  // Three times the fixture: 12 s, past the 520-frame ring more than once.
  // The device waits for a buffer to come back, so nothing is lost however
  // slow the machine.
  const auto input = Repeated(FixtureSamples(), 3);
  Rig rig(input, 0, 1);
  ASSERT_TRUE(rig.session->Start());
  EXPECT_FALSE(rig.session->Start());
  rig.WaitForDevice();
  EXPECT_EQ(rig.input->lost_samples(), 0u);
  rig.session->Stop();
  const auto utterances = rig.Utterances();
  // "one", "two three", "four", three times.
  ASSERT_EQ(utterances.size(), 9u);
  const auto offsets = FrameOffsets(utterances, WithoutDirectCurrent(input));
  for (std::size_t i = 0; i < utterances.size(); ++i) {
    EXPECT_GE(offsets[i], 0) << "utterance " << i << " is not a piece of the input";
    // Each holds its word and stays inside the pauses around it.
    const auto [low, high] = std::minmax_element(utterances[i].begin(), utterances[i].end());
    EXPECT_GT(*high - *low, 20000) << i;
    EXPECT_LT(utterances[i].size(), 2 * kEngineSampleRate) << i;
  }
  EXPECT_EQ(rig.session->UnreadUtterances(), 9u);
}

TEST(AudioSession, OverflowIsCountedAndCaptureGoesOn) {
  // The device fills a buffer every millisecond while the capture thread
  // sleeps 40 ms when it finds none: all four are out again and again.
  const std::vector<std::int16_t> input(100 * CAudioSession::kBlockSamples, 1000);
  Rig rig(input, 1, 40);
  CountingConsumer consumer;
  rig.session->AttachFrameConsumer(&consumer);
  ASSERT_TRUE(rig.session->Start());
  rig.WaitForDevice();
  const std::size_t lost = rig.input->lost_samples();
  rig.session->Stop();  // the device goes with it
  EXPECT_GT(rig.session->overflows(), 0u);
  EXPECT_GT(lost, 0u);
  // Every block that found a buffer was taken, also after the overflows.
  const std::size_t delivered = input.size() - lost;
  EXPECT_EQ(consumer.frames.load() * kFrameSamples, delivered);
  EXPECT_GT(delivered, 8 * CAudioSession::kBlockSamples);
}

TEST(AudioSession, NoDeviceMeansNoStart) {
  AudioDevices devices;
  devices.open_input = [] { return std::unique_ptr<platform::WaveInput>(); };
  devices.sleep = [](unsigned) {};
  CAudioSession session(std::move(devices));
  EXPECT_FALSE(session.Start());
  EXPECT_FALSE(session.running());
}

// A wave file of the engine's format at another rate, each sample given
// `repeat` times, or with other channel and bit counts.
void WriteWave(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate,
               int repeat = 1, std::uint16_t channels = 1) {
  std::vector<unsigned char> data;
  for (std::int16_t s : samples) {
    for (int r = 0; r < repeat * channels; ++r) {
      data.push_back(static_cast<unsigned char>(s & 0xFF));
      data.push_back(static_cast<unsigned char>((s >> 8) & 0xFF));
    }
  }
  auto header = WaveHeader(static_cast<std::uint32_t>(data.size()));
  StoreLittleEndian16(header.data() + 22, channels);
  StoreLittleEndian32(header.data() + 24, rate);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(header.data(), 1, header.size(), file);
  std::fwrite(data.data(), 1, data.size(), file);
  std::fclose(file);
}

TEST(AudioSession, FileInputAtBothRates) {
  const auto samples = FixtureSamples();
  for (std::uint32_t rate : {11025u, 22050u}) {
    Rig rig({}, 0, 0);
    const std::string path = rig.folder.File("input.wav");
    WriteWave(path, samples, rate, rate == 22050 ? 2 : 1);
    ASSERT_EQ(rig.session->SelectInputFile(path.c_str()), kVokOk) << rate;
    ASSERT_TRUE(rig.session->Start()) << rate;
    rig.WaitForFile();
    const auto utterances = rig.Utterances();
    EXPECT_EQ(utterances.size(), 3u) << rate;
    if (rate == 11025) {
      const auto offsets = FrameOffsets(utterances, samples);
      for (auto offset : offsets) EXPECT_GE(offset, 0);
    }
  }
}

TEST(AudioSession, SearchesReadStoredUtterancesInBlocks) {
  Rig rig({}, 0, 0);
  const std::string path = rig.folder.File("input.wav");
  WriteWave(path, FixtureSamples(), 11025);
  ASSERT_EQ(rig.session->SelectInputFile(path.c_str()), kVokOk);
  ASSERT_TRUE(rig.session->Start());
  rig.WaitForFile();
  vok::UtteranceSource& source = *rig.session;
  EXPECT_FALSE(source.SelectUtterance(3));
  EXPECT_FALSE(source.SelectUtterance(-1));
  ASSERT_TRUE(source.SelectUtterance(1));
  std::vector<std::int16_t> samples, block(1000);
  bool finished = false;
  while (!finished) {
    int read = 0;
    ASSERT_EQ(source.ReadSamples(block.data(), 1000, &read, &finished), 0);
    samples.insert(samples.end(), block.begin(), block.begin() + read);
  }
  EXPECT_EQ(samples, rig.Utterances()[1]);
  // Utterances are taken in order: those up to the one read are done.
  EXPECT_EQ(rig.session->UnreadUtterances(), 1u);
}

TEST(AudioSession, DoubleRateFileGivesFullBlocksWithNothingLost) {
  // 10 blocks of 22050 Hz samples give 5 blocks at 11025 Hz and a few
  // samples of a sixth; every converter output lands in a block.
  Rig rig({}, 0, 0);
  const std::string path = rig.folder.File("double.wav");
  WriteWave(path, std::vector<std::int16_t>(10 * CAudioSession::kBlockSamples + 50, 100), 22050);
  CountingConsumer consumer;
  rig.session->AttachFrameConsumer(&consumer);
  ASSERT_EQ(rig.session->SelectInputFile(path.c_str()), kVokOk);
  ASSERT_TRUE(rig.session->Start());
  rig.WaitForFile();
  EXPECT_EQ(consumer.frames.load(), 6 * (CAudioSession::kBlockSamples / kFrameSamples));
}

TEST(AudioSession, FileInputRefusals) {
  Rig rig({}, 0, 0);
  struct Case {
    const char* name;
    std::uint32_t rate;
    std::uint16_t channels;
  };
  for (const Case& c : {Case{"8000 Hz", 8000, 1}, Case{"stereo", 11025, 2}}) {
    const std::string path = rig.folder.File("refused.wav");
    WriteWave(path, std::vector<std::int16_t>(5000, 100), c.rate, 1, c.channels);
    EXPECT_EQ(rig.session->SelectInputFile(path.c_str()), kVokFileMissing) << c.name;
    EXPECT_FALSE(rig.session->file_input()) << c.name;
  }
  EXPECT_EQ(rig.session->SelectInputFile(rig.folder.File("missing.wav").c_str()), kVokFileMissing);
  EXPECT_EQ(rig.session->SelectInputFile(nullptr), kVokOk);
}

TEST(AudioSession, SelectingTheFileAgainCutsTheSameUtterances) {
  // After a first pass the ring offset stands elsewhere; selecting the file
  // again starts frame 0 at the ring's start, so the second pass stores the
  // very same samples.
  Rig rig({}, 0, 0);
  const std::string path = rig.folder.File("input.wav");
  WriteWave(path, Repeated(FixtureSamples(), 2), 11025);
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(rig.session->SelectInputFile(path.c_str()), kVokOk);
    ASSERT_TRUE(rig.session->Start());
    rig.WaitForFile();
  }
  const auto utterances = rig.Utterances();
  ASSERT_EQ(utterances.size(), 12u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(utterances[i], utterances[i + 6]) << i;
}

TEST(AudioSession, PlaybackAnswers) {
  Rig rig({}, 0, 0);
  const std::string path = rig.folder.File("input.wav");
  WriteWave(path, FixtureSamples(), 11025);
  ASSERT_EQ(rig.session->SelectInputFile(path.c_str()), kVokOk);
  ASSERT_TRUE(rig.session->Start());
  rig.WaitForFile();
  CUtteranceStore names;
  names.SetFolder(rig.folder.path().string());
  EXPECT_EQ(rig.session->Playback(1, true), kVokOk);
  EXPECT_EQ(rig.session->Playback(7, true), kVokBadArgument);
  EXPECT_EQ(rig.session->Playback(-1, false), kVokBadArgument);
  const std::vector<std::pair<std::string, bool>> expected = {
      {names.PathOf(1), true}, {"wave.wav.wav", false}, {"wave.wav.wav", false}};
  EXPECT_EQ(rig.output.played, expected);
}

}  // namespace
}  // namespace vok::api
