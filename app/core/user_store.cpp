#include "app/core/user_store.h"

#include <cstdio>

#include "app/core/settings_file.h"
#include "common/recognition_types.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "platform/text_compare.h"

namespace wrendle::app {
namespace {

constexpr char kSection[] = "Learn";

std::string SlotKey(int slot) {
  char key[16];
  std::snprintf(key, sizeof key, "USER%04d", slot);
  return key;
}

std::string Numbered(const char* format, int number) {
  char name[32];
  std::snprintf(name, sizeof name, format, number);
  return name;
}

int FieldValue(const std::string& text, size_t begin) {
  return begin == std::string::npos
             ? 0
             : platform::ParseProfileInt(text.substr(begin, text.find(',', begin) - begin));
}

}  // namespace

UserEntry ParseUserEntry(const std::string& text) {
  UserEntry entry;
  const size_t first = text.find(',');
  entry.name = text.substr(0, first);
  if (first == std::string::npos) return entry;
  entry.language = FieldValue(text, first + 1);
  const size_t second = text.find(',', first + 1);
  if (second != std::string::npos) entry.number = FieldValue(text, second + 1);
  return entry;
}

std::string FormatUserEntry(const UserEntry& entry) {
  return entry.name + "," + std::to_string(entry.language) + "," + std::to_string(entry.number);
}

std::string DefaultUserName(int language) {
  return language == kLanguageTraditionalChinese ? "tpen" : "cpen";
}

bool IsValidUserName(std::string_view name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ',' || c == '[' || c == ']' || c == '=') return false;
  }
  return true;
}

LearningFiles LearningFilesOf(int number) {
  return {Numbered("DBS%04d.DBS", number), Numbered("SEGM%04d.DBS", number), Numbered("INK%04d.DBS", number)};
}

bool CopyLearningFile(const std::string& destination, const std::string& source) {
  const auto bytes = platform::ReadWholeFile(source);
  return bytes && platform::WriteWholeFile(destination, *bytes);
}

UserStore::UserStore(platform::ProfileStore& profiles, std::string folder, int language, bool read_only)
    : profiles_(profiles), folder_(std::move(folder)), language_(language), read_only_(read_only) {}

std::string UserStore::ProfilePath() const { return FilePath(kProfileName); }

std::string UserStore::FilePath(const std::string& file_name) const {
  return platform::JoinPath(folder_, file_name);
}

int UserStore::UserCount() const { return profiles_.GetInt(ProfilePath(), kSection, "UserCount", 0); }

std::optional<std::string> UserStore::Slot(int slot) const {
  auto value = profiles_.GetString(ProfilePath(), kSection, SlotKey(slot));
  if (!value || value->empty()) return std::nullopt;
  return value;
}

void UserStore::WriteCount(int count) {
  profiles_.WriteString(ProfilePath(), kSection, "UserCount", std::to_string(count));
}

int UserStore::FindFreeSlot() const {
  const int count = UserCount();
  for (int slot = 1; slot <= count && slot <= kMaxUserSlot; ++slot) {
    if (!Slot(slot)) return slot;
  }
  return count + 1 > kMaxUserSlot ? 0 : count + 1;
}

std::optional<UserStore::Found> UserStore::FindUser(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  const int count = UserCount();
  int seen = 0;
  for (int slot = 1; seen < count && slot <= kMaxUserSlot; ++slot) {
    const auto value = Slot(slot);
    if (!value) continue;
    ++seen;
    UserEntry entry = ParseUserEntry(*value);
    if (entry.language == language_ && platform::SameTextIgnoringCase(entry.name, name))
      return Found{slot, entry};
  }
  return std::nullopt;
}

std::vector<std::string> UserStore::ListUsers() {
  std::vector<std::string> names;
  const int count = UserCount();
  int seen = 0;
  int slot = 1;
  for (; seen < count && slot <= kMaxUserSlot; ++slot) {
    const auto value = Slot(slot);
    if (!value) continue;
    ++seen;
    UserEntry entry = ParseUserEntry(*value);
    if (entry.language == language_) names.push_back(std::move(entry.name));
  }
  if (seen < count && !read_only_) WriteCount(seen);
  return names;
}

int UserStore::AddUser(const std::string& name) {
  if (read_only_ || !IsValidUserName(name) || FindUser(name)) return 0;
  const int slot = FindFreeSlot();
  if (slot == 0) return 0;
  if (!profiles_.WriteString(ProfilePath(), kSection, SlotKey(slot),
                             FormatUserEntry({name, language_, slot}))) {
    return 0;
  }
  WriteCount(UserCount() + 1);
  return slot;
}

bool UserStore::RemoveUser(std::string_view name) {
  if (read_only_) return false;
  const auto found = FindUser(name);
  if (!found) return false;
  WriteCount(UserCount() - 1);
  profiles_.DeleteKey(ProfilePath(), kSection, SlotKey(found->slot));
  const LearningFiles files = LearningFilesOf(found->entry.number);
  for (const auto* file : {&files.features, &files.segments, &files.ink})
    platform::RemoveFile(FilePath(*file));
  if (platform::SameTextIgnoringCase(CurrentUser(), name)) {
    const auto remaining = ListUsers();
    if (remaining.empty()) {
      profiles_.DeleteKey(ProfilePath(), kSection, "CurrentUser");
    } else {
      SetCurrentUser(remaining.front());
    }
  }
  return true;
}

bool UserStore::RenameUser(std::string_view old_name, const std::string& new_name) {
  if (read_only_ || !IsValidUserName(new_name) || platform::SameTextIgnoringCase(old_name, new_name))
    return false;
  const auto found = FindUser(old_name);
  if (!found || FindUser(new_name)) return false;
  UserEntry entry = found->entry;
  entry.name = new_name;
  if (!profiles_.WriteString(ProfilePath(), kSection, SlotKey(found->slot), FormatUserEntry(entry)))
    return false;
  if (platform::SameTextIgnoringCase(CurrentUser(), old_name)) SetCurrentUser(new_name);
  return true;
}

std::string UserStore::CurrentUser() const {
  return profiles_.GetString(ProfilePath(), kSection, "CurrentUser").value_or("");
}

void UserStore::SetCurrentUser(const std::string& name) {
  if (!read_only_) profiles_.WriteString(ProfilePath(), kSection, "CurrentUser", name);
}

std::string UserStore::StartupChoice() {
  const std::vector<std::string> users = ListUsers();
  if (users.empty()) return {};
  if (const auto current = FindUser(CurrentUser())) return current->entry.name;
  return users.front();
}

TransferResult TransferUser(UserStore& from, UserStore& to, const std::string& name,
                            const std::function<bool()>& confirm_overwrite) {
  const auto source = from.FindUser(name);
  if (!source) return TransferResult::kNoSuchUser;
  to.ListUsers();
  int target = 0;
  if (const auto existing = to.FindUser(name)) {
    if (!confirm_overwrite()) return TransferResult::kCancelled;
    target = existing->entry.number;
  } else {
    if (to.AddUser(source->entry.name) == 0) return TransferResult::kNoFreeSlot;
    target = to.FindUser(name)->entry.number;
  }
  const LearningFiles in = LearningFilesOf(source->entry.number);
  const LearningFiles out = LearningFilesOf(target);
  CopyLearningFile(to.FilePath(out.features), from.FilePath(in.features));
  CopyLearningFile(to.FilePath(out.segments), from.FilePath(in.segments));
  CopyLearningFile(to.FilePath(out.ink), from.FilePath(in.ink));
  return TransferResult::kCopied;
}

}  // namespace wrendle::app
