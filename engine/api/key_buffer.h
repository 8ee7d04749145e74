// The keys of one keyboard input: the key text (at most 511 bytes and a
// zero), and the key positions, each the offset where it starts in the text.
// A position holds one key or a set of alternative keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vok::api {

class KeyBuffer {
 public:
  static constexpr std::size_t kMaxTextBytes = 511;
  // The conversion takes one position at a time into 20 bytes with its
  // zero: longer key sets are refused.
  static constexpr std::size_t kMaxSetKeys = 19;
  static constexpr char kBackspace = 8;

  // Appends the keys as one position; false (and the position that failed
  // noted) for an empty set, a set of more than kMaxSetKeys keys, or keys
  // that would pass kMaxTextBytes. The buffer is then unchanged.
  bool Add(std::string_view keys);
  // Removes the last position; false when none is left.
  bool RemoveLast();
  void Clear();

  const std::string& text() const { return text_; }
  std::size_t position_count() const { return offsets_.size(); }
  std::size_t offset(std::size_t position) const { return offsets_[position]; }
  std::string_view position(std::size_t index) const;
  // The position a refused key set would have taken, or -1.
  std::int32_t failing_position() const { return failing_position_; }
  bool empty() const { return text_.empty(); }

  // The copy a request carries: each position followed by a zero byte.
  std::vector<char> Attached() const;
  // The buffer of such a copy.
  static KeyBuffer FromAttached(const std::vector<char>& attached);

 private:
  std::string text_;
  std::vector<std::uint32_t> offsets_;
  std::int32_t failing_position_ = -1;
};

}  // namespace vok::api
