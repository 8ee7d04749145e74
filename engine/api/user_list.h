// The users of the engine (one folder each under "\Users", kept in byte-wise
// name order) and the installed dialects.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/api/data_folders.h"
#include "engine/api/user_record.h"
#include "engine/api/vok_status.h"

namespace vok::api {

// What the profile "enroll" of a user folder gives.
struct UserProfile {
  bool present = false;  // false: no file; the defaults hold
  std::uint32_t dialect = 0x10;
  std::uint32_t counts[3] = {0, 0, 0};
  std::uint32_t flag = 0;
};

// The shortest profile that can be read.
inline constexpr std::size_t kMinProfileBytes = 179;

// Nullopt (the folder is skipped) when the file exists and gives fewer than
// 179 bytes.
std::optional<UserProfile> ReadUserProfile(const std::string& path);

// Whether an acoustic model file is of the version the engine reads.
using SpeechModelCheck = std::function<bool(const std::string& path)>;

class CUserList {
 public:
  CUserList(DataFolders& folders, SpeechModelCheck speech_check)
      : folders_(folders), speech_check_(std::move(speech_check)) {}

  // Rebuilds the installed dialects (every dialect whose listed data folders
  // all exist; at most 40 ids are tested) and returns their number.
  std::size_t RebuildDialects(const std::vector<std::int32_t>& required_folders);
  // Lists the users again. kVokFolderMissing without a "\Users" path,
  // kVokFileMissing when it cannot be listed.
  VokStatus Scan();

  const std::vector<VokUserRecord>& users() const { return users_; }
  const std::vector<std::uint32_t>& dialects() const { return dialects_; }
  const VokUserRecord* Find(const std::string& name) const;
  bool IsInstalled(std::uint32_t dialect) const;

 private:
  std::optional<VokUserRecord> ReadUser(const std::string& users_folder, const std::string& name);
  void Insert(const VokUserRecord& record);

  DataFolders& folders_;
  SpeechModelCheck speech_check_;
  std::vector<VokUserRecord> users_;
  std::vector<std::uint32_t> dialects_;
};

}  // namespace vok::api
