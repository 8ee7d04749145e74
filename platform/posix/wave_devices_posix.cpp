// Natively the capture device is a raw file of 16-bit little-endian mono
// samples named by WRENDLE_CAPTURE_FILE, delivered in real time; there is no
// sound output and no mixer.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/wave_input.h"

namespace platform {
namespace {

class NoCaptureDevice final : public WaveInput {
 public:
  bool Open(std::uint32_t, std::size_t, std::size_t, FilledCallback) override { return false; }
  bool Start() override { return false; }
  bool Recycle(std::size_t, std::span<std::int16_t>) override { return false; }
  void Close() override {}
};

class SilentOutput final : public WaveOutput {
 public:
  bool PlaySoundFile(const char*, bool) override { return false; }
};

class NoMixer final : public InputMixer {
 public:
  bool is_open() const override { return false; }
  bool has_peak_meter() const override { return false; }
};

// The time the sound card takes for one buffer at the engine's rate.
unsigned RealTimePeriod(std::size_t samples, std::uint32_t rate) {
  return static_cast<unsigned>(samples * 1000 / rate);
}

class RawFileCapture final : public WaveInput {
 public:
  explicit RawFileCapture(std::vector<std::int16_t> samples) : samples_(std::move(samples)) {}
  bool Open(std::uint32_t rate, std::size_t buffer_samples, std::size_t buffer_count,
            FilledCallback filled) override {
    device_ = std::make_unique<SampleWaveInput>(samples_, RealTimePeriod(buffer_samples, rate));
    return device_->Open(rate, buffer_samples, buffer_count, std::move(filled));
  }
  bool Start() override { return device_ && device_->Start(); }
  bool Recycle(std::size_t index, std::span<std::int16_t> out) override {
    return device_ && device_->Recycle(index, out);
  }
  void Close() override {
    if (device_) device_->Close();
  }

 private:
  std::vector<std::int16_t> samples_;
  std::unique_ptr<SampleWaveInput> device_;
};

}  // namespace

std::unique_ptr<WaveInput> CreateSystemWaveInput() {
  const char* path = std::getenv("WRENDLE_CAPTURE_FILE");
  if (path == nullptr) return std::make_unique<NoCaptureDevice>();
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::make_unique<NoCaptureDevice>();
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return std::make_unique<RawFileCapture>(std::move(samples));
}

std::unique_ptr<WaveOutput> CreateSystemWaveOutput() { return std::make_unique<SilentOutput>(); }

std::unique_ptr<InputMixer> OpenInputMixer() { return std::make_unique<NoMixer>(); }

}  // namespace platform
