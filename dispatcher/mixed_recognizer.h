// The combined recognizer: the engine for short inputs, the kernel for
// inputs of more strokes than the threshold.
#pragma once

#include <memory>

#include "dispatcher/engine_recognizer.h"
#include "dispatcher/kernel_recognizer.h"

namespace wrendle {

class CMixedRecognizer final : public CCharRecognizer {
 public:
  CMixedRecognizer(DispatcherState& state, std::unique_ptr<CEngineRecognizer> engine,
                   std::unique_ptr<CKernelRecognizer> kernel)
      : CCharRecognizer(state), engine_(std::move(engine)), kernel_(std::move(kernel)) {}

  // Succeeds when either part starts.
  int Init() override { return engine_->Init() | kernel_->Init(); }
  int SetRange(int range_flags) override {
    kernel_->SetRange(range_flags);
    return engine_->SetRange(range_flags);
  }
  int AttachLearn(const char* features, const char* segments, const char* ink, const char* fourth) override {
    return kernel_->AttachLearn(features, segments, ink, fourth);
  }
  int Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) override {
    CCharRecognizer& part = static_cast<int>(strokes.view.stroke_count()) > threshold_
                                ? static_cast<CCharRecognizer&>(*kernel_)
                                : static_cast<CCharRecognizer&>(*engine_);
    return part.Recognize(strokes, candidates, learn_code);
  }
  int LanguageId() const override { return kernel_->LanguageId(); }
  int Mode() const override { return 2; }

  // Returns the old threshold.
  int SetThreshold(int threshold) {
    const int old = threshold_;
    threshold_ = threshold;
    return old;
  }

 private:
  std::unique_ptr<CEngineRecognizer> engine_;
  std::unique_ptr<CKernelRecognizer> kernel_;
  int threshold_ = 3;
};

}  // namespace wrendle
