// The user list of a store (section Learn of the "WRENDLE.INI" in a folder)
// and the three learning files each user owns in that folder. Users are
// told apart by name, without case, and by recognizer language.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_store.h"

namespace wrendle::app {

inline constexpr int kMaxUserSlot = 9999;

struct UserEntry {
  std::string name;
  int language = 0;
  int number = 0;
};

// "name,language,number"; missing fields are 0.
UserEntry ParseUserEntry(const std::string& text);
std::string FormatUserEntry(const UserEntry& entry);

// "tpen" for 2000, "cpen" for any other language.
std::string DefaultUserName(int language);

// A name the profile can hold: not empty, no blank at either end, no ','
// '[' ']' '=' and no control character.
bool IsValidUserName(std::string_view name);

struct LearningFiles {
  std::string features;  // "DBS%04d.DBS"
  std::string segments;  // "SEGM%04d.DBS"
  std::string ink;       // "INK%04d.DBS"
};
LearningFiles LearningFilesOf(int number);

// Copies a whole learning file; the destination is replaced only once the
// copy is complete, so a copy onto itself keeps the file. False when the
// source cannot be read or the destination written.
bool CopyLearningFile(const std::string& destination, const std::string& source);

class UserStore {
 public:
  // A read-only store (a folder being browsed) never writes its profile.
  UserStore(platform::ProfileStore& profiles, std::string folder, int language, bool read_only = false);

  const std::string& folder() const { return folder_; }
  std::string ProfilePath() const;
  std::string FilePath(const std::string& file_name) const;

  int UserCount() const;
  // First empty slot from 1 up to UserCount, else UserCount + 1; 0 past 9999.
  int FindFreeSlot() const;
  // Slot and entry of the user of this store's language.
  struct Found {
    int slot;
    UserEntry entry;
  };
  std::optional<Found> FindUser(std::string_view name) const;
  // The names of this language in slot order. A UserCount above the filled
  // slots is rewritten with their real number.
  std::vector<std::string> ListUsers();

  // The new user's number, 0 when no slot is free or the name is refused or
  // already listed.
  int AddUser(const std::string& name);
  // Deletes the entry and the user's learning files. A current user that
  // was removed gives way to the first remaining user.
  bool RemoveUser(std::string_view name);
  // The user keeps its number and files. Refused when the new name is
  // invalid or already taken by another user.
  bool RenameUser(std::string_view old_name, const std::string& new_name);

  std::string CurrentUser() const;
  void SetCurrentUser(const std::string& name);
  // The user that the Select User dialog takes in start-up mode: the current
  // user when this language lists it (as listed), else the first listed;
  // empty when the language has none.
  std::string StartupChoice();

 private:
  std::optional<std::string> Slot(int slot) const;
  void WriteCount(int count);

  platform::ProfileStore& profiles_;
  std::string folder_;
  int language_;
  bool read_only_;
};

enum class TransferResult { kCopied, kNoSuchUser, kCancelled, kNoFreeSlot };

// Copies the learning files of `name` in `from` to the user of that name in
// `to`, which is added there when missing; an existing one is overwritten
// only when `confirm_overwrite` agrees. Export and import are this copy in
// either direction.
TransferResult TransferUser(UserStore& from, UserStore& to, const std::string& name,
                            const std::function<bool()>& confirm_overwrite);

}  // namespace wrendle::app
