// The kept lines of a text block of an utterance-set file. Lines end with a
// line feed; trailing carriage returns and line feeds are not part of a line,
// and a line is cut after 2563 bytes (the rest of it is dropped, it does not
// become a line of its own). A line is not kept when, after leading blanks
// and tabs, it is empty, starts with ";" or a carriage return, or holds a
// single character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vok::api {

class CLineIndex {
 public:
  static constexpr std::size_t kLineBytes = 2563;

  void Build(std::span<const std::uint8_t> block);
  std::size_t count() const { return lines_.size(); }
  std::string_view Line(std::size_t index) const;

 private:
  struct Kept {
    std::size_t offset, length;
  };
  std::vector<char> block_;
  std::vector<Kept> lines_;
};

}  // namespace vok::api
