#include "tools/recognize_strokes/stroke_file.h"

#include <charconv>
#include <sstream>

namespace wrendle {
namespace {

bool ParseInt(std::string_view text, std::int32_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParsePoint(const std::string& token, StrokeEntry& point) {
  const size_t comma = token.find(',');
  if (comma == std::string::npos) return false;
  const std::string_view view(token);
  return ParseInt(view.substr(0, comma), point.x) && ParseInt(view.substr(comma + 1), point.y);
}

}  // namespace

StrokeFileResult ReadStrokeFile(std::istream& in) {
  StrokeFileResult result;
  StrokeListBuilder builder;
  std::size_t entries = 1;  // the end entry
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream tokens(line);
    std::vector<StrokeEntry> stroke;
    std::string token;
    while (tokens >> token) {
      if (stroke.empty() && token.front() == '#') break;
      StrokeEntry point{};
      if (!ParsePoint(token, point)) {
        result.error = "line " + std::to_string(number) + ": \"" + token + "\" is not an x,y point";
        return result;
      }
      stroke.push_back(point);
    }
    if (stroke.empty()) continue;
    entries += stroke.size() + 1;
    if (entries > kMaxStrokeListEntries) {
      result.error = "line " + std::to_string(number) + ": more than " +
                     std::to_string(kMaxStrokeListEntries) + " entries of strokes";
      return result;
    }
    builder.AddStroke(stroke);
  }
  result.list = builder.Build();
  return result;
}

}  // namespace wrendle
