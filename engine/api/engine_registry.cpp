#include "engine/api/engine_registry.h"

namespace vok::api {
namespace {

std::optional<std::string> Bounded(std::optional<std::string> text, std::size_t buffer_bytes) {
  if (!text || text->size() + 1 > buffer_bytes) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> EngineRegistry::InstallPath() {
  return Bounded(machine_.ReadText(kEngineRegistryKey, "InstallPath"), kValueBytes);
}

std::optional<std::string> EngineRegistry::CurrentUserName() {
  if (auto name = Bounded(user_.ReadText(kEngineRegistryKey, "User"), kUserNameBytes)) return name;
  return Bounded(machine_.ReadText(kEngineRegistryKey, "User"), kUserNameBytes);
}

VokStatus EngineRegistry::WriteCurrentUserName(const std::string& name) {
  const bool machine_written = machine_.WriteText(kEngineRegistryKey, "User", name);
  // The user's value is read first, so it must follow the machine's.
  const bool user_written = user_.WriteText(kEngineRegistryKey, "User", name);
  return machine_written || user_written ? kVokOk : kVokUnknownUser;
}

std::optional<std::string> EngineRegistry::BestSpeech() {
  return Bounded(user_.ReadText(kEngineRegistryKey, "BestSpeech"), kValueBytes);
}

bool EngineRegistry::WriteBestSpeech(const std::string& name) {
  return user_.WriteText(kEngineRegistryKey, "BestSpeech", name);
}

std::optional<std::uint32_t> EngineRegistry::AudioLevels() {
  return user_.ReadNumber(kEngineRegistryKey, "AudioLevels");
}

bool EngineRegistry::WriteAudioLevels(std::uint32_t levels) {
  return user_.WriteNumber(kEngineRegistryKey, "AudioLevels", levels);
}

}  // namespace vok::api
