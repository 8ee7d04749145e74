// The speech recognizer's audio: capture from the wave-input device (four
// buffers of one block each) or from a wave file, direct-current removal for
// the device, a ring of the last 20 blocks, energy end-pointing, and the
// utterance files of the user's wave folder; playback and the input mixer.
//
// Threads: the device callback only counts filled buffers (atomics); the
// capture thread takes them out, fills the ring and writes the utterance
// files under the session lock; the recognition side reads stored
// utterances under the same lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/api/end_pointer.h"
#include "engine/api/resample.h"
#include "engine/api/utterance_store.h"
#include "engine/api/vok_status.h"
#include "engine/api/wave_file.h"
#include "platform/wave_input.h"

namespace vok::api {

// Takes every frame of the input instead of the end-pointer.
class FrameConsumer {
 public:
  virtual ~FrameConsumer() = default;
  virtual void TakeFrame(std::span<const std::int16_t> frame) = 0;
};

struct AudioDevices {
  std::function<std::unique_ptr<platform::WaveInput>()> open_input;
  platform::WaveOutput* output = nullptr;
  std::function<std::unique_ptr<platform::InputMixer>()> open_mixer;
  std::function<void(unsigned milliseconds)> sleep;
};

// The system's devices and a real sleep.
AudioDevices SystemAudioDevices();

class CAudioSession : public vok::UtteranceSource {
 public:
  static constexpr std::size_t kBlockSamples = 4290;  // 26 frames
  static constexpr std::size_t kBuffers = 4;
  static constexpr std::size_t kRingSamples = 20 * kBlockSamples;  // 520 frames
  static constexpr std::size_t kRingFrames = kRingSamples / kFrameSamples;
  static constexpr unsigned kBlockMilliseconds = kBlockSamples * 1000 / kEngineSampleRate;  // 389
  static constexpr float kDoubleRateGain = 0.6f;
  static constexpr char kNothingRecordedSound[] = "wave.wav.wav";

  explicit CAudioSession(AudioDevices devices);
  ~CAudioSession() override;
  CAudioSession(const CAudioSession&) = delete;
  CAudioSession& operator=(const CAudioSession&) = delete;

  // Opens the device (or lets the file input run); false when already
  // running or the device cannot be opened.
  bool Start();
  void Stop();
  bool running() const { return running_; }
  // Null: back to the device. kFileMissing when the file is no wave file
  // the engine reads; the session is stopped either way.
  VokStatus SelectInputFile(const char* path);
  bool file_input() const { return input_mode_ == InputMode::kFile; }

  void SetUtteranceFolder(const std::string& folder);
  void AttachFrameConsumer(FrameConsumer* consumer);

  // The stored utterances, for the recognition side: an utterance still being
  // written is used up only once its file is closed and read to the end.
  bool SelectUtterance(int n) override;
  int ReadSamples(std::int16_t* samples, int wanted, int* read, bool* finished) override;
  std::uint32_t UnreadUtterances();
  // The first utterance not yet read up, and marking one used up (and those
  // before it) whether it was read or not.
  std::uint32_t FirstUnread();
  void MarkRead(std::uint32_t number);
  std::uint32_t next_utterance();
  void Clear();
  bool GetUtteranceData(std::uint32_t number, std::int16_t* buffer, std::uint32_t* count);
  // -1 for all; kFileMissing when the folder cannot be cleared or an
  // utterance is being written (its file stays).
  VokStatus DeleteUtterances(std::int32_t number);
  // 0 when the utterance was played, kBadArgument when it was never recorded
  // (the warning sound "wave.wav.wav" is played instead).
  VokStatus Playback(std::int32_t number, bool synchronous);

  std::int32_t InputLevel();
  std::size_t frame_length() const { return kFrameSamples; }
  // Times every buffer was out of the device at once (its samples lost).
  std::uint32_t overflows() const { return overflows_.load(); }
  const platform::InputMixer* mixer() const { return mixer_.get(); }

 private:
  enum class InputMode { kDevice, kFile };

  void CaptureFromDevice();
  void CaptureFromFile();
  std::size_t ReadFileBlock(std::vector<std::int16_t>* block);
  void RemoveDirectCurrent(std::span<std::int16_t> block);
  void ProcessBlock(std::span<const std::int16_t> block);
  void StoreFrames(std::int32_t from, std::int32_t to);
  void EndCapture();
  void StopLocked();
  void ResetCapture(CEndPointer::State state);

  AudioDevices devices_;
  std::unique_ptr<platform::WaveInput> device_;
  std::unique_ptr<platform::InputMixer> mixer_;
  // Buffers filled and not yet taken: the device callback adds, the capture
  // thread takes. Four filled means none is left in the device.
  std::atomic<std::uint32_t> filled_{0};
  std::atomic<std::uint32_t> overflows_{0};
  std::atomic<bool> accepting_{false};
  std::size_t read_index_ = 0;

  std::mutex lock_;  // the ring, the end-pointer, the store
  std::vector<std::int16_t> ring_;
  std::size_t ring_offset_ = 0;
  CEndPointer end_pointer_;
  CUtteranceStore store_;
  FrameConsumer* consumer_ = nullptr;
  double direct_current_ = 0.0;

  std::mutex file_lock_;  // the input file between the capture thread and stop
  CWaveFile input_file_;
  C_ReSample converter_;
  std::vector<float> converted_;  // outputs of the converter not yet in a block

  std::mutex control_;  // start, stop and input selection
  std::atomic<bool> running_{false};
  std::thread capture_;
  InputMode input_mode_ = InputMode::kDevice;
  std::string input_path_;
};

}  // namespace vok::api
