// The ten owner slots of the shared block: registration, handles, activation.
#pragma once

#include <cstdint>
#include <optional>

#include "hook/core/notices.h"
#include "hook/core/shared_block.h"

namespace jebhook {

// Owner handle: (registered message id << 16) | slot index.
std::uint32_t MakeOwnerHandle(std::uint32_t registered_message, int slot);
// The slot a handle names: nullopt when its high word is not the block's
// registered message id or its slot is 10 or more. The slot may be free.
std::optional<int> SlotOfHandle(const SharedBlock& block, std::uint32_t handle);
bool InUse(const OwnerSlot& slot);
bool AnyOwner(const SharedBlock& block);

// The slot of the active owner when it is in use, else null.
OwnerSlot* ActiveSlot(SharedBlock& block);
// The first used slot registered from `thread_id`, else null.
const OwnerSlot* SlotOfThread(const SharedBlock& block, std::uint32_t thread_id);

struct Registration {
  HandleValue window;
  std::uint32_t message;
  std::uint32_t thread_id;
  std::int32_t tag;
  std::uint32_t flags;
  std::int32_t screen_width;
};

// Fills the first free slot with the defaults and the registration and makes
// it active. The owner handle, nullopt when all slots are in use.
std::optional<std::uint32_t> RegisterOwner(SharedBlock& block, const Registration& registration,
                                           Notices& notices);

// Frees every used slot whose window `exists` reports gone. Returns the
// registering threads of the freed slots.
struct DroppedOwners {
  std::uint32_t threads[kOwnerSlotCount];
  int count = 0;
};
template <typename WindowExists>
DroppedOwners DropGoneOwners(SharedBlock& block, WindowExists exists);

// Makes `handle` active: posts (16, 0) to the previous active owner and
// (16, 1) to `handle`. No effect when it is already active or names no used
// slot.
void Activate(SharedBlock& block, std::uint32_t handle, Notices& notices);
// When `handle` is active: the next used slot after it (wrapping round)
// becomes active; with none, it stays active.
void PassActivationOn(SharedBlock& block, std::uint32_t handle, Notices& notices);
// Passes activation on when it was active and frees the slot. Returns whether
// any slot is still in use.
bool UnregisterOwner(SharedBlock& block, std::uint32_t handle, Notices& notices);
// The handle of the first used slot with that window (0 = any) and tag
// (0 = any); 0 when none.
std::uint32_t FindOwner(const SharedBlock& block, HandleValue window, std::int32_t tag);

// A notice of `code` to the slot, with the kind the code is delivered with.
Notice PenNotice(const OwnerSlot& slot, std::uint32_t code, std::int32_t lparam);
// Adds a notice of `code` for the active owner; false when there is none.
bool NotifyActiveOwner(SharedBlock& block, std::uint32_t code, std::int32_t lparam, Notices& notices);

template <typename WindowExists>
DroppedOwners DropGoneOwners(SharedBlock& block, WindowExists exists) {
  DroppedOwners dropped;
  for (int i = 0; i < kOwnerSlotCount; ++i) {
    OwnerSlot& slot = block.slots[i];
    if (!InUse(slot) || exists(slot.window)) continue;
    dropped.threads[dropped.count++] = slot.thread_id;
    if (SlotOfHandle(block, block.active_owner) == i) block.active_owner = 0;
    slot = OwnerSlot{};
  }
  return dropped;
}

}  // namespace jebhook
