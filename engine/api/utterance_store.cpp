#include "engine/api/utterance_store.h"

#include <cstdio>

#include "engine/api/data_folders.h"
#include "platform/file_access.h"
#include "platform/folder_listing.h"

namespace vok::api {

void CUtteranceStore::SetFolder(const std::string& folder) {
  folder_ = folder;
  if (folder_.empty() || (folder_.back() != kFolderSeparator && folder_.back() != '\\'))
    folder_ += kFolderSeparator;
}

std::string CUtteranceStore::PathOf(std::uint32_t number) const {
  char name[16];
  std::snprintf(name, sizeof name, "SD%05x.wav", number);
  return folder_ + name;
}

bool CUtteranceStore::BeginUtterance() { return writer_.OpenForWriting(PathOf(next_)); }

bool CUtteranceStore::WriteFrames(std::span<const std::int16_t> samples) { return writer_.Append(samples); }

void CUtteranceStore::EndUtterance() {
  if (!writer_.is_open()) return;
  writer_.Close();
  ++next_;
}

bool CUtteranceStore::Select(std::uint32_t number) {
  if (number > next_ || (number == next_ && !writing())) return false;
  CWaveFile probe;
  if (!probe.OpenForReading(PathOf(number))) return false;
  reading_ = number;
  offset_ = 0;
  exhausted_ = false;
  return true;
}

std::size_t CUtteranceStore::Read(std::span<std::int16_t> out) {
  if (exhausted_) return 0;
  CWaveFile file;
  if (!file.OpenForReading(PathOf(reading_))) return 0;
  file.SetReadPosition(offset_);
  const std::size_t read = file.Read(out);
  offset_ += static_cast<std::uint32_t>(read);
  return read;
}

bool CUtteranceStore::AtEnd() {
  if (exhausted_) return true;
  if (reading_ == next_ && writing()) return false;
  CWaveFile file;
  if (file.OpenForReading(PathOf(reading_)) && offset_ < file.SampleCount()) return false;
  exhausted_ = true;
  if (first_unread_ <= reading_) first_unread_ = reading_ + 1;
  return true;
}

std::uint32_t CUtteranceStore::UnreadCount() const {
  const std::uint32_t captured = writing() ? next_ + 1 : next_;
  return captured > first_unread_ ? captured - first_unread_ : 0;
}

bool CUtteranceStore::ReadWhole(std::uint32_t number, std::span<std::int16_t> out, std::size_t* count) const {
  CWaveFile file;
  if (number >= next_ + (writing() ? 1 : 0) || !file.OpenForReading(PathOf(number))) return false;
  *count = file.Read(out);
  return true;
}

VokStatus CUtteranceStore::Delete(std::int32_t number) {
  if (number >= 0) {
    return platform::RemoveFile(PathOf(static_cast<std::uint32_t>(number))) ? kVokOk : kVokFileMissing;
  }
  const auto entries = platform::ListFolder(folder_);
  if (!entries) return kVokFileMissing;
  const std::string open_name = writing() ? PathOf(next_).substr(folder_.size()) : std::string();
  VokStatus status = kVokOk;
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.is_folder) continue;
    if (entry.name == open_name || !platform::RemoveFile(folder_ + entry.name)) status = kVokFileMissing;
  }
  return status;
}

}  // namespace vok::api
