// The one library state of this process, made on first use with the
// system's registry and windows.
#pragma once

#include "engine/api/vok_library.h"

namespace vok::api {

VokLibrary& Library();

}  // namespace vok::api
