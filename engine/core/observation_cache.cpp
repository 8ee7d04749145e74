#include "engine/core/observation_cache.h"

#include <algorithm>

namespace vok {

ObservationFrameSource::ObservationFrameSource(int streams, int codes, int ring_size)
    : ok_(streams >= 1 && streams <= kMaxStreams && codes >= 1 && codes <= 65536 && ring_size >= 1 &&
          ring_size <= 32767),
      streams_(ok_ ? streams : 0),
      codes_(ok_ ? codes : 0),
      ring_size_(ok_ ? ring_size : 0),
      codes_by_stream_(static_cast<std::size_t>(streams_)) {}

int ObservationFrameSource::AddFrame(std::span<const uint16_t> codes) {
  if (!ok_ || frames_ >= kMaxFrames || codes.size() != static_cast<std::size_t>(streams_)) return -1;
  if (std::any_of(codes.begin(), codes.end(), [this](uint16_t k) { return k >= codes_; })) return -1;
  for (int s = 0; s < streams_; ++s)
    codes_by_stream_[static_cast<std::size_t>(s)].push_back(codes[static_cast<std::size_t>(s)]);
  ++frames_;
  return 0;
}

void ObservationFrameSource::Clear() {
  for (auto& stream : codes_by_stream_) stream.clear();
  frames_ = 0;
  current_ = 0;
  ++generation_;
}

int ObservationFrameSource::SetCurrentFrame(int t) {
  if (t < 0 || t >= frames_) return -1;
  current_ = static_cast<uint16_t>(t);
  return 0;
}

ObservationCache::ObservationCache(std::span<const uint8_t> table0, std::span<const uint8_t> table1,
                                   std::span<const uint8_t> table2)
    : tables_{table0, table1, table2} {}

const ObservationCache::Record& ObservationCache::Compute(const ObservationFrameSource& source,
                                                          int ring_index) {
  Record& record = RecordAt(ring_index);
  const int t = source.current_frame();
  int32_t scores[3] = {0, 0, 0};
  for (int s = 0; s < source.stream_count(); ++s) {
    const uint16_t k = source.Code(s, t);
    for (int j = 0; j < 3; ++j) scores[j] -= tables_[static_cast<std::size_t>(j)][k];
  }
  // At most 255 streams of 255: the sums fit in 16 bits.
  for (int j = 0; j < 3; ++j) record[static_cast<std::size_t>(j)] = static_cast<int16_t>(scores[j]);
  ++computed_;
  return record;
}

void ObservationCache::Restart(const ObservationFrameSource& source, int t) {
  if (records_.size() != static_cast<std::size_t>(source.ring_size()))
    records_.assign(static_cast<std::size_t>(source.ring_size()), Record{});
  source_ = &source;
  generation_ = source.generation();
  first_frame_ = last_frame_ = t;
  ring_start_ = ring_position_ = 0;
}

const ObservationCache::Record* ObservationCache::GetScores(const ObservationFrameSource& source) {
  const int t = source.current_frame();
  if (t >= source.frame_count()) return nullptr;
  if (source_ != &source || generation_ != source.generation()) {
    const auto codes = static_cast<std::size_t>(source.code_count());
    if (std::any_of(tables_.begin(), tables_.end(), [codes](auto table) { return table.size() < codes; }))
      return nullptr;
    Restart(source, t);
    return &Compute(source, 0);
  }
  if (t == last_frame_) return &RecordAt(ring_position_);
  const int ring = source.ring_size();
  const int d = t - first_frame_;
  if (d < 0) {
    Restart(source, t);
    return &Compute(source, 0);
  }
  if (t < last_frame_) {
    const int index = (ring_start_ + d) % ring;
    const Record& held = RecordAt(index);
    return held[0] != 0 ? &held : &Compute(source, index);
  }
  const int step = t - last_frame_;
  // The frames jumped over, at most one ring of them.
  for (int i = 1; i < std::min(step, ring + 1); ++i) RecordAt((ring_position_ + i) % ring) = Record{};
  last_frame_ = t;
  if (const int slide = d - ring + 1; slide > 0) {
    first_frame_ += slide;
    ring_start_ = (ring_start_ + slide) % ring;
  }
  ring_position_ = (ring_position_ + step) % ring;
  return &Compute(source, ring_position_);
}

}  // namespace vok
