// Text files of the trainers: corpus lists and syllable tables read whole,
// written through a new file that replaces the old one.
#pragma once

#include <optional>
#include <string>

namespace train_acoustic_model {

// The file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadText(const std::string& path);
bool WriteText(const std::string& path, const std::string& text);

}  // namespace train_acoustic_model
