// Characters of the open stroke data: centre lines of each stroke in a
// 1024-unit box whose y axis points up (from -124 at the bottom to 900).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/recognize/point_arrays.h"

namespace build_dictionaries {

using MedianPoint = wrendle::JsonPoint;
using Median = wrendle::JsonPointList;

struct StrokeCharacter {
  std::string utf8;  // the character, from the file name
  std::vector<Median> medians;
};

// The "medians" array of one character's JSON text; nullopt when missing or
// malformed.
std::optional<std::vector<Median>> ParseMedians(std::string_view json);

// Every "<character>.json" of the package folder whose name is one
// character, sorted by name. Files without valid medians are left out and,
// when `rejected` is given, listed there.
std::vector<StrokeCharacter> LoadStrokeData(const std::string& directory,
                                            std::vector<std::string>* rejected = nullptr);

}  // namespace build_dictionaries
