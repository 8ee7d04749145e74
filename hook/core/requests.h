// Requests carried by the registered message (wParam), handled by the hooks
// inside the thread that receives the message.
#pragma once

#include <cstdint>

namespace jebhook {

enum Request : std::uint32_t {
  kRequestRecordFocus = 121,     // record the thread's focus window and caret
  kRequestSetComposition = 142,  // set the shared text as composition string
  kRequestSwitchLayout = 144,    // load the input-method layout, then post 142
};

enum class RequestAction {
  kNotHandled,  // passed on to the window
  kNoEffect,    // 140, 141, 143: handled, nothing done
  kRecordFocus,
  kSetComposition,
  kSwitchLayout,
};

RequestAction ClassifyRequest(std::uintptr_t request);

}  // namespace jebhook
