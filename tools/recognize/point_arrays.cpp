#include "tools/recognize/point_arrays.h"

#include <nlohmann/json.hpp>

namespace wrendle {
namespace {

std::optional<JsonPoint> Point(const nlohmann::json& value) {
  if (!value.is_array() || value.size() != 2 || !value[0].is_number() || !value[1].is_number()) {
    return std::nullopt;
  }
  return JsonPoint{value[0].get<double>(), value[1].get<double>()};
}

std::optional<JsonPointList> List(const nlohmann::json& value) {
  if (!value.is_array() || value.empty()) return std::nullopt;
  JsonPointList list;
  list.reserve(value.size());
  for (const nlohmann::json& item : value) {
    const auto point = Point(item);
    if (!point) return std::nullopt;
    list.push_back(*point);
  }
  return list;
}

}  // namespace

std::optional<std::vector<JsonPointList>> PointArrays(const nlohmann::json& value) {
  if (!value.is_array()) return std::nullopt;
  std::vector<JsonPointList> lists;
  lists.reserve(value.size());
  for (const nlohmann::json& item : value) {
    auto list = List(item);
    if (!list) return std::nullopt;
    lists.push_back(std::move(*list));
  }
  return lists;
}

std::optional<std::vector<JsonPointList>> ParsePointArrays(std::string_view text) {
  const auto value = nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return std::nullopt;
  return PointArrays(value);
}

}  // namespace wrendle
