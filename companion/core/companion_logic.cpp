#include "companion/core/companion_logic.h"

#include <cctype>

namespace companion {

std::vector<MenuEntry> CompanionMenu(const CompanionState& state) {
  std::vector<MenuEntry> items;
  if (state.pad_state == 1 || state.pad_state == 0) {
    const bool greyed = state.pad_state == 0;
    items.push_back({kWritePadMode, !greyed, greyed});
    items.push_back({kFullScreenMode, !greyed, greyed});
  }
  items.push_back({kInkpost, true, false});
  if (state.reader_present) items.push_back({kReading, true, false});
  items.push_back({kExit, true, false});
  return items;
}

void NoteMainWindow(CompanionState& state, bool main_window_exists) {
  if (!main_window_exists) state.pad_state = 1;
}

ModeAction ChooseMode(CompanionState& state, unsigned command, bool main_window_exists) {
  state.last_mode = command == kFullScreenMode ? 1 : 0;
  NoteMainWindow(state, main_window_exists);
  if (!main_window_exists) return {ModeAction::kStartProgram, 0};
  if (state.pad_state != 1) return {};
  return {ModeAction::kShowPad, command == kFullScreenMode ? kFullScreenLayout : kWritePadLayout};
}

unsigned ResentModeCommand(const CompanionState& state) {
  return state.last_mode == 1 ? kFullScreenMode : kWritePadMode;
}

bool IsRemovedCommand(std::string_view command_line) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!command_line.empty() && blank(command_line.front())) command_line.remove_prefix(1);
  while (!command_line.empty() && blank(command_line.back())) command_line.remove_suffix(1);
  constexpr std::string_view kRemoved = "/removed";
  if (command_line.size() != kRemoved.size()) return false;
  for (std::size_t i = 0; i < kRemoved.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(command_line[i])) != kRemoved[i]) return false;
  }
  return true;
}

std::string FitMenuText(std::string_view text, std::size_t buffer,
                        const std::function<bool(char)>& is_lead_byte) {
  if (buffer == 0) return {};
  const std::size_t room = buffer - 1;
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = is_lead_byte(text[end]) && end + 1 < text.size() ? 2 : 1;
    if (end + width > room) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

}  // namespace companion
