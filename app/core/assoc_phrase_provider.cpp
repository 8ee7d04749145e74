#include "app/core/assoc_phrase_provider.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

#include "app/core/char_codes.h"
#include "common/recognition_types.h"

namespace wrendle::app {

namespace {

// The line without its end: LF, or CR LF.
std::size_t ContentLength(const std::string& line) {
  return !line.empty() && line.back() == '\r' ? line.size() - 1 : line.size();
}

}  // namespace

CAssocPhraseProvider::CAssocPhraseProvider(int language, std::string path)
    : language_(language), path_(std::move(path)) {}

void CAssocPhraseProvider::NotifyList(std::uint16_t code) { Notify(code, 0); }

int CAssocPhraseProvider::SetKey(std::uint16_t character) {
  if (KeepFlag()) return 0;
  if (character == 0) {
    key_text_.clear();
  } else if (!HoldsKey(character) || key_text_.size() < 2) {
    key_text_ = CodeBytes(character);
  }
  entries_.clear();
  group_lengths_.clear();
  selected_ = -1;
  if (language_ != kLanguageTraditionalChinese && language_ != kLanguageSimplifiedChinese) return 0;
  LoadEntries(character);
  // The text typed beyond the key character still holds: only entries that
  // continue it stay.
  if (TypedLength() > 0) Narrow();
  BuildGroups();
  return group_count();
}

int CAssocPhraseProvider::SelectGroup(int group) {
  if (entries_.empty() || group < 0 || group >= group_count()) return 0;
  selected_ = group;
  const std::size_t length =
      static_cast<std::size_t>(group_lengths_[static_cast<std::size_t>(group)]) + TypedLength();
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [length](const Entry& entry) {
    return entry.in_view && entry.length == length;
  }));
}

const char* CAssocPhraseProvider::GetGroupLabel(int group, int keep) {
  SetKeepFlag(keep);
  if (group < 0 || group >= group_count()) return nullptr;
  label_ = std::to_string(group_lengths_[static_cast<std::size_t>(group)] / 2);
  return label_.c_str();
}

const char* CAssocPhraseProvider::GetItem(int item, int keep) {
  SetKeepFlag(keep);
  const Entry* entry = MatchingEntry(item);
  if (entry == nullptr) return nullptr;
  return line_.c_str() + entry->offset + TypedLength();
}

int CAssocPhraseProvider::AppendItem(int item) {
  const char* text = GetItem(item, 0);
  if (text == nullptr) return group_count();
  const std::size_t length = std::strlen(text);
  if (key_text_.size() + length >= kKeyTextSize) return group_count();
  key_text_.append(text, length);
  NotifyOthers(this, 0);
  Narrow();
  BuildGroups();
  selected_ = -1;
  return group_count();
}

const char* CAssocPhraseProvider::GetKey() { return key_text_.c_str(); }

bool CAssocPhraseProvider::HoldsKey(std::uint16_t character) const {
  const std::string bytes = CodeBytes(character);
  return !bytes.empty() && key_text_.compare(0, bytes.size(), bytes) == 0;
}

std::string CAssocPhraseProvider::EntryHead(int index) const {
  if (index < 0 || index >= EntryCount()) return {};
  const Entry& entry = entries_[static_cast<std::size_t>(index)];
  return line_.substr(entry.offset, std::min<std::size_t>(2, entry.length));
}

