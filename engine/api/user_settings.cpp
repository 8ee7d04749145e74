#include "engine/api/user_settings.h"

#include "engine/core/resources.h"
#include "platform/file_access.h"

namespace vok::api {
namespace {

constexpr char kSection[] = "Speech";

std::uint32_t Packed(AudioLevels levels) {
  return static_cast<std::uint32_t>(levels.first) << 16 | levels.second;
}

}  // namespace

AudioLevels ReadAudioLevels(EngineRegistry& registry, const std::string& prefs_path) {
  if (!prefs_path.empty() && platform::FileExists(prefs_path)) {
    vok::Resources prefs;
    int first = 0, second = 0;
    if (prefs.Merge(prefs_path.c_str()) >= 0 && prefs.GetInt(kSection, "BLevel", &first) >= 0 &&
        prefs.GetInt(kSection, "Level", &second) >= 0) {
      return {static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(second)};
    }
  }
  if (const auto stored = registry.AudioLevels()) {
    return {static_cast<std::uint16_t>(*stored >> 16), static_cast<std::uint16_t>(*stored & 0xFFFF)};
  }
  const AudioLevels defaults;
  registry.WriteAudioLevels(Packed(defaults));
  return defaults;
}

bool WriteAudioLevels(EngineRegistry& registry, const std::string& prefs_path, AudioLevels levels) {
  if (!registry.WriteAudioLevels(Packed(levels))) return false;
  vok::Resources prefs;
  if (!prefs_path.empty() && platform::FileExists(prefs_path) && prefs.Merge(prefs_path.c_str()) >= 0) {
    prefs.PutInt(kSection, "BLevel", levels.first);
    prefs.PutInt(kSection, "Level", levels.second);
    const std::string new_path = prefs_path + ".new";
    if (prefs.Write(new_path.c_str()) >= 0) platform::ReplaceWithNewFile(new_path, prefs_path);
  }
  return true;
}

}  // namespace vok::api
