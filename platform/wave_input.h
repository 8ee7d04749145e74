// The sound card's capture side as the engine's audio session uses it: a set
// of buffers handed to the device, filled in order, each filled one reported
// through a callback, taken out by the caller and handed back. When every
// buffer is out of the device, the device has nowhere to put its samples and
// they are lost (the caller counts those overflows).
//
// Win32: waveIn* on the default device, 16-bit mono PCM. Portable: a device
// made from samples in memory (a file's), delivered at a chosen pace through
// the same protocol; natively the system device is such a source reading the
// raw 16-bit little-endian mono file that WRENDLE_CAPTURE_FILE names, and
// there is none without it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace platform {

class WaveInput {
 public:
  // Called in the audio system's thread for each filled buffer, in fill
  // order; it may only touch atomics.
  using FilledCallback = std::function<void()>;

  virtual ~WaveInput() = default;

  // Opens the device for 16-bit mono samples at `rate` and hands it
  // `buffer_count` buffers of `buffer_samples` samples each, in order 0, 1...
  // False when the device cannot be opened or takes no buffer.
  virtual bool Open(std::uint32_t rate, std::size_t buffer_samples, std::size_t buffer_count,
                    FilledCallback filled) = 0;
  virtual bool Start() = 0;
  // Copies the filled buffer `index` into `out` (buffer_samples samples) and
  // hands it back to the device.
  virtual bool Recycle(std::size_t index, std::span<std::int16_t> out) = 0;
  // Stops, takes every buffer back and closes the device.
  virtual void Close() = 0;
};

// The system's default capture device (not yet opened).
std::unique_ptr<WaveInput> CreateSystemWaveInput();

// A capture device that delivers `samples`, then nothing. `buffer_period_ms`
// is the time between two filled buffers (0: as fast as the buffers come
// back). The samples that arrive while every buffer is out are lost, as on a
// sound card.
class SampleWaveInput final : public WaveInput {
 public:
  SampleWaveInput(std::vector<std::int16_t> samples, unsigned buffer_period_ms);
  ~SampleWaveInput() override;

  bool Open(std::uint32_t rate, std::size_t buffer_samples, std::size_t buffer_count,
            FilledCallback filled) override;
  bool Start() override;
  bool Recycle(std::size_t index, std::span<std::int16_t> out) override;
  void Close() override;

  // Samples that found no buffer, and whether every sample was delivered or
  // lost.
  std::size_t lost_samples() const;
  bool finished() const;

 private:
  class Device;
  std::unique_ptr<Device> device_;
};

// The simple sound call of the system.
class WaveOutput {
 public:
  virtual ~WaveOutput() = default;
  // Plays a wave file (or the system's default sound when the file is not
  // one); returns at once unless `synchronous`. False when nothing played.
  virtual bool PlaySoundFile(const char* path, bool synchronous) = 0;
};

std::unique_ptr<WaveOutput> CreateSystemWaveOutput();

// The first mixer device with the wave-input destination line and its peak
// meter, held open for the object's life.
class InputMixer {
 public:
  virtual ~InputMixer() = default;
  virtual bool is_open() const = 0;
  virtual bool has_peak_meter() const = 0;
};

std::unique_ptr<InputMixer> OpenInputMixer();

}  // namespace platform
