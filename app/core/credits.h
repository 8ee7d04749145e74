// The credits of the recognizer-kernel dialog. Their four lines are kept
// scrambled in the program and shown after a hidden gesture: with Alt held,
// four clicks on the dialog (not on a control) in the order of its quarters
// upper left, upper right, lower right, lower left. Any other click, or a
// click without Alt, starts the sequence again.
#pragma once

#include <array>
#include <string>

namespace wrendle::app {

std::array<std::string, 4> UnscrambleCredits();

enum class DialogQuarter { kUpperLeft, kUpperRight, kLowerRight, kLowerLeft };

DialogQuarter QuarterOf(int x, int y, int width, int height);

class CreditsGesture {
 public:
  // True when this click completes the sequence.
  bool Click(DialogQuarter quarter, bool alt_held);

 private:
  int matched_ = 0;
};

}  // namespace wrendle::app
