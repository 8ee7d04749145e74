// The per-user settings: the audio levels (the "Prefs" file of the user's
// folder, else the "AudioLevels" registry value, else the defaults, which
// are then written) and the best speech model.
#pragma once

#include <cstdint>
#include <string>

#include "engine/api/engine_registry.h"

namespace vok::api {

inline constexpr std::uint16_t kDefaultFirstLevel = 100;
inline constexpr std::uint16_t kDefaultSecondLevel = 2048;

struct AudioLevels {
  std::uint16_t first = kDefaultFirstLevel;
  std::uint16_t second = kDefaultSecondLevel;
};

// `prefs_path` is empty when there is no current user.
AudioLevels ReadAudioLevels(EngineRegistry& registry, const std::string& prefs_path);
// Writes the registry value (true when that worked) and, when the "Prefs"
// file can be read, its two keys, keeping every other key.
bool WriteAudioLevels(EngineRegistry& registry, const std::string& prefs_path, AudioLevels levels);

}  // namespace vok::api
