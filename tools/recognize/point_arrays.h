// Reads JSON text of the form [[[x, y], ...], ...]: a list of point lists,
// as the stroke data and the recognizer's line input write them.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace wrendle {

struct JsonPoint {
  double x;
  double y;
};
using JsonPointList = std::vector<JsonPoint>;

// The lists and what follows them in `text` (after `consumed` characters);
// nullopt when the text does not start (after blanks) with such an array or a
// list is empty.
std::optional<std::vector<JsonPointList>> ParsePointArrays(std::string_view text,
                                                           std::size_t* consumed = nullptr);

}  // namespace wrendle
