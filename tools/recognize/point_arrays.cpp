#include "tools/recognize/point_arrays.h"

#include <charconv>

namespace wrendle {
namespace {

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool Take(char c) {
    SkipBlanks();
    if (position_ >= text_.size() || text_[position_] != c) return false;
    ++position_;
    return true;
  }
  bool Next(char c) {
    SkipBlanks();
    return position_ < text_.size() && text_[position_] == c;
  }
  std::optional<double> Number() {
    SkipBlanks();
    double value = 0;
    const auto [end, error] = std::from_chars(text_.data() + position_, text_.data() + text_.size(), value);
    if (error != std::errc()) return std::nullopt;
    position_ = static_cast<std::size_t>(end - text_.data());
    return value;
  }
  std::size_t position() const { return position_; }

 private:
  void SkipBlanks() {
    while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t' ||
                                        text_[position_] == '\r' || text_[position_] == '\n')) {
      ++position_;
    }
  }

  std::string_view text_;
  std::size_t position_ = 0;
};

std::optional<JsonPoint> Point(Cursor& cursor) {
  if (!cursor.Take('[')) return std::nullopt;
  const auto x = cursor.Number();
  if (!x || !cursor.Take(',')) return std::nullopt;
  const auto y = cursor.Number();
  if (!y || !cursor.Take(']')) return std::nullopt;
  return JsonPoint{*x, *y};
}

std::optional<JsonPointList> List(Cursor& cursor) {
  if (!cursor.Take('[')) return std::nullopt;
  JsonPointList list;
  while (!cursor.Next(']')) {
    if (!list.empty() && !cursor.Take(',')) return std::nullopt;
    const auto point = Point(cursor);
    if (!point) return std::nullopt;
    list.push_back(*point);
  }
  cursor.Take(']');
  if (list.empty()) return std::nullopt;
  return list;
}

}  // namespace

std::optional<std::vector<JsonPointList>> ParsePointArrays(std::string_view text, std::size_t* consumed) {
  Cursor cursor(text);
  if (!cursor.Take('[')) return std::nullopt;
  std::vector<JsonPointList> lists;
  while (!cursor.Next(']')) {
    if (!lists.empty() && !cursor.Take(',')) return std::nullopt;
    auto list = List(cursor);
    if (!list) return std::nullopt;
    lists.push_back(std::move(*list));
  }
  if (!cursor.Take(']')) return std::nullopt;
  if (consumed != nullptr) *consumed = cursor.position();
  return lists;
}

}  // namespace wrendle