bool CAssocPhraseProvider::BuildIndex() {
  std::ifstream file(path_, std::ios::binary);
  if (!file) return false;
  index_.clear();
  std::array<char, kIndexBufferSize> buffer{};
  std::uint64_t line_start = 0;
  std::uint64_t position = 0;
  std::string head;  // the first bytes of the current line
  // A line is indexed when it holds a key and fits the buffer with its line
  // end; a longer one is skipped and the scan goes on with the next.
  auto end_line = [&](std::uint64_t end) {
    const std::uint64_t length = end - line_start;  // the CR of CR LF included
    if (length + 1 <= kIndexBufferSize && head.size() >= 2) {
      const auto key = static_cast<std::uint16_t>(static_cast<std::uint8_t>(head[0]) |
                                                  static_cast<std::uint8_t>(head[1]) << 8);
      index_.push_back({line_start, key, static_cast<std::uint16_t>(length)});
    }
    line_start = end + 1;
    head.clear();
  };
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(file.gcount());
    for (std::size_t i = 0; i < got; ++i, ++position) {
      if (buffer[i] == '\n') {
        end_line(position);
      } else if (head.size() < 2) {
        head.push_back(buffer[i]);
      }
    }
  }
  if (position > line_start) end_line(position);
  indexed_ = true;
  return true;
}

void CAssocPhraseProvider::LoadEntries(std::uint16_t character) {
  if (!IsDoubleByteKey(character)) return;
  if (!indexed_ && !BuildIndex()) return;
  const auto found = std::find_if(index_.begin(), index_.end(),
                                  [character](const IndexedLine& line) { return line.key == character; });
  if (found == index_.end()) return;
  std::ifstream file(path_, std::ios::binary);
  if (!file.seekg(static_cast<std::streamoff>(found->offset))) return;
  line_.assign(found->length, '\0');
  file.read(line_.data(), static_cast<std::streamsize>(line_.size()));
  line_.resize(static_cast<std::size_t>(file.gcount()));
  line_.resize(ContentLength(line_));
  if (line_.size() <= 3 || static_cast<std::uint8_t>(line_[0]) != (character & 0xFF) ||
      static_cast<std::uint8_t>(line_[1]) != (character >> 8)) {
    line_.clear();
    return;
  }
  const char separator = line_[2];
  std::size_t start = 3;
  while (start <= line_.size()) {
    std::size_t end = line_.find(separator, start);
    if (end == std::string::npos) end = line_.size();
    const std::size_t length = end - start;
    if (length > 0 && length <= kMaxEntryLength)
      entries_.push_back({static_cast<std::uint16_t>(start), static_cast<std::uint8_t>(length), true});
    if (end < line_.size()) line_[end] = '\0';
    start = end + 1;
  }
}

void CAssocPhraseProvider::Narrow() {
  const std::size_t typed = TypedLength();
  const char* typed_text = key_text_.c_str() + 2;
  for (Entry& entry : entries_) {
    if (!entry.in_view) continue;
    entry.in_view = entry.length > typed && std::memcmp(line_.data() + entry.offset, typed_text, typed) == 0;
  }
}

void CAssocPhraseProvider::BuildGroups() {
  // A class is the number of characters left after the typed text; only
  // whole double-byte remainders of 1 to 9 characters are listed, and only
  // classes that list something become groups.
  std::array<bool, kMaxGroups> used{};
  const std::size_t typed = TypedLength();
  for (const Entry& entry : entries_) {
    if (!entry.in_view || entry.length <= typed) continue;
    const std::size_t rest = entry.length - typed;
    if (rest % 2 == 0 && rest / 2 < kMaxGroups) used[rest / 2] = true;
  }
  group_lengths_.clear();
  for (int character_count = 1; character_count < kMaxGroups; ++character_count)
    if (used[static_cast<std::size_t>(character_count)]) group_lengths_.push_back(2 * character_count);
}

std::size_t CAssocPhraseProvider::TypedLength() const {
  return key_text_.size() > 2 ? key_text_.size() - 2 : 0;
}

const CAssocPhraseProvider::Entry* CAssocPhraseProvider::MatchingEntry(int item) const {
  if (selected_ < 0 || selected_ >= group_count() || item < 0) return nullptr;
  const std::size_t length =
      static_cast<std::size_t>(group_lengths_[static_cast<std::size_t>(selected_)]) + TypedLength();
  for (const Entry& entry : entries_) {
    if (!entry.in_view || entry.length != length) continue;
    if (item-- == 0) return &entry;
  }
  return nullptr;
}

}  // namespace wrendle::app
