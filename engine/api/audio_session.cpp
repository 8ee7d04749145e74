#include "engine/api/audio_session.h"

#include <algorithm>
#include <chrono>

#include "engine/core/messages.h"

namespace vok::api {
namespace {

std::int16_t Clip(float value) { return static_cast<std::int16_t>(std::clamp(value, -32768.0f, 32767.0f)); }

// A 22050 Hz file is read in pieces of two blocks' worth of samples.
constexpr std::size_t kDoubleRateRead = 2 * CAudioSession::kBlockSamples;
// A first block of more than 7 frames sets the threshold from its first 6.
constexpr std::size_t kThresholdFrames = 6;
constexpr std::size_t kThresholdMinimumSamples = 7 * kFrameSamples;

}  // namespace

AudioDevices SystemAudioDevices() {
  static const std::unique_ptr<platform::WaveOutput> output = platform::CreateSystemWaveOutput();
  AudioDevices devices;
  devices.open_input = [] { return platform::CreateSystemWaveInput(); };
  devices.output = output.get();
  devices.open_mixer = [] { return platform::OpenInputMixer(); };
  devices.sleep = [](unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  return devices;
}

CAudioSession::CAudioSession(AudioDevices devices) : devices_(std::move(devices)), ring_(kRingSamples) {
  if (devices_.open_mixer) mixer_ = devices_.open_mixer();
}

CAudioSession::~CAudioSession() {
  std::lock_guard control(control_);
  StopLocked();
}

void CAudioSession::ResetCapture(CEndPointer::State state) {
  std::lock_guard lock(lock_);
  end_pointer_.Reset(state);
  // Frame n of the end-pointer lies at n mod 520 of the ring.
  ring_offset_ = 0;
}

bool CAudioSession::Start() {
  std::lock_guard control(control_);
  if (running_) return false;
  if (capture_.joinable()) capture_.join();
  if (input_mode_ == InputMode::kFile) {
    if (!input_file_.is_open()) return false;
    running_ = true;
    capture_ = std::thread([this] { CaptureFromFile(); });
    return true;
  }
  ResetCapture(CEndPointer::kWaitingForQuiet);
  device_ = devices_.open_input ? devices_.open_input() : nullptr;
  filled_ = 0;
  read_index_ = 0;
  const auto filled = [this] {
    if (!accepting_.load()) return;
    if (filled_.fetch_add(1) + 1 >= kBuffers) overflows_.fetch_add(1);
  };
  accepting_ = true;
  if (device_ == nullptr || !device_->Open(kEngineSampleRate, kBlockSamples, kBuffers, filled)) {
    accepting_ = false;
    device_.reset();
    return false;
  }
  running_ = true;
  capture_ = std::thread([this] { CaptureFromDevice(); });
  if (!device_->Start()) {
    StopLocked();
    return false;
  }
  return true;
}

void CAudioSession::Stop() {
  std::lock_guard control(control_);
  StopLocked();
}

void CAudioSession::StopLocked() {
  running_ = false;
  if (capture_.joinable()) capture_.join();
  accepting_ = false;
  if (device_) {
    device_->Close();
    device_.reset();
  }
  filled_ = 0;
  read_index_ = 0;
}

void CAudioSession::CaptureFromDevice() {
  std::vector<std::int16_t> block(kBlockSamples);
  while (running_) {
    if (filled_.load() == 0) {
      devices_.sleep(kBlockMilliseconds);
      continue;
    }
    const bool taken = device_->Recycle(read_index_, block);
    read_index_ = (read_index_ + 1) % kBuffers;
    filled_.fetch_sub(1);
    if (!taken) continue;
    RemoveDirectCurrent(block);
    ProcessBlock(block);
  }
  EndCapture();
}

void CAudioSession::CaptureFromFile() {
  std::vector<std::int16_t> block(kBlockSamples);
  while (running_) {
    std::size_t read = 0;
    {
      std::lock_guard file(file_lock_);
      if (!input_file_.is_open()) break;
      read = ReadFileBlock(&block);
      devices_.sleep(kBlockMilliseconds);
    }
    if (read == 0) break;
    ProcessBlock(block);
  }
  EndCapture();
  running_ = false;
}

std::size_t CAudioSession::ReadFileBlock(std::vector<std::int16_t>* block) {
  std::fill(block->begin(), block->end(), std::int16_t{0});
  std::size_t count = 0;
  if (input_file_.sample_rate() == kEngineSampleRate) {
    count = input_file_.Read(*block);
  } else {
    // The converter's outputs beyond one block wait for the next.
    std::vector<std::int16_t> input(kDoubleRateRead);
    while (converted_.size() < kBlockSamples) {
      const std::size_t read = input_file_.Read(input);
      if (read == 0) break;
      for (std::size_t i = 0; i < read; ++i) {
        for (float value : converter_.do_ReSample(input[i])) converted_.push_back(value * kDoubleRateGain);
      }
    }
    count = std::min(kBlockSamples, converted_.size());
    std::transform(converted_.begin(), converted_.begin() + static_cast<std::ptrdiff_t>(count),
                   block->begin(), Clip);
    converted_.erase(converted_.begin(), converted_.begin() + static_cast<std::ptrdiff_t>(count));
  }
  if (count == 0) input_file_.Close();
  return count;
}

void CAudioSession::RemoveDirectCurrent(std::span<std::int16_t> block) {
  for (std::int16_t& sample : block) {
    direct_current_ = 0.9998 * direct_current_ + 0.0002 * sample;
    sample = Clip(static_cast<float>(sample - direct_current_));
  }
}

void CAudioSession::ProcessBlock(std::span<const std::int16_t> block) {
  std::lock_guard lock(lock_);
  std::copy(block.begin(), block.end(), ring_.begin() + static_cast<std::ptrdiff_t>(ring_offset_));
  for (std::size_t f = 0; f < kBlockSamples / kFrameSamples; ++f) {
    const auto frame = block.subspan(f * kFrameSamples, kFrameSamples);
    if (consumer_ != nullptr) {
      consumer_->TakeFrame(frame);
      continue;
    }
    switch (end_pointer_.ProcessFrame(frame)) {
      case CEndPointer::kSpeechStarted:
        store_.BeginUtterance();
        end_pointer_.set_state(CEndPointer::kInSpeech);
        StoreFrames(end_pointer_.write_cursor(), end_pointer_.end_mark());
        break;
      case CEndPointer::kInSpeech:
        StoreFrames(end_pointer_.write_cursor(), end_pointer_.end_mark());
        break;
      case CEndPointer::kSpeechEnded:
        StoreFrames(end_pointer_.write_cursor(), end_pointer_.end_mark());
        LogPrint("UttIndex = %d, StartFrame = %d, EndFrame= %d\n", static_cast<int>(store_.next_number()),
                 static_cast<int>(end_pointer_.start_frame()), static_cast<int>(end_pointer_.end_mark()));
        store_.EndUtterance();
        break;
      default:
        break;
    }
  }
  ring_offset_ = (ring_offset_ + kBlockSamples) % kRingSamples;
}

void CAudioSession::StoreFrames(std::int32_t from, std::int32_t to) {
  if (!store_.writing()) return;
  for (std::int32_t frame = from; frame < to; ++frame) {
    const std::size_t at = static_cast<std::size_t>(frame) % kRingFrames * kFrameSamples;
    store_.WriteFrames(std::span<const std::int16_t>(ring_).subspan(at, kFrameSamples));
  }
  end_pointer_.set_write_cursor(std::max(from, to));
}

void CAudioSession::EndCapture() {
  std::lock_guard lock(lock_);
  const auto state = end_pointer_.state();
  if (state != CEndPointer::kSpeechStarted && state != CEndPointer::kInSpeech) return;
  end_pointer_.EndNow();
  StoreFrames(end_pointer_.write_cursor(), end_pointer_.end_mark());
  store_.EndUtterance();
}

VokStatus CAudioSession::SelectInputFile(const char* path) {
  std::lock_guard control(control_);
  StopLocked();
  std::lock_guard file(file_lock_);
  input_file_.Close();
  input_mode_ = InputMode::kDevice;
  if (path == nullptr) return kVokOk;
  if (!input_file_.OpenForReading(path)) return kVokFileMissing;
  if (input_file_.sample_rate() != kEngineSampleRate &&
      !converter_.init_ReSample(input_file_.sample_rate(), kEngineSampleRate)) {
    input_file_.Close();
    return kVokFileMissing;
  }
  converter_.reset_ReSample();
  converted_.clear();
  ResetCapture(CEndPointer::kQuiet);
  std::vector<std::int16_t> first(kBlockSamples);
  if (ReadFileBlock(&first) > kThresholdMinimumSamples) {
    std::lock_guard lock(lock_);
    end_pointer_.SetThresholdFromFrames(first, kThresholdFrames);
  }
  if (!input_file_.is_open() && !input_file_.OpenForReading(path)) return kVokFileMissing;
  input_file_.SetReadPosition(0);
  converter_.reset_ReSample();
  converted_.clear();
  input_mode_ = InputMode::kFile;
  input_path_ = path;
  return kVokOk;
}

void CAudioSession::SetUtteranceFolder(const std::string& folder) {
  std::lock_guard lock(lock_);
  store_.SetFolder(folder);
}

void CAudioSession::AttachFrameConsumer(FrameConsumer* consumer) {
  std::lock_guard lock(lock_);
  consumer_ = consumer;
}

bool CAudioSession::SelectUtterance(int n) {
  if (n < 0) return false;
  std::lock_guard lock(lock_);
  return store_.Select(static_cast<std::uint32_t>(n));
}

int CAudioSession::ReadSamples(std::int16_t* samples, int wanted, int* read, bool* finished) {
  if (samples == nullptr || wanted < 0 || read == nullptr || finished == nullptr) return -1;
  std::lock_guard lock(lock_);
  *read = static_cast<int>(store_.Read({samples, static_cast<std::size_t>(wanted)}));
  *finished = store_.AtEnd();
  return 0;
}

std::uint32_t CAudioSession::UnreadUtterances() {
  std::lock_guard lock(lock_);
  return store_.UnreadCount();
}

std::uint32_t CAudioSession::FirstUnread() {
  std::lock_guard lock(lock_);
  return store_.first_unread();
}

void CAudioSession::MarkRead(std::uint32_t number) {
  std::lock_guard lock(lock_);
  store_.MarkRead(number);
}

std::uint32_t CAudioSession::next_utterance() {
  std::lock_guard lock(lock_);
  return store_.next_number();
}

void CAudioSession::Clear() {
  std::lock_guard lock(lock_);
  store_.SkipUnread();
}

bool CAudioSession::GetUtteranceData(std::uint32_t number, std::int16_t* buffer, std::uint32_t* count) {
  if (buffer == nullptr || count == nullptr) return false;
  std::lock_guard lock(lock_);
  std::size_t read = 0;
  if (!store_.ReadWhole(number, {buffer, *count}, &read)) return false;
  *count = static_cast<std::uint32_t>(read);
  return true;
}

VokStatus CAudioSession::DeleteUtterances(std::int32_t number) {
  std::lock_guard lock(lock_);
  return store_.Delete(number);
}

VokStatus CAudioSession::Playback(std::int32_t number, bool synchronous) {
  constexpr std::uint32_t kLargestNumber = 0x20000000;
  std::string path;
  {
    std::lock_guard lock(lock_);
    if (static_cast<std::uint32_t>(number) < kLargestNumber)
      path = store_.PathOf(static_cast<std::uint32_t>(number));
  }
  if (!path.empty() && IsValidWaveFile(path)) {
    if (devices_.output != nullptr) devices_.output->PlaySoundFile(path.c_str(), synchronous);
    return kVokOk;
  }
  if (devices_.output != nullptr) devices_.output->PlaySoundFile(kNothingRecordedSound, false);
  return kVokBadArgument;
}

std::int32_t CAudioSession::InputLevel() {
  std::lock_guard lock(lock_);
  return end_pointer_.InputLevel();
}

}  // namespace vok::api
