#include "engine/api/key_buffer.h"

#include <algorithm>

namespace vok::api {

bool KeyBuffer::Add(std::string_view keys) {
  if (keys.empty() || keys.size() > kMaxSetKeys || text_.size() + keys.size() > kMaxTextBytes) {
    failing_position_ = static_cast<std::int32_t>(offsets_.size());
    return false;
  }
  offsets_.push_back(static_cast<std::uint32_t>(text_.size()));
  text_.append(keys);
  failing_position_ = -1;
  return true;
}

bool KeyBuffer::RemoveLast() {
  if (offsets_.empty()) return false;
  text_.resize(offsets_.back());
  offsets_.pop_back();
  return true;
}

void KeyBuffer::Clear() {
  text_.clear();
  offsets_.clear();
  failing_position_ = -1;
}

std::string_view KeyBuffer::position(std::size_t index) const {
  const std::size_t end = index + 1 < offsets_.size() ? offsets_[index + 1] : text_.size();
  return std::string_view(text_).substr(offsets_[index], end - offsets_[index]);
}

std::vector<char> KeyBuffer::Attached() const {
  std::vector<char> attached;
  attached.reserve(text_.size() + offsets_.size());
  for (std::size_t p = 0; p < offsets_.size(); ++p) {
    const std::string_view keys = position(p);
    attached.insert(attached.end(), keys.begin(), keys.end());
    attached.push_back('\0');
  }
  return attached;
}

KeyBuffer KeyBuffer::FromAttached(const std::vector<char>& attached) {
  KeyBuffer buffer;
  for (auto start = attached.begin(); start != attached.end();) {
    const auto end = std::find(start, attached.end(), '\0');
    buffer.Add(std::string_view(&*start, static_cast<std::size_t>(end - start)));
    start = end == attached.end() ? end : end + 1;
  }
  return buffer;
}

}  // namespace vok::api
