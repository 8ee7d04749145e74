// The logon start of the companion: the per-user Run value "SubWrendle"
// holding the quoted path of "SubWrendle.exe" in the program's folder.
#pragma once

#include <string>

#include "platform/registry_store.h"

namespace wrendle::app {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where a value moved aside (by a start-up manager) would lie.
inline constexpr char kSetAsideRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
inline constexpr char kRunValueName[] = "SubWrendle";
inline constexpr char kCompanionFile[] = "SubWrendle.exe";

struct LogonStartState {
  bool available = false;  // the Run key can be opened or created
  bool ticked = false;     // a value of non-empty text is there
};

LogonStartState QueryLogonStart(platform::RegistryStore& registry);

// The command line the value holds: the path in quotes, so that a folder
// with a space in its name cannot start another program at logon.
// `program_folder` ends with its separator.
std::string LogonStartCommand(const std::string& program_folder);

// Writes the value (and deletes one of the same name that was set aside) or
// deletes it. Failures are not reported.
void ApplyLogonStart(platform::RegistryStore& registry, bool start_at_logon,
                     const std::string& program_folder);

}  // namespace wrendle::app
