// Profile files ("stroke.ini", "WRENDLE.INI"): sections of Key=Value lines,
// read and written one value at a time as with GetPrivateProfileInt and
// WritePrivateProfileString. Section and key names compare without case.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // The value of `key`, or nullopt when the file, section or key is missing.
  virtual std::optional<std::string> GetString(const std::string& file, const std::string& section,
                                               const std::string& key) const = 0;
  // Creates the file and the section as needed. False when the file can't be
  // written; the old file is then unchanged.
  virtual bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& value) = 0;
  // Removes the key; true also when it was not there.
  virtual bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) = 0;

  // The leading decimal number of the value (optional sign), 0 for a value
  // that doesn't start with one, `default_value` when the key is missing.
  int GetInt(const std::string& file, const std::string& section, const std::string& key,
             int default_value) const;
};

// Leading decimal integer of `text` as GetPrivateProfileInt reads it.
int ParseProfileInt(const std::string& text);

// Files without a directory are taken from `default_directory`. Portable:
// parses and rewrites the text file itself (new file, then replace).
std::unique_ptr<ProfileStore> MakeIniFileProfileStore(const std::string& default_directory);

// The system's profile store: the Win32 profile API on Windows, the portable
// store over the Windows directory natively.
std::unique_ptr<ProfileStore> MakeSystemProfileStore();

}  // namespace platform
