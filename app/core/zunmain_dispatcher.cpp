#include "app/core/zunmain_dispatcher.h"

#include "dispatcher/zunmain_api.h"

namespace wrendle::app {

int ZunmainDispatcher::Segment(const StrokeEntry* strokes, std::int32_t* ends, int max_cells) {
  return ZUNSegment(strokes, ends, max_cells);
}

int ZunmainDispatcher::Recognize(const StrokeEntry* strokes, std::uint16_t* candidates, int learn_code) {
  return ZUNRecognition(strokes, candidates, learn_code);
}

int ZunmainDispatcher::GetCutSetting() { return ZUNGetCutSetting(); }

int ZunmainDispatcher::CutSetting(int cut_setting) { return ZUNCutSetting(cut_setting); }

void ZunmainDispatcher::SetPrevCharacter(int code) { ZUNSetPrevCharacter(code); }

}  // namespace wrendle::app
