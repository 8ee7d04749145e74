// The language of the base dictionaries in a folder, read from the header of
// their feature file: the recognizer's language when none is asked for.
#pragma once

#include <optional>
#include <string>

namespace wrendle {

// 2000 for Big5 dictionaries, 4000 for GB2312 ones; nullopt when the folder
// holds no readable base feature file.
std::optional<int> BaseDictionaryLanguage(const std::string& directory);

}  // namespace wrendle
