#include "platform/profile_store.h"
#include "platform/system_info.h"

namespace platform {

std::unique_ptr<ProfileStore> MakeSystemProfileStore() { return MakeIniFileProfileStore(WindowsDirectory()); }

}  // namespace platform
