// Per-frame observation scores of discrete model states: every feature stream
// of a frame is a code-book index, each state owns three tables of score
// bytes indexed by code, and a state's three scores are the negated sums of
// its table bytes over the streams. ObservationCache keeps the scores of the
// last R frames in a ring, so that a frame asked for again costs nothing.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vok {

// The code indices of the frames of one input, shared by the states that
// score it.
class ObservationFrameSource {
 public:
  static constexpr int kMaxStreams = 255;
  static constexpr int kMaxFrames = 65535;

  // `streams` streams whose codes lie below `codes`; every cache that reads
  // this source keeps the last `ring_size` frames. Sizes outside 1..255
  // (streams), 1..65536 (codes) or 1..32767 (ring) leave the source unusable
  // (ok() false).
  ObservationFrameSource(int streams, int codes, int ring_size);

  bool ok() const { return ok_; }
  // Appends a frame: one code per stream. -1 (nothing appended) when a code
  // is not below the code count, the source is unusable or it holds 65535
  // frames already.
  int AddFrame(std::span<const uint16_t> codes);
  // Empties the source; the current frame becomes 0, and the caches that
  // read it start again.
  void Clear();
  // The frame the caches score next; -1 (nothing changes) for a frame not
  // added yet.
  int SetCurrentFrame(int t);

  int stream_count() const { return streams_; }
  int code_count() const { return codes_; }
  int ring_size() const { return ring_size_; }
  int frame_count() const { return frames_; }
  uint16_t current_frame() const { return current_; }
  // Grows with every Clear.
  uint32_t generation() const { return generation_; }
  uint16_t Code(int stream, int t) const {
    return codes_by_stream_[static_cast<std::size_t>(stream)][static_cast<std::size_t>(t)];
  }

 private:
  bool ok_ = false;
  int streams_ = 0;
  int codes_ = 0;
  int ring_size_ = 0;
  int frames_ = 0;
  uint16_t current_ = 0;
  uint32_t generation_ = 0;
  std::vector<std::vector<uint16_t>> codes_by_stream_;
};

class ObservationCache {
 public:
  using Record = std::array<int16_t, 3>;

  // The state's three score-byte tables, indexed by code (not owned; they
  // must outlive the cache).
  ObservationCache(std::span<const uint8_t> table0, std::span<const uint8_t> table1,
                   std::span<const uint8_t> table2);

  // The three scores (each at most 0) of the source's current frame, or null
  // when the source holds no such frame or a table is shorter than its code
  // count. A source other than the last one asked with (or one cleared since)
  // restarts the ring.
  const Record* GetScores(const ObservationFrameSource& source);

  // Records computed so far (a frame found in the ring is not counted).
  int64_t computed() const { return computed_; }

 private:
  Record& RecordAt(int ring_index) { return records_[static_cast<std::size_t>(ring_index)]; }
  const Record& Compute(const ObservationFrameSource& source, int ring_index);
  void Restart(const ObservationFrameSource& source, int t);

  const ObservationFrameSource* source_ = nullptr;
  uint32_t generation_ = 0;
  std::array<std::span<const uint8_t>, 3> tables_;
  std::vector<Record> records_;
  int first_frame_ = 0;
  int last_frame_ = 0;
  int ring_start_ = 0;
  int ring_position_ = 0;
  int64_t computed_ = 0;
};

}  // namespace vok
