#include "tools/train_acoustic_model/text_file.h"

#include <cstdint>
#include <span>

#include "platform/file_access.h"

namespace train_acoustic_model {

std::optional<std::string> ReadText(const std::string& path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return platform::WriteWholeFile(path, std::span<const std::uint8_t>(bytes, text.size()));
}

}  // namespace train_acoustic_model
