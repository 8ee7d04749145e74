// What the main frame and the writing pad ask of the application object,
// and the popup panes that the frame owns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace wrendle::app {

class FrameServices {
 public:
  virtual ~FrameServices() = default;
  // String `id` of the resource library; language -1 is the display language.
  virtual std::optional<std::string> LoadResString(unsigned id, int language) const = 0;
  // Switches recognizer language and mode; non-zero when the new pair is in force.
  virtual int ChangeRecognizer(int language, int mode) = 0;
  virtual void SetRecognitionRange() = 0;
  // The recognizer takes the range and gesture settings in force (after the
  // setup dialog).
  virtual void ApplyRecognizerSettings() = 0;
  // Reloads the application name and the frame's texts in the display language.
  virtual void ApplyDisplayLanguage() = 0;
  // The Select User dialog: in start-up mode it attaches the current user's
  // learning files without asking; interactive it lets the user choose.
  virtual void SelectUser(bool interactive) = 0;
  // The name the Select User dialog chooses in start-up mode.
  virtual std::string StartupUserName() = 0;
};

// A popup pane of the main frame (associated phrases, keyboard, symbols,
// homophones, predefined strings).
class FramePane {
 public:
  virtual ~FramePane() = default;
  virtual HWND hwnd() const = 0;
  // Shows what belongs to `key` (a character code; 0 for none).
  virtual void Refresh(std::uint16_t key) = 0;
  virtual void UpdateLanguage() = 0;
  virtual void Reload() = 0;
};

class PaneHost;

// Makes the panes by index, each calling the frame back through `host`; an
// index it does not provide has no pane, and its stored flag and place are
// kept as they are.
class PaneFactory {
 public:
  virtual ~PaneFactory() = default;
  virtual bool Provides(int index) const = 0;
  // Null when the pane could not be created.
  virtual std::unique_ptr<FramePane> Create(int index, PaneHost& host) = 0;
};

}  // namespace wrendle::app
