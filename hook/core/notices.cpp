#include "hook/core/notices.h"

namespace jebhook {

NoticeKind KindOfPenNotify(std::uint32_t code) {
  switch (code) {
    case kPnCaptureStart:
    case kPnCaptureEnd:
    case kPnRecognize:
      return NoticeKind::kSendNotify;
    default:
      return NoticeKind::kPost;
  }
}

}  // namespace jebhook
