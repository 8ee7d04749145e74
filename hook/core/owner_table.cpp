#include "hook/core/owner_table.h"

#include "hook/core/pen_timing.h"

namespace jebhook {
namespace {

constexpr std::int32_t kDefaultPenWidth = 2;
constexpr std::uint32_t kDefaultPenColour = 0xFF0000;  // COLORREF: blue
constexpr std::int32_t kDefaultPauseDelayMs = 900;
constexpr std::int32_t kDefaultHoldWindowMs = 500;

}  // namespace

std::uint32_t MakeOwnerHandle(std::uint32_t registered_message, int slot) {
  return (registered_message << 16) | static_cast<std::uint32_t>(slot);
}

std::optional<int> SlotOfHandle(const SharedBlock& block, std::uint32_t handle) {
  if ((handle >> 16) != (block.registered_message & 0xFFFF)) return std::nullopt;
  const std::uint32_t slot = handle & 0xFFFF;
  if (slot >= kOwnerSlotCount) return std::nullopt;
  return static_cast<int>(slot);
}

bool InUse(const OwnerSlot& slot) { return (slot.flags & kSlotInUse) != 0; }

bool AnyOwner(const SharedBlock& block) {
  for (const OwnerSlot& slot : block.slots) {
    if (InUse(slot)) return true;
  }
  return false;
}

OwnerSlot* ActiveSlot(SharedBlock& block) {
  const auto slot = SlotOfHandle(block, block.active_owner);
  if (!slot || !InUse(block.slots[*slot])) return nullptr;
  return &block.slots[*slot];
}

const OwnerSlot* SlotOfThread(const SharedBlock& block, std::uint32_t thread_id) {
  for (const OwnerSlot& slot : block.slots) {
    if (InUse(slot) && slot.thread_id == thread_id) return &slot;
  }
  return nullptr;
}

std::optional<std::uint32_t> RegisterOwner(SharedBlock& block, const Registration& registration,
                                           Notices& notices) {
  for (int i = 0; i < kOwnerSlotCount; ++i) {
    OwnerSlot& slot = block.slots[i];
    if (InUse(slot)) continue;
    const SpeedDefaults speed = SpeedForScreenWidth(registration.screen_width);
    slot = OwnerSlot{
        .flags = kSlotInUse | (registration.flags & kSlotRegistrationFlags),
        .window = registration.window,
        .message = registration.message,
        .thread_id = registration.thread_id,
        .tag = registration.tag,
        .speed_base = speed.base,
        .speed_threshold = speed.threshold,
        .pen_width = kDefaultPenWidth,
        .pen_colour = kDefaultPenColour,
        .pause_delay_ms = kDefaultPauseDelayMs,
        .hold_window_ms = kDefaultHoldWindowMs,
        .mouse_mode = kMouseHoldAndMove,
    };
    const std::uint32_t handle = MakeOwnerHandle(block.registered_message, i);
    Activate(block, handle, notices);
    return handle;
  }
  return std::nullopt;
}

Notice PenNotice(const OwnerSlot& slot, std::uint32_t code, std::int32_t lparam) {
  return Notice{KindOfPenNotify(code), slot.window, slot.message, code, lparam};
}

bool NotifyActiveOwner(SharedBlock& block, std::uint32_t code, std::int32_t lparam, Notices& notices) {
  const OwnerSlot* active = ActiveSlot(block);
  if (active == nullptr) return false;
  notices.Add(PenNotice(*active, code, lparam));
  return true;
}

void Activate(SharedBlock& block, std::uint32_t handle, Notices& notices) {
  const auto slot = SlotOfHandle(block, handle);
  if (!slot || !InUse(block.slots[*slot]) || block.active_owner == handle) return;
  NotifyActiveOwner(block, kPnActivate, 0, notices);
  block.active_owner = handle;
  notices.Add(PenNotice(block.slots[*slot], kPnActivate, 1));
}

void PassActivationOn(SharedBlock& block, std::uint32_t handle, Notices& notices) {
  const auto slot = SlotOfHandle(block, handle);
  if (!slot || block.active_owner != handle) return;
  for (int step = 1; step < kOwnerSlotCount; ++step) {
    const int next = (*slot + step) % kOwnerSlotCount;
    if (InUse(block.slots[next])) {
      Activate(block, MakeOwnerHandle(block.registered_message, next), notices);
      return;
    }
  }
}

bool UnregisterOwner(SharedBlock& block, std::uint32_t handle, Notices& notices) {
  const auto slot = SlotOfHandle(block, handle);
  if (slot && InUse(block.slots[*slot])) {
    PassActivationOn(block, handle, notices);
    if (block.active_owner == handle) block.active_owner = 0;
    block.slots[*slot] = OwnerSlot{};
  }
  return AnyOwner(block);
}

std::uint32_t FindOwner(const SharedBlock& block, HandleValue window, std::int32_t tag) {
  for (int i = 0; i < kOwnerSlotCount; ++i) {
    const OwnerSlot& slot = block.slots[i];
    if (!InUse(slot)) continue;
    if ((window == 0 || slot.window == window) && (tag == 0 || slot.tag == tag)) {
      return MakeOwnerHandle(block.registered_message, i);
    }
  }
  return 0;
}

}  // namespace jebhook
