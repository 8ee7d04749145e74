#include "engine/api/user_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/api/utterance_set_header.h"
#include "platform/folder_listing.h"

namespace vok::api {
namespace {

constexpr std::size_t kMaxTestedFolders = 40;

// Older profiles name the dialect 1 or 2; 0 means the first.
std::uint32_t ProfileDialect(std::uint32_t stored) {
  switch (stored) {
    case 0:
    case 1:
      return 0x10;
    case 2:
      return 0x20;
    default:
      return stored;
  }
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<UserProfile> ReadUserProfile(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return UserProfile{};
  std::uint8_t bytes[kUtteranceSetHeaderBytes] = {};
  const std::size_t read = std::fread(bytes, 1, sizeof(bytes), file.get());
  if (read < kMinProfileBytes) return std::nullopt;
  const UtteranceSetHeader header = DecodeUtteranceSetHeader(std::span<const std::uint8_t>(bytes, read));
  UserProfile profile;
  profile.present = true;
  profile.dialect = ProfileDialect(header.dialect);
  std::copy(std::begin(header.counts), std::end(header.counts), profile.counts);
  profile.flag = header.flag;
  return profile;
}

std::size_t CUserList::RebuildDialects(const std::vector<std::int32_t>& required_folders) {
  dialects_.clear();
  const std::size_t tested = std::min(required_folders.size(), kMaxTestedFolders);
  for (const std::uint32_t dialect : kDialects) {
    bool installed = true;
    for (std::size_t i = 0; i < tested && installed; ++i) {
      const auto path = folders_.FilePath(required_folders[i], static_cast<std::int32_t>(dialect));
      installed = path && platform::PathExists(*path);
    }
    if (installed) dialects_.push_back(dialect);
  }
  return dialects_.size();
}

bool CUserList::IsInstalled(std::uint32_t dialect) const {
  return std::find(dialects_.begin(), dialects_.end(), dialect) != dialects_.end();
}

const VokUserRecord* CUserList::Find(const std::string& name) const {
  for (const VokUserRecord& record : users_) {
    if (name == record.name) return &record;
  }
  return nullptr;
}

std::optional<VokUserRecord> CUserList::ReadUser(const std::string& users_folder, const std::string& name) {
  const std::string folder = users_folder + "/" + name;
  VokUserRecord record{};
  // Names and paths that do not fit the record are not users.
  if (name.size() + 1 > sizeof(record.name) || folder.size() + 1 > sizeof(record.path)) return std::nullopt;
  const auto profile = ReadUserProfile(folder + "/enroll");
  if (!profile) return std::nullopt;
  std::memcpy(record.name, name.c_str(), name.size() + 1);
  std::memcpy(record.path, folder.c_str(), folder.size() + 1);
  record.dialect = profile->dialect;
  record.script = ScriptOfDialect(profile->dialect);
  std::copy(std::begin(profile->counts), std::end(profile->counts), record.counts);
  if (profile->present) record.flags |= kUserProfileRead;
  if (profile->flag != 0) record.flags |= kUserProfileFlagged;
  const std::string speech = folder + "/speech";
  if (platform::PathExists(speech) && speech_check_ && speech_check_(speech))
    record.flags |= kUserSpeechModelPresent;
  if ((record.flags & (kUserProfileRead | kUserSpeechModelPresent)) == 0 || !IsInstalled(record.dialect)) {
    return std::nullopt;
  }
  return record;
}

void CUserList::Insert(const VokUserRecord& record) {
  const auto before = std::find_if(users_.begin(), users_.end(), [&](const VokUserRecord& other) {
    return std::strcmp(other.name, record.name) >= 0;
  });
  users_.insert(before, record);
}

VokStatus CUserList::Scan() {
  const auto users_folder = folders_.FolderPath(kUsersFolder);
  if (!users_folder) return kVokFolderMissing;
  const auto entries = platform::ListFolder(*users_folder);
  if (!entries) return kVokFileMissing;
  users_.clear();
  for (const platform::FolderEntry& entry : *entries) {
    if (!entry.is_folder || entry.name.empty() || entry.name[0] == '.') continue;
    if (auto record = ReadUser(*users_folder, entry.name)) Insert(*record);
  }
  return kVokOk;
}

}  // namespace vok::api
