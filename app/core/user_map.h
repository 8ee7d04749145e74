// CUserMap: the user code map. A user code (0x100 to 0x3FFF, see IsUserCode)
// stands for a whole text of the user's choice; each user name has a map of
// its own, and all users' maps of one language live in one file in the
// Windows directory.
//
// File (little-endian): the magic "UMAP", then per user a record
//   record length  uint32  bytes that follow in the record
//   name length    uint32  including the zero byte
//   name           zero-terminated
//   data length    uint32
//   data           entries: code uint32, text zero-terminated; empty texts
//                  are not written
// A user without an entry that has a text has no record.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/recognition_types.h"

namespace wrendle::app {

class CUserMap {
 public:
  // `directory`: where the map files are, the Windows directory in the program.
  explicit CUserMap(std::string directory, int language = kLanguageTraditionalChinese);

  CUserMap(const CUserMap&) = delete;
  CUserMap& operator=(const CUserMap&) = delete;

  // An empty name does nothing. Otherwise a modified map of the previous user
  // is saved first, then the name becomes current and its entries are loaded.
  void SetUser(const std::string& name);
  const std::string& user() const { return user_; }

  // Adds the entries of user `name` (names compare without case); with
  // `data_offset` -1 the record is looked up in the directory first, and a
  // name without a record leaves the map as it is. False when the file
  // can't be opened or is damaged (see damage()).
  bool Load(const std::string& name, std::int64_t data_offset = -1);

  struct UserRecord {
    std::string name;
    std::uint64_t data_offset;  // file offset of the record's data length
  };
  // The users in file order; none when the file is missing or foreign. A
  // damaged record (cut short, or lengths that disagree) ends the directory.
  std::vector<UserRecord> ReadDirectory() const;

  // Why the map file was refused by the last Load or Save, for the user;
  // empty when it was sound. A damaged file is neither read nor written over.
  const std::string& damage() const { return damage_; }

  // Writes the current user's record into the file, keeping every other
  // user's record unchanged and in order: the companion file is written in
  // full and then replaces the map file. Nothing happens without a user or a
  // change. False when the file is damaged or could not be replaced; the old
  // file is then unchanged and the map stays modified.
  bool Save();

  // Saves, empties the map, switches the file to `language` and loads the
  // current user again. The same language does nothing. Returns the old one.
  int SetLanguage(int language);
  int language() const { return language_; }

  bool Contains(int code) const;
  // The text of `code` in `text`; returns its length, 0 when absent.
  int GetText(int code, std::string* text) const;
  // Replaces the text of `code` or adds the entry; marks the map modified.
  void Add(int code, std::string text);
  // The code of an entry whose text is `text` (without regard to case), else
  // the lowest free user code, added with `text` when it isn't empty; -1 when
  // every user code is taken.
  int AllocateCode(const std::string& text);

  const std::map<std::uint32_t, std::string>& entries() const { return entries_; }
  bool modified() const { return modified_; }

  // "<directory>\wrCHT.map" and its companion "...max" written while saving;
  // the tag is JPN, KOR, CHS or CHT by language.
  std::string FilePath() const;
  std::string CompanionPath() const;

 private:
  struct Directory {
    std::vector<UserRecord> users;
    std::string damage;  // empty for a sound file
  };
  // Checks every record of the file against its lengths and the file's end.
  Directory ScanDirectory() const;
  std::vector<std::uint8_t> CurrentUserRecord() const;

  std::string directory_;
  int language_;
  std::string user_;
  std::map<std::uint32_t, std::string> entries_;  // ascending codes
  bool modified_ = false;
  std::string damage_;
};

}  // namespace wrendle::app
