// The gesture module "tarnig.dll", consulted before character recognition.
#pragma once

#include <memory>

#include "common/recognizer_abi.h"
#include "dispatcher/char_recognizer.h"
#include "platform/shared_library.h"

namespace wrendle {

class CGestureRecognizer final : public CCharRecognizer {
 public:
  using CCharRecognizer::CCharRecognizer;

  // 1 when the module loads and has its entry.
  int Init() override;
  // The module's GestureCode, or 0 when it is missing or the range forbids
  // gestures.
  int Recognize(const CellStrokes& strokes, std::uint16_t* candidates, int learn_code) override;

 private:
  std::unique_ptr<platform::SharedLibrary> library_;
  abi::ZUNGestureFn gesture_ = nullptr;
};

}  // namespace wrendle
