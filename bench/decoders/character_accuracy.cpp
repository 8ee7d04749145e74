#include "bench/decoders/character_accuracy.h"

#include <algorithm>

namespace bench {

std::vector<char32_t> CodePoints(std::string_view utf8) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0xC0 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : 4));
    if (i + length > utf8.size()) {
      points.push_back(lead);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : (lead & (0x7F >> length));
    for (std::size_t k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    points.push_back(code);
    i += length;
  }
  return points;
}

int EditDistance(const std::vector<char32_t>& a, const std::vector<char32_t>& b) {
  std::vector<int> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

void CharacterAccuracy::Add(std::string_view reference, std::string_view hypothesis) {
  const std::vector<char32_t> r = CodePoints(reference), h = CodePoints(hypothesis);
  const int distance = EditDistance(r, h);
  errors_ += distance;
  characters_ += static_cast<int64_t>(r.size());
  ++sentences_;
  if (distance == 0) ++exact_;
}

}  // namespace bench
