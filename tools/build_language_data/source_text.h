// The text of a source file, compressed ones unpacked on the way (".bz2" as
// the character database ships, ".gz" as the manual pages do).
#pragma once

#include <optional>
#include <string>

namespace build_language_data {

std::optional<std::string> ReadSourceText(const std::string& path);

}  // namespace build_language_data
