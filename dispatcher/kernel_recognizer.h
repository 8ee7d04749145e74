// A recognizer over the kernel module of one language.
#pragma once

#include <memory>

#include "common/recognizer_abi.h"
#include "dispatcher/char_recognizer.h"
#include "dispatcher/gesture_recognizer.h"
#include "platform/shared_library.h"

namespace wrendle {

class CKernelRecognizer : public CCharRecognizer {
 public:
  // Releases the kernel's recognizer and the module.
  ~CKernelRecognizer() override;

  int Init() override;
  int SetRange(int range_flags) override;
  int AttachLearn(const char* features, const char* segments, const char* ink, const char* fourth) override;
  int Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) override;
  int Mode() const override { return 0; }

 protected:
  CKernelRecognizer(DispatcherState& state, CGestureRecognizer& gestures, const char* module_name)
      : CCharRecognizer(state), gestures_(gestures), module_name_(module_name) {}

 private:
  CGestureRecognizer& gestures_;
  const char* module_name_;
  std::unique_ptr<platform::SharedLibrary> library_;
  abi::ZUNInitRecognitionFn init_ = nullptr;
  abi::ZUNFreeRecognitionFn free_ = nullptr;
  abi::ZUNRecognitionFn recognize_ = nullptr;
  abi::ZUNSetRangeFn set_range_ = nullptr;
  abi::ZUNAttachLearnFn attach_learn_ = nullptr;
};

// "SZUN32.DLL", GB2312.
class CSimplifiedKernelRecognizer final : public CKernelRecognizer {
 public:
  CSimplifiedKernelRecognizer(DispatcherState& state, CGestureRecognizer& gestures)
      : CKernelRecognizer(state, gestures, "SZUN32.DLL") {}
  int LanguageId() const override;
};

// "BZUN32.DLL", Big5.
class CTraditionalKernelRecognizer final : public CKernelRecognizer {
 public:
  CTraditionalKernelRecognizer(DispatcherState& state, CGestureRecognizer& gestures)
      : CKernelRecognizer(state, gestures, "BZUN32.DLL") {}
  int LanguageId() const override;
};

// The kernel recognizer of `language` (2000 or 4000); null for another.
std::unique_ptr<CKernelRecognizer> MakeKernelRecognizer(int language, DispatcherState& state,
                                                        CGestureRecognizer& gestures);

}  // namespace wrendle
