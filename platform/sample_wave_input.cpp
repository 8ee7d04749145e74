#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/wave_input.h"

namespace platform {

// The device's own thread fills the buffer at the head of its queue once per
// period, then reports it; a recycled buffer joins the queue's tail.
class SampleWaveInput::Device {
 public:
  Device(std::vector<std::int16_t> samples, unsigned period_ms)
      : samples_(std::move(samples)), period_(period_ms) {}
  ~Device() { Close(); }

  bool Open(std::size_t buffer_samples, std::size_t buffer_count, FilledCallback filled) {
    std::lock_guard lock(mutex_);
    if (buffer_samples == 0 || buffer_count == 0) return false;
    buffers_.assign(buffer_count, std::vector<std::int16_t>(buffer_samples));
    queue_.clear();
    for (std::size_t i = 0; i < buffer_count; ++i) queue_.push_back(i);
    filled_ = std::move(filled);
    return true;
  }

  bool Start() {
    std::lock_guard lock(mutex_);
    if (buffers_.empty() || thread_.joinable()) return false;
    stop_ = false;
    thread_ = std::thread([this] { Deliver(); });
    return true;
  }

  bool Recycle(std::size_t index, std::span<std::int16_t> out) {
    std::lock_guard lock(mutex_);
    if (index >= buffers_.size() || std::find(queue_.begin(), queue_.end(), index) != queue_.end())
      return false;
    const auto& buffer = buffers_[index];
    std::copy_n(buffer.begin(), std::min(out.size(), buffer.size()), out.begin());
    queue_.push_back(index);
    return true;
  }

  void Close() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    queue_.clear();
    buffers_.clear();
  }

  std::size_t lost() const {
    std::lock_guard lock(mutex_);
    return lost_;
  }
  bool finished() const {
    std::lock_guard lock(mutex_);
    return next_ >= samples_.size();
  }

 private:
  void Deliver() {
    std::unique_lock lock(mutex_);
    while (!stop_ && next_ < samples_.size()) {
      if (period_.count() > 0) {
        wake_.wait_for(lock, period_, [this] { return stop_; });
        if (stop_) break;
      }
      const std::size_t size = buffers_.front().size();
      const std::size_t count = std::min(size, samples_.size() - next_);
      if (queue_.empty()) {
        if (period_.count() == 0) {
          // As fast as the buffers come back: wait for one.
          lock.unlock();
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          lock.lock();
          continue;
        }
        lost_ += count;
        next_ += count;
        continue;
      }
      const std::size_t index = queue_.front();
      queue_.pop_front();
      auto& buffer = buffers_[index];
      std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(next_), count, buffer.begin());
      std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count), buffer.end(), std::int16_t{0});
      next_ += count;
      const FilledCallback filled = filled_;
      lock.unlock();
      if (filled) filled();
      lock.lock();
    }
  }

  const std::vector<std::int16_t> samples_;
  const std::chrono::milliseconds period_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::vector<std::int16_t>> buffers_;
  std::deque<std::size_t> queue_;
  FilledCallback filled_;
  std::thread thread_;
  bool stop_ = false;
  std::size_t next_ = 0;
  std::size_t lost_ = 0;
};

SampleWaveInput::SampleWaveInput(std::vector<std::int16_t> samples, unsigned buffer_period_ms)
    : device_(std::make_unique<Device>(std::move(samples), buffer_period_ms)) {}
SampleWaveInput::~SampleWaveInput() = default;

bool SampleWaveInput::Open(std::uint32_t, std::size_t buffer_samples, std::size_t buffer_count,
                           FilledCallback filled) {
  return device_->Open(buffer_samples, buffer_count, std::move(filled));
}
bool SampleWaveInput::Start() { return device_->Start(); }
bool SampleWaveInput::Recycle(std::size_t index, std::span<std::int16_t> out) {
  return device_->Recycle(index, out);
}
void SampleWaveInput::Close() { device_->Close(); }
std::size_t SampleWaveInput::lost_samples() const { return device_->lost(); }
bool SampleWaveInput::finished() const { return device_->finished(); }

}  // namespace platform
