// The recognition dispatcher of the program: the exports of "Zunmain".
#pragma once

#include "app/core/recognition_dispatcher.h"

namespace wrendle::app {

class ZunmainDispatcher final : public RecognitionDispatcher {
 public:
  int Segment(const StrokeEntry* strokes, std::int32_t* ends, int max_cells) override;
  int Recognize(const StrokeEntry* strokes, std::uint16_t* candidates, int learn_code) override;
  int GetCutSetting() override;
  int CutSetting(int cut_setting) override;
  void SetPrevCharacter(int code) override;
};

}  // namespace wrendle::app
