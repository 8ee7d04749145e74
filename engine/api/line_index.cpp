#include "engine/api/line_index.h"

#include <algorithm>

namespace vok::api {
namespace {

bool IsKept(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const char c = line[first];
  if (c == ';' || c == '\r' || c == '\n') return false;
  return line.size() - first > 1;
}

}  // namespace

void CLineIndex::Build(std::span<const std::uint8_t> block) {
  block_.assign(block.begin(), block.end());
  lines_.clear();
  std::size_t at = 0;
  while (at < block_.size()) {
    const auto end_of_line = std::find(block_.begin() + static_cast<std::ptrdiff_t>(at), block_.end(), '\n');
    const std::size_t end = static_cast<std::size_t>(end_of_line - block_.begin());
    std::size_t length = std::min(end - at, kLineBytes);
    while (length > 0 && (block_[at + length - 1] == '\r' || block_[at + length - 1] == '\n')) --length;
    if (IsKept(std::string_view(block_.data() + at, length))) lines_.push_back({at, length});
    at = end + 1;
  }
}

std::string_view CLineIndex::Line(std::size_t index) const {
  if (index >= lines_.size()) return {};
  return {block_.data() + lines_[index].offset, lines_[index].length};
}

}  // namespace vok::api
