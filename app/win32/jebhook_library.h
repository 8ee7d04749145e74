// The hook library binding of the program: the text-output calls and the
// main frame's owner calls.
#pragma once

#include <memory>

#include "app/core/hook_library.h"
#include "app/core/hook_owner.h"

namespace wrendle::app {

std::unique_ptr<HookLibrary> MakeJebHookLibrary();
std::unique_ptr<HookOwner> MakeJebHookOwner();

}  // namespace wrendle::app
