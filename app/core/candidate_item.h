// CCandidateItem: one character cell of the result strip.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/recognition_types.h"
#include "common/stroke_list.h"

namespace wrendle::app {

class CCandidateItem {
 public:
  static constexpr std::int32_t kCorrected = 0x2;  // another candidate than the first was chosen

  virtual ~CCandidateItem() = default;

  // Replaces everything the cell holds; the flags start clear. At most ten
  // candidates are kept. A copy of the strokes that fails to allocate leaves
  // the cell without strokes.
  void Fill(std::uint16_t code, std::span<const std::uint16_t> candidates, std::span<const StrokeEntry> strokes);

  std::uint16_t code() const { return code_; }
  void set_code(std::uint16_t code) { code_ = code; }

  // The private copy of the cell's StrokeList, end entry included; empty when
  // the cell has no strokes.
  const std::vector<StrokeEntry>& strokes() const { return strokes_; }
  std::uint32_t stroke_bytes() const { return static_cast<std::uint32_t>(strokes_.size() * sizeof(StrokeEntry)); }
  bool has_strokes() const { return !strokes_.empty(); }

  // Candidate codes; candidate bytes = 2 x count (at most 20).
  std::span<const std::uint16_t> candidates() const { return {candidates_.data(), candidate_count_}; }
  std::uint8_t candidate_bytes() const { return static_cast<std::uint8_t>(candidate_count_ * 2); }

  std::int32_t flags() const { return flags_; }
  bool corrected() const { return (flags_ & kCorrected) != 0; }
  void set_corrected(bool corrected) { flags_ = corrected ? (flags_ | kCorrected) : (flags_ & ~kCorrected); }

 private:
  std::uint16_t code_ = 0;
  std::vector<StrokeEntry> strokes_;
  std::array<std::uint16_t, kMaxCandidates> candidates_{};
  std::size_t candidate_count_ = 0;
  std::int32_t flags_ = 0;
};

}  // namespace wrendle::app
