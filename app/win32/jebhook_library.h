// The hook library binding of the program.
#pragma once

#include <memory>

#include "app/core/hook_library.h"

namespace wrendle::app {

std::unique_ptr<HookLibrary> MakeJebHookLibrary();

}  // namespace wrendle::app
