// The ten predefined texts of a user and language, kept in the profile file
// "WrendleStrings.ini": section "<user>.<system language>", keys "1"-"10".
#pragma once

#include <array>
#include <string>

#include "platform/profile_store.h"

namespace wrendle::app {

inline constexpr int kPredefinedStringCount = 10;
// The longest text the editor takes, in bytes.
inline constexpr int kMaxPredefinedText = 127;
inline constexpr char kPredefinedStringsFile[] = "WrendleStrings.ini";
// The user whose texts are kept when no user was chosen.
inline constexpr char kDefaultStringsUser[] = "tovan";

// "<user>.<language>", with kDefaultStringsUser for an empty user.
std::string PredefinedStringsSection(const std::string& user, int system_language);

class PredefinedStrings {
 public:
  using Texts = std::array<std::string, kPredefinedStringCount>;

  PredefinedStrings(platform::ProfileStore& store, std::string section,
                    std::string file = kPredefinedStringsFile);

  // Reads every text whole; missing keys are empty.
  void Load();
  const Texts& texts() const { return texts_; }
  void SetTexts(const Texts& texts) { texts_ = texts; }
  // Writes the keys whose text differs from what was read or last saved;
  // the others stay as they are in the file. False when a write failed.
  bool Save();
  bool changed() const { return texts_ != stored_; }

 private:
  platform::ProfileStore& store_;
  std::string section_;
  std::string file_;
  Texts texts_;
  Texts stored_;
};

// `text` cut to at most `max_bytes` without splitting a double-byte
// character (a byte with bit 7 set leads one).
std::string LimitText(const std::string& text, std::size_t max_bytes);

}  // namespace wrendle::app
