// The wave-input device (waveIn* with a callback function), the simple
// sound call and the input mixer.
#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "platform/wave_input.h"

namespace platform {
namespace {

class WaveInDevice final : public WaveInput {
 public:
  ~WaveInDevice() override { Close(); }

  bool Open(std::uint32_t rate, std::size_t buffer_samples, std::size_t buffer_count,
            FilledCallback filled) override {
    Close();
    filled_ = std::move(filled);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = rate * 2;
    if (waveInOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&WaveInDevice::Callback),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
      device_ = nullptr;
      return false;
    }
    data_.assign(buffer_count, std::vector<std::int16_t>(buffer_samples));
    headers_.assign(buffer_count, WAVEHDR{});
    for (std::size_t i = 0; i < buffer_count; ++i) {
      if (!Hand(i)) {
        Close();
        return false;
      }
    }
    return true;
  }

  bool Start() override { return device_ != nullptr && waveInStart(device_) == MMSYSERR_NOERROR; }

  bool Recycle(std::size_t index, std::span<std::int16_t> out) override {
    if (device_ == nullptr || index >= headers_.size()) return false;
    waveInUnprepareHeader(device_, &headers_[index], sizeof(WAVEHDR));
    const auto& data = data_[index];
    std::copy_n(data.begin(), std::min(out.size(), data.size()), out.begin());
    return Hand(index);
  }

  void Close() override {
    if (device_ == nullptr) return;
    waveInReset(device_);
    for (WAVEHDR& header : headers_) waveInUnprepareHeader(device_, &header, sizeof(WAVEHDR));
    waveInClose(device_);
    device_ = nullptr;
    headers_.clear();
    data_.clear();
  }

 private:
  bool Hand(std::size_t index) {
    WAVEHDR& header = headers_[index];
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(data_[index].data());
    header.dwBufferLength = static_cast<DWORD>(data_[index].size() * sizeof(std::int16_t));
    return waveInPrepareHeader(device_, &header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
           waveInAddBuffer(device_, &header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  }

  // The audio system's thread: message 960 (WIM_DATA) for every filled
  // buffer. No wave function may be called from here.
  static void CALLBACK Callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message != WIM_DATA) return;
    auto* self = reinterpret_cast<WaveInDevice*>(instance);
    if (self->filled_) self->filled_();
  }

  HWAVEIN device_ = nullptr;
  std::vector<std::vector<std::int16_t>> data_;
  std::vector<WAVEHDR> headers_;
  FilledCallback filled_;
};

class SimpleSoundOutput final : public WaveOutput {
 public:
  bool PlaySoundFile(const char* path, bool synchronous) override {
    return sndPlaySoundA(path, synchronous ? SND_SYNC : SND_ASYNC) != FALSE;
  }
};

class WaveInMixer final : public InputMixer {
 public:
  WaveInMixer() {
    if (mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
      mixer_ = nullptr;
      return;
    }
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;  // 7
    if (mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(mixer_), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR)
      return;
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_PEAKMETER;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    peak_meter_ = mixerGetLineControlsA(reinterpret_cast<HMIXEROBJ>(mixer_), &controls,
                                        MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR;
  }
  ~WaveInMixer() override {
    if (mixer_ != nullptr) mixerClose(mixer_);
  }
  WaveInMixer(const WaveInMixer&) = delete;
  WaveInMixer& operator=(const WaveInMixer&) = delete;

  bool is_open() const override { return mixer_ != nullptr; }
  bool has_peak_meter() const override { return peak_meter_; }

 private:
  HMIXER mixer_ = nullptr;
  bool peak_meter_ = false;
};

}  // namespace

std::unique_ptr<WaveInput> CreateSystemWaveInput() { return std::make_unique<WaveInDevice>(); }
std::unique_ptr<WaveOutput> CreateSystemWaveOutput() { return std::make_unique<SimpleSoundOutput>(); }
std::unique_ptr<InputMixer> OpenInputMixer() { return std::make_unique<WaveInMixer>(); }

}  // namespace platform
