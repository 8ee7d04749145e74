// The text of a source file, bzip2-compressed ones (".bz2", as the character
// database ships) unpacked on the way.
#pragma once

#include <optional>
#include <string>

namespace build_language_data {

std::optional<std::string> ReadSourceText(const std::string& path);

}  // namespace build_language_data
