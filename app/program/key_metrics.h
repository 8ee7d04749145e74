// The key metrics of the keyboard, symbols and predefined-strings panes,
// from the pane's text metrics.
#pragma once

#include <windows.h>

namespace wrendle::app {

struct KeyMetrics {
  int width;   // 2 x average character width + 6
  int height;  // character height + 4
  int margin;  // average character width / 2

  static KeyMetrics Of(const TEXTMETRICA& text) {
    return {2 * text.tmAveCharWidth + 6, text.tmHeight + 4, text.tmAveCharWidth / 2};
  }
};

}  // namespace wrendle::app
