// Delivery of the notices an operation on the shared block collected.
#pragma once

#include "hook/core/notices.h"

namespace jebhook::win32 {

// Call with the mutex released.
void Deliver(const Notices& notices);

}  // namespace jebhook::win32
