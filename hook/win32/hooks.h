// The six system-wide hooks, installed from an owner's thread.
#pragma once

#include "hook/core/owner_table.h"
#include "hook/core/shared_block.h"

namespace jebhook::win32 {

// With the mutex held. Installs each hook not installed yet, in the order of
// HookIndex; on a failure removes them all and returns false.
bool InstallHooks(SharedBlock& block);
void RemoveHooks(SharedBlock& block);
// After owners whose windows are gone were dropped: when no owner is left and
// every dropped owner's thread has ended, the recorded hooks ended with those
// threads and are forgotten, so that the next registration installs new ones.
void ForgetHooksOfEndedOwners(SharedBlock& block, const DroppedOwners& dropped);

}  // namespace jebhook::win32
