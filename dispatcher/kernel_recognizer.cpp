#include "dispatcher/kernel_recognizer.h"

#include "common/recognition_types.h"
#include "dispatcher/gesture_mapping.h"

namespace wrendle {

CKernelRecognizer::~CKernelRecognizer() {
  if (free_ != nullptr) free_();
}

int CKernelRecognizer::Init() {
  library_ = platform::SharedLibrary::Open(module_name_);
  if (!library_) return 0;
  init_ = library_->Entry<abi::ZUNInitRecognitionFn>("ZUNInitRecognition");
  free_ = library_->Entry<abi::ZUNFreeRecognitionFn>("ZUNFreeRecognition");
  recognize_ = library_->Entry<abi::ZUNRecognitionFn>("ZUNRecognition");
  set_range_ = library_->Entry<abi::ZUNSetRangeFn>("ZUNSetRange");
  attach_learn_ = library_->Entry<abi::ZUNAttachLearnFn>("ZUNAttachLearn");
  if (init_ == nullptr || free_ == nullptr || recognize_ == nullptr || set_range_ == nullptr ||
      attach_learn_ == nullptr) {
    // Nothing was initialised, so nothing may be freed.
    free_ = nullptr;
    return 0;
  }
  if (init_() != 0) return 1;
  // The kernel built no recognizer: there is nothing to free either.
  free_ = nullptr;
  return 0;
}

int CKernelRecognizer::SetRange(int range_flags) {
  const int flags = range_flags & ~kRangeBig5Extra;
  state_.range_flags = flags;
  if (set_range_ != nullptr) set_range_(flags);
  return flags;
}

int CKernelRecognizer::AttachLearn(const char* features, const char* segments, const char* ink,
                                   const char* fourth) {
  return attach_learn_ != nullptr ? attach_learn_(features, segments, ink, fourth) : 0;
}

int CKernelRecognizer::Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) {
  if (learn_code == 0) {
    const int gesture = gestures_.Recognize(strokes, candidates, 0);
    if (gesture != 0) return MapGesture(gesture, LanguageId(), candidates);
  }
  return recognize_ != nullptr ? recognize_(strokes.list, candidates, learn_code) : 0;
}

int CSimplifiedKernelRecognizer::LanguageId() const { return kLanguageSimplifiedChinese; }
int CTraditionalKernelRecognizer::LanguageId() const { return kLanguageTraditionalChinese; }

std::unique_ptr<CKernelRecognizer> MakeKernelRecognizer(int language, DispatcherState& state,
                                                        CGestureRecognizer& gestures) {
  if (language == kLanguageSimplifiedChinese)
    return std::make_unique<CSimplifiedKernelRecognizer>(state, gestures);
  if (language == kLanguageTraditionalChinese) {
    return std::make_unique<CTraditionalKernelRecognizer>(state, gestures);
  }
  return nullptr;
}

}  // namespace wrendle
