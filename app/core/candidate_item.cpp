#include "app/core/candidate_item.h"

#include <algorithm>
#include <new>

namespace wrendle::app {

void CCandidateItem::Fill(std::uint16_t code, std::span<const std::uint16_t> candidates,
                          std::span<const StrokeEntry> strokes) {
  code_ = code;
  flags_ = 0;
  candidates_.fill(0);
  candidate_count_ = std::min(candidates.size(), candidates_.size());
  std::copy_n(candidates.begin(), candidate_count_, candidates_.begin());
  strokes_.clear();
  try {
    strokes_.assign(strokes.begin(), strokes.end());
  } catch (const std::bad_alloc&) {
    strokes_.clear();
  }
}

}  // namespace wrendle::app
