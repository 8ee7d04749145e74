// What the panes ask of the main frame that owns them. The frame implements
// it; tests put a recording host in its place.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/core/geometry.h"
#include "app/core/settings.h"

namespace wrendle::app {

class CAssocPhraseProvider;

class PaneHost {
 public:
  virtual ~PaneHost() = default;

  // Text for the strip: length 1 from the keyboard, 2 from the symbols,
  // the text's length from the predefined strings.
  virtual void InsertText(const char* text, int length) = 0;
  // The recognition driver's sends of a chosen character.
  virtual void SendKeyCodeAtSelection(std::uint16_t code) = 0;
  virtual void SendKeyCodeAfterSelection(std::uint16_t code) = 0;
  // The writing pad's SendKeyCode; `clear_replace_sent` first clears the
  // driver's replace-sent flag (the keyboard's Tab, Backspace and Enter).
  virtual void PadSendKeyCode(std::uint16_t code, bool clear_replace_sent) = 0;
  // ShowPane (index, 0): the pane's state is stored and the pane destroyed.
  virtual void HidePane(int index) = 0;
  // Where the pane of `index` stands in the layout in force.
  virtual Point GetPanePosition(int index) const = 0;
  // The pad laid out for an empty strip.
  virtual void LayoutPadForEmptyStrip() = 0;
  // OnRecogEvent on the event target (the pad, else the frame); the panes
  // raise 1024 with 22 (mouse capture off) and 23 (on again).
  virtual void RaiseEvent(int code, int a, std::intptr_t b) = 0;
  // The frame's associated-phrase provider; null while there is none.
  virtual CAssocPhraseProvider* AssocPhraseProvider() = 0;
  // The name the Select User dialog chooses in start-up mode.
  virtual std::string StartupUserName() = 0;
  virtual Settings& settings() = 0;
};

}  // namespace wrendle::app
