// Lists of [x, y] points in JSON, [[[x, y], ...], ...], as the stroke data and
// the recognizer's line input write them.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string_view>
#include <vector>

namespace wrendle {

struct JsonPoint {
  double x;
  double y;
};
using JsonPointList = std::vector<JsonPoint>;

// The lists held by `value`; nullopt unless it is an array of non-empty
// arrays of [x, y] number pairs.
std::optional<std::vector<JsonPointList>> PointArrays(const nlohmann::json& value);

// The lists of a whole JSON text (blanks around it allowed); nullopt when the
// text is not JSON or not such an array.
std::optional<std::vector<JsonPointList>> ParsePointArrays(std::string_view text);

}  // namespace wrendle
