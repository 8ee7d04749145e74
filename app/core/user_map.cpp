#include "app/core/user_map.h"

#include <fstream>

#include "app/core/char_codes.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "platform/text_compare.h"

namespace wrendle::app {
namespace {

constexpr char kMagic[4] = {'U', 'M', 'A', 'P'};

// Reads a file through bounds-checked little-endian fields.
class FileReader {
 public:
  explicit FileReader(const std::string& path) : in_(path, std::ios::binary) {
    if (!in_) return;
    in_.seekg(0, std::ios::end);
    size_ = static_cast<std::uint64_t>(in_.tellg());
    in_.seekg(0);
  }
  bool is_open() const { return static_cast<bool>(in_); }
  std::uint64_t position() { return in_ ? static_cast<std::uint64_t>(in_.tellg()) : size_; }
  std::uint64_t remaining() { return size_ - position(); }
  bool Seek(std::uint64_t offset) {
    if (offset > size_) return false;
    in_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in_);
  }
  bool ReadU32(std::uint32_t* value) {
    std::uint8_t bytes[4];
    if (!ReadBytes(bytes, 4)) return false;
    *value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
  }
  bool ReadBytes(void* out, std::uint64_t count) {
    if (count > remaining()) return false;
    in_.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return static_cast<bool>(in_);
  }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

void PutU32(std::vector<std::uint8_t>* out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutU32At(std::vector<std::uint8_t>* out, size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutText(std::vector<std::uint8_t>* out, const std::string& text) {
  out->insert(out->end(), text.begin(), text.end());
  out->push_back(0);
}

// The text before the first zero byte.
std::string TerminatedText(const std::vector<char>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

// The data block of one record: its length and bytes, read at `data_offset`.
bool ReadData(FileReader* file, std::uint64_t data_offset, std::vector<std::uint8_t>* data) {
  std::uint32_t length = 0;
  if (!file->Seek(data_offset) || !file->ReadU32(&length) || length > file->remaining()) return false;
  data->resize(length);
  return length == 0 || file->ReadBytes(data->data(), length);
}

std::string LanguageTag(int language) {
  switch (language) {
    case kLanguageJapanese:
      return "JPN";
    case kLanguageKorean:
      return "KOR";
    case kLanguageSimplifiedChinese:
      return "CHS";
    default:
      return "CHT";
  }
}

}  // namespace

CUserMap::CUserMap(std::string directory, int language)
    : directory_(std::move(directory)), language_(language) {}

std::string CUserMap::FilePath() const {
  return platform::JoinPath(directory_, "wr" + LanguageTag(language_) + ".map");
}

std::string CUserMap::CompanionPath() const {
  return platform::JoinPath(directory_, "wr" + LanguageTag(language_) + ".max");
}

void CUserMap::SetUser(const std::string& name) {
  if (name.empty()) return;
  if (modified_) Save();
  user_ = name;
  entries_.clear();
  modified_ = false;
  Load(user_);
}

CUserMap::Directory CUserMap::ScanDirectory() const {
  Directory directory;
  FileReader file(FilePath());
  char magic[4];
  if (!file.is_open() || !file.ReadBytes(magic, 4) || !std::equal(magic, magic + 4, kMagic)) return directory;
  auto damaged = [&](std::uint64_t at, const char* what) {
    directory.damage = "The user code map \"" + FilePath() + "\" is damaged: " + what +
                       " in the record at byte " + std::to_string(at) + ". It is left as it is and not used.";
    return directory;
  };
  while (file.remaining() > 0) {
    const std::uint64_t record_at = file.position();
    std::uint32_t record_length = 0;
    std::uint32_t name_length = 0;
    if (!file.ReadU32(&record_length) || !file.ReadU32(&name_length))
      return damaged(record_at, "a record cut short");
    // The name is checked against the file before anything is allocated.
    if (name_length == 0 || name_length > file.remaining()) return damaged(record_at, "a wrong name length");
    std::vector<char> name(name_length);
    if (!file.ReadBytes(name.data(), name_length) || name.back() != '\0')
      return damaged(record_at, "a name without its end");
    const std::uint64_t data_offset = file.position();
    std::uint32_t data_length = 0;
    if (!file.ReadU32(&data_length) || data_length > file.remaining())
      return damaged(record_at, "a wrong data length");
    if (record_length != std::uint64_t{4} + name_length + 4 + data_length)
      return damaged(record_at, "a record length that disagrees with its fields");
    directory.users.push_back({TerminatedText(name), data_offset});
    if (!file.Seek(data_offset + 4 + data_length)) return damaged(record_at, "a record cut short");
  }
  return directory;
}

std::vector<CUserMap::UserRecord> CUserMap::ReadDirectory() const { return ScanDirectory().users; }

bool CUserMap::Load(const std::string& name, std::int64_t data_offset) {
  FileReader file(FilePath());
  if (!file.is_open()) return false;
  Directory directory = ScanDirectory();
  damage_ = std::move(directory.damage);
  if (!damage_.empty()) return false;
  if (data_offset < 0) {
    for (const UserRecord& record : directory.users) {
      if (platform::SameTextIgnoringCase(record.name, name)) {
        data_offset = static_cast<std::int64_t>(record.data_offset);
        break;
      }
    }
    if (data_offset < 0) return true;
  }
  std::vector<std::uint8_t> data;
  if (!ReadData(&file, static_cast<std::uint64_t>(data_offset), &data)) return true;
  size_t at = 0;
  while (data.size() - at >= 4) {
    const std::uint32_t code = data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
                               (static_cast<std::uint32_t>(data[at + 3]) << 24);
    at += 4;
    size_t end = at;
    while (end < data.size() && data[end] != 0) ++end;
    entries_[code] = std::string(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 data.begin() + static_cast<std::ptrdiff_t>(end));
    at = end < data.size() ? end + 1 : end;
  }
  return true;
}

std::vector<std::uint8_t> CUserMap::CurrentUserRecord() const {
  std::vector<std::uint8_t> record;
  bool any = false;
  for (const auto& entry : entries_) any = any || !entry.second.empty();
  if (!any) return record;
  PutU32(&record, 0);  // record length, filled in below
  PutU32(&record, static_cast<std::uint32_t>(user_.size() + 1));
  PutText(&record, user_);
  const size_t data_length_at = record.size();
  PutU32(&record, 0);
  for (const auto& [code, text] : entries_) {
    if (text.empty()) continue;
    PutU32(&record, code);
    PutText(&record, text);
  }
  PutU32At(&record, 0, static_cast<std::uint32_t>(record.size() - 4));
  PutU32At(&record, data_length_at, static_cast<std::uint32_t>(record.size() - data_length_at - 4));
  return record;
}

bool CUserMap::Save() {
  if (user_.empty() || !modified_) return true;
  Directory directory = ScanDirectory();
  damage_ = std::move(directory.damage);
  // A damaged file is never written over: the records after the damage
  // would be lost.
  if (!damage_.empty()) return false;

  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  const std::vector<std::uint8_t> current = CurrentUserRecord();
  bool current_written = false;
  {
    // Closed before the companion replaces the file: Windows does not
    // replace a file that is open.
    FileReader file(FilePath());
    for (const UserRecord& record : directory.users) {
      if (platform::SameTextIgnoringCase(record.name, user_)) {
        if (!current_written) out.insert(out.end(), current.begin(), current.end());
        current_written = true;
        continue;
      }
      std::vector<std::uint8_t> data;
      if (!ReadData(&file, record.data_offset, &data)) return false;
      PutU32(&out, static_cast<std::uint32_t>(4 + record.name.size() + 1 + 4 + data.size()));
      PutU32(&out, static_cast<std::uint32_t>(record.name.size() + 1));
      PutText(&out, record.name);
      PutU32(&out, static_cast<std::uint32_t>(data.size()));
      out.insert(out.end(), data.begin(), data.end());
    }
  }
  if (!current_written) out.insert(out.end(), current.begin(), current.end());
  if (!platform::WriteThroughNewFile(FilePath(), CompanionPath(), out)) return false;
  modified_ = false;
  return true;
}

int CUserMap::SetLanguage(int language) {
  const int old = language_;
  if (language == language_) return old;
  Save();
  entries_.clear();
  modified_ = false;
  language_ = language;
  if (!user_.empty()) Load(user_);
  return old;
}

bool CUserMap::Contains(int code) const {
  return code >= 0 && entries_.count(static_cast<std::uint32_t>(code)) != 0;
}

int CUserMap::GetText(int code, std::string* text) const {
  if (code < 0) return 0;
  const auto found = entries_.find(static_cast<std::uint32_t>(code));
  if (found == entries_.end()) return 0;
  if (text != nullptr) *text = found->second;
  return static_cast<int>(found->second.size());
}

void CUserMap::Add(int code, std::string text) {
  entries_[static_cast<std::uint32_t>(code)] = std::move(text);
  modified_ = true;
}

int CUserMap::AllocateCode(const std::string& text) {
  for (const auto& [code, entry_text] : entries_) {
    if (!text.empty() && platform::SameTextIgnoringCase(entry_text, text)) return static_cast<int>(code);
  }
  for (int code = 0x100; code <= 0x3FFF; ++code) {
    if (!IsUserCode(code) || Contains(code)) continue;
    if (!text.empty()) Add(code, text);
    return code;
  }
  return -1;
}

}  // namespace wrendle::app
