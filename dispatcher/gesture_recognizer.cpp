#include "dispatcher/gesture_recognizer.h"

#include "common/recognition_types.h"

namespace wrendle {

int CGestureRecognizer::Init() {
  library_ = platform::SharedLibrary::Open("tarnig.dll");
  if (!library_) return 0;
  gesture_ = library_->Entry<abi::ZUNGestureFn>("ZUNGesture");
  return gesture_ != nullptr ? 1 : 0;
}

int CGestureRecognizer::Recognize(const CellStrokes& strokes, std::uint16_t*, int) {
  if (gesture_ == nullptr || (state_.range_flags & kRangeNoGestures) != 0) return 0;
  return gesture_(strokes.list, state_.range_flags);
}

}  // namespace wrendle
