// What one process keeps of the hook library: its module, the named mutex,
// the mapping of the shared block and the keyboard layout it loaded.
#pragma once

#include <windows.h>

#include "hook/core/shared_block.h"
#include "platform/win32/handles.h"

namespace jebhook::win32 {

// Process attach: opens or creates the mutex and the mapping; the first
// process initialises the block and creates the guard mapping. False when the
// library must refuse to load.
bool AttachProcess(HINSTANCE instance);
// Process detach; `process_ending` when the whole process ends, which skips
// what the system cleans up anyway.
void DetachProcess(bool process_ending);

HINSTANCE ModuleInstance();
// This process's id of the registered message (the same in every process).
UINT RegisteredMessage();
// The library's pen cursor.
HCURSOR PenCursor();
// Thread-local slot for the pause timer this thread set (a UINT_PTR).
DWORD TimerTlsIndex();

// The shared block with the mutex held, for the lifetime of the lock. Waits
// without limit; the mutex is recursive, so a thread that holds it already
// may lock again.
class BlockLock {
 public:
  BlockLock();
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;

  // Null when the block is not mapped.
  SharedBlock* get() const { return block_; }
  SharedBlock* operator->() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  platform::win32::MutexLock lock_;
  SharedBlock* block_;
};

}  // namespace jebhook::win32
