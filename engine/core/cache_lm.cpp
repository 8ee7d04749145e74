#include "engine/core/cache_lm.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok {

CacheLM::CacheLM(const Resources* resources, int word_count, int32_t bias, int32_t shift)
    : word_count_(std::clamp(word_count, 0, 65535)), bias_(bias), shift_(shift) {
  if (resources) {
    int history = history_;
    if (resources->GetInt("LMBackend", "CacheLMHistory", &history) == 0) {
      if (history >= 1)
        history_ = history;
      else
        WarningMessage("CacheLM: history %d refused, %d kept", history, history_);
    }
    float weight = weight_;
    if (resources->GetFloat("LMBackend", "CacheLMWeight", &weight) == 0 && !std::isnan(weight))
      weight_ = weight;
  }
  ring_.resize(static_cast<std::size_t>(history_));
  counts_.resize(static_cast<std::size_t>(word_count_));
  bytes_.resize(static_cast<std::size_t>(word_count_));
  Clear();
}

void CacheLM::Clear() {
  std::fill(bytes_.begin(), bytes_.end(), uint8_t{255});
  std::fill(counts_.begin(), counts_.end(), 0);
  std::fill(ring_.begin(), ring_.end(), kNoWord);
  position_ = 0;
  fill_ = 0;
  fill_reciprocal_ = 0;
}

void CacheLM::AddWords(const uint16_t* list) {
  if (!list) return;
  for (int k = 1; k <= list[0]; ++k) {
    const uint16_t id = list[k];
    if (id >= word_count_) continue;
    ring_[static_cast<std::size_t>(position_)] = id;
    position_ = (position_ + 1) % history_;
    fill_ = std::min(fill_ + 1, history_);
  }
}

int CacheLM::Update() {
  std::fill(bytes_.begin(), bytes_.end(), uint8_t{255});
  std::fill(counts_.begin(), counts_.end(), 0);
  if (fill_ == 0) return -1;
  fill_reciprocal_ = 1.0f / static_cast<float>(fill_);
  for (uint16_t id : ring_)
    if (id < word_count_) ++counts_[id];
  for (int w = 0; w < word_count_; ++w) {
    if (counts_[static_cast<std::size_t>(w)] > 0)
      bytes_[static_cast<std::size_t>(w)] =
          ScoreByte(counts_[static_cast<std::size_t>(w)] * double{fill_reciprocal_}, shift_, bias_);
  }
  return 0;
}

uint8_t CacheLM::GetScoreByte(int id) const {
  return id >= 0 && id < word_count_ ? bytes_[static_cast<std::size_t>(id)] : uint8_t{255};
}

int32_t CacheLM::GetCount(int id) const {
  return id >= 0 && id < word_count_ ? counts_[static_cast<std::size_t>(id)] : 0;
}

int64_t CacheLM::GetMemoryUsage() const { return (int64_t{history_} + 2 * int64_t{word_count_} + 22) * 2; }

void CacheLM::PrintReport() const {
  LogPrint("\nCacheLM Report:\n");
  LogPrint("%s\n", std::string(30, '-').c_str());
  LogPrint("History window size: %d\n", history_);
  LogPrint("Cache LM weight: %f\n", static_cast<double>(weight_));
  LogPrint("Memory usage: %d\n", static_cast<int>(GetMemoryUsage()));
  LogPrint("%s\n", std::string(30, '-').c_str());
}

}  // namespace vok
