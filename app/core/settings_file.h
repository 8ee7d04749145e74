// "WRENDLE.INI": every setting of the program read once at start-up and
// written back once at exit, through a profile store.
#pragma once

#include <string>

#include "app/core/settings.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"

namespace wrendle::app {

inline constexpr char kProfileName[] = "WRENDLE.INI";
inline constexpr char kDefaultCurrentUser[] = "odrin";

struct WindowPoint {
  int x;
  int y;
  bool operator==(const WindowPoint&) const = default;
};

// A point outside (0, 0)..(W - 60, H - 30), right and bottom exclusive,
// moves to (2W/3, 2H/3).
WindowPoint ClampToScreen(WindowPoint point, platform::ScreenSize screen);

// The recognizer language 3000 has no full-width output and no phrase and
// homophone panes, in either layout.
void RestrictToLanguage(Settings& settings);

class SettingsFile {
 public:
  SettingsFile(platform::ProfileStore& store, std::string file) : store_(store), file_(std::move(file)) {}

  // Every key with its default for this screen, the range and mode fixes
  // and the position clamp; on a system whose language has a kernel both
  // languages become the system's.
  Settings Load(int system_language, platform::ScreenSize screen) const;
  // Writes every setting back; false when a write failed.
  bool Save(const Settings& settings);

  // [Learn] CurrentUser.
  std::string CurrentUser() const;

 private:
  int Int(const char* section, const std::string& key, int default_value) const {
    return store_.GetInt(file_, section, key, default_value);
  }

  platform::ProfileStore& store_;
  std::string file_;
};

}  // namespace wrendle::app
