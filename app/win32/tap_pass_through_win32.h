// A tap that recognized to nothing becomes a click on the window under it.
#pragma once

#include "app/core/recognition_driver.h"

namespace wrendle::app {

class Win32TapPassThrough final : public TapPassThrough {
 public:
  // Posts WM_MOUSEMOVE, WM_LBUTTONDOWN and WM_LBUTTONUP (wParam 0) to the
  // child window under the point, in its client coordinates.
  void PassTap(StrokeEntry screen_point) override;
};

}  // namespace wrendle::app
