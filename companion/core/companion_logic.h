// What the companion decides, apart from the windows it decides it for:
// its menu, the mode commands, its command line and its menu texts.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace companion {

// Commands of the menu (and of the string table: each item's text has the
// command's id).
inline constexpr unsigned kWritePadMode = 102;
inline constexpr unsigned kFullScreenMode = 103;
inline constexpr unsigned kInkpost = 104;
inline constexpr unsigned kMarkwell = 105;
inline constexpr unsigned kReading = 106;
inline constexpr unsigned kExit = 107;

// lParam of WM_SHOWPAD for the two modes.
inline constexpr long kWritePadLayout = 100;
inline constexpr long kFullScreenLayout = 200;

// Menu texts are held in buffers of this many bytes, end byte included.
inline constexpr std::size_t kMenuTextBuffer = 32;

// The companion's program-wide state.
struct CompanionState {
  int pad_state = 1;  // 1 while the pad is shown, 0 after it was minimised
  int last_mode = 0;  // 0 write pad, 1 full screen
  bool reader_present = false;
};

struct MenuEntry {
  unsigned id = 0;
  bool checked = false;
  bool greyed = false;
};

// The items of the icon's menu, top to bottom: the mode items (checked when
// the pad state is 1, greyed when 0, absent otherwise), Inkpost, Reading
// when its program is present, Exit.
std::vector<MenuEntry> CompanionMenu(const CompanionState& state);

// The pen-input program's main window can only be minimised while it runs:
// without that window the pad state is 1 again, so that a program that ended
// minimised can still be started from the menu.
void NoteMainWindow(CompanionState& state, bool main_window_exists);

struct ModeAction {
  enum Kind { kNothing, kShowPad, kStartProgram } kind = kNothing;
  long layout = 0;  // for kShowPad
};

// Command 102 or 103: remembers the mode and says what to do.
ModeAction ChooseMode(CompanionState& state, unsigned command, bool main_window_exists);

// The command that WM_RESENDPADMODE repeats.
unsigned ResentModeCommand(const CompanionState& state);

// "/Removed" in any case, blanks around it ignored.
bool IsRemovedCommand(std::string_view command_line);

// The text as it fits a buffer of `buffer` bytes with its end byte, cut
// before a character that would not fit whole (a lead byte and its trail
// byte stay together).
std::string FitMenuText(std::string_view text, std::size_t buffer,
                        const std::function<bool(char)>& is_lead_byte);

}  // namespace companion
