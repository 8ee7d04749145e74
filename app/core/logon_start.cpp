#include "app/core/logon_start.h"

namespace wrendle::app {

LogonStartState QueryLogonStart(platform::RegistryStore& registry) {
  LogonStartState state;
  state.available = registry.OpenOrCreateKey(kRunKey);
  if (!state.available) return state;
  const std::optional<std::string> value = registry.ReadText(kRunKey, kRunValueName);
  state.ticked = value && !value->empty();
  return state;
}

std::string LogonStartCommand(const std::string& program_folder) {
  return "\"" + program_folder + kCompanionFile + "\"";
}

void ApplyLogonStart(platform::RegistryStore& registry, bool start_at_logon,
                     const std::string& program_folder) {
  if (start_at_logon) {
    registry.WriteText(kRunKey, kRunValueName, LogonStartCommand(program_folder));
    registry.DeleteValue(kSetAsideRunKey, kRunValueName);
  } else {
    registry.DeleteValue(kRunKey, kRunValueName);
  }
}

}  // namespace wrendle::app
