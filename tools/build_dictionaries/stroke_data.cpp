#include "tools/build_dictionaries/stroke_data.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "tools/recognize/point_arrays.h"

namespace build_dictionaries {

std::optional<std::vector<Median>> ParseMedians(std::string_view json) {
  const auto value = nlohmann::json::parse(json.begin(), json.end(), nullptr, /*allow_exceptions=*/false);
  if (!value.is_object()) return std::nullopt;
  const auto medians = value.find("medians");
  if (medians == value.end()) return std::nullopt;
  auto lists = wrendle::PointArrays(*medians);
  if (!lists || lists->empty()) return std::nullopt;
  return lists;
}

std::vector<StrokeCharacter> LoadStrokeData(const std::string& directory,
                                            std::vector<std::string>* rejected) {
  std::vector<StrokeCharacter> characters;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != ".json") continue;
    const std::string name = path.stem().string();
    // One UTF-8 character: a lead byte and its continuation bytes only.
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    if (name.empty() || continuation(name[0]) || !std::all_of(name.begin() + 1, name.end(), continuation)) {
      continue;
    }
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto medians = ParseMedians(text);
    if (medians) {
      characters.push_back({name, std::move(*medians)});
    } else if (rejected != nullptr) {
      rejected->push_back(path.string());
    }
  }
  std::sort(characters.begin(), characters.end(),
            [](const StrokeCharacter& a, const StrokeCharacter& b) { return a.utf8 < b.utf8; });
  return characters;
}

}  // namespace build_dictionaries
