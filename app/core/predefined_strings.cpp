#include "app/core/predefined_strings.h"

namespace wrendle::app {

std::string PredefinedStringsSection(const std::string& user, int system_language) {
  return (user.empty() ? std::string(kDefaultStringsUser) : user) + "." + std::to_string(system_language);
}

PredefinedStrings::PredefinedStrings(platform::ProfileStore& store, std::string section, std::string file)
    : store_(store), section_(std::move(section)), file_(std::move(file)) {}

void PredefinedStrings::Load() {
  for (int k = 0; k < kPredefinedStringCount; ++k)
    texts_[static_cast<std::size_t>(k)] =
        store_.GetString(file_, section_, std::to_string(k + 1)).value_or("");
  stored_ = texts_;
}

bool PredefinedStrings::Save() {
  bool all_written = true;
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    if (texts_[k] == stored_[k]) continue;
    if (store_.WriteString(file_, section_, std::to_string(k + 1), texts_[k]))
      stored_[k] = texts_[k];
    else
      all_written = false;
  }
  return all_written;
}

std::string LimitText(const std::string& text, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width =
        (static_cast<unsigned char>(text[end]) & 0x80) != 0 && end + 1 < text.size() ? 2 : 1;
    if (end + width > max_bytes) break;
    end += width;
  }
  return text.substr(0, end);
}

}  // namespace wrendle::app
