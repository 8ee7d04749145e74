// The engine's values under "Software\TVRN\VOK-P": "InstallPath" and "User"
// on the machine root, "BestSpeech" and "AudioLevels" on the user's root.
// Writing the machine root needs administrator rights, so "User" is read
// from the user's root first and written there when the machine write fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/api/vok_status.h"
#include "platform/registry_store.h"

namespace vok::api {

inline constexpr char kEngineRegistryKey[] = "Software\\TVRN\\VOK-P";

class EngineRegistry {
 public:
  // Text values are read into buffers of this many bytes, zero included; a
  // longer value reads as absent.
  static constexpr std::size_t kValueBytes = 260;
  static constexpr std::size_t kUserNameBytes = 65;

  EngineRegistry(platform::RegistryStore& machine, platform::RegistryStore& user)
      : machine_(machine), user_(user) {}

  std::optional<std::string> InstallPath();
  std::optional<std::string> CurrentUserName();
  // kVokOk, or kVokUnknownUser when neither root takes it.
  VokStatus WriteCurrentUserName(const std::string& name);
  std::optional<std::string> BestSpeech();
  bool WriteBestSpeech(const std::string& name);
  std::optional<std::uint32_t> AudioLevels();
  bool WriteAudioLevels(std::uint32_t levels);

 private:
  platform::RegistryStore& machine_;
  platform::RegistryStore& user_;
};

}  // namespace vok::api
