#include "hook/core/requests.h"

namespace jebhook {

RequestAction ClassifyRequest(std::uintptr_t request) {
  switch (request) {
    case kRequestRecordFocus:
      return RequestAction::kRecordFocus;
    case 140:
    case 141:
    case 143:
      return RequestAction::kNoEffect;
    case kRequestSetComposition:
      return RequestAction::kSetComposition;
    case kRequestSwitchLayout:
      return RequestAction::kSwitchLayout;
    default:
      return RequestAction::kNotHandled;
  }
}

}  // namespace jebhook
