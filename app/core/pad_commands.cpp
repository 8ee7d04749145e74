#include "app/core/pad_commands.h"

#include <array>

namespace wrendle::app {
namespace {

constexpr std::array<BitmapPair, 3> kPenMouseBitmaps = {{{181, 182}, {183, 184}, {179, 180}}};

int KnownPenMouse(int mode) { return mode >= 0 && mode <= 2 ? mode : 0; }

const PanePlacement* PaneTableOf(const Settings& settings) {
  return settings.layout != 0 ? settings.full_screen_panes : settings.pad_panes;
}

}  // namespace

std::optional<SettingsFollowUp> ApplySettingsCommand(int command, Settings& settings) {
  switch (command) {
    case kPadHalfWidth:
      settings.full_shape = false;
      return SettingsFollowUp::kNone;
    case kPadFullWidth:
      settings.full_shape = true;
      return SettingsFollowUp::kNone;
    case kPadAdapting:
      settings.auto_learn = !settings.auto_learn;
      return SettingsFollowUp::kNone;
    case kPadWaitButton:
      settings.wait_recognize = !settings.wait_recognize;
      return SettingsFollowUp::kNone;
    case kPadCommonChars:
      settings.comm_char = settings.comm_char != 0 ? 0 : 1;
      return SettingsFollowUp::kSetRecognitionRange;
    case kPadPenMouse:
      settings.pen_mouse = NextPenMouse(settings.pen_mouse);
      return SettingsFollowUp::kRequestCaptureOn;
    default:
      return std::nullopt;
  }
}

int NextPenMouse(int mode) { return (KnownPenMouse(mode) + 1) % 3; }

BitmapPair PenMouseBitmaps(int mode) { return kPenMouseBitmaps[KnownPenMouse(mode)]; }

unsigned KernelVariantQuestion(const Settings& settings) {
  return (settings.range & kRangeKernelVariant) != 0 ? 1128 : 1127;
}

void ToggleKernelVariant(Settings& settings) { settings.range ^= kRangeKernelVariant; }

int ToggledDisplayLanguage(const Settings& settings) {
  return HasKernel(settings.display_language) ? 0 : settings.recognizer_language;
}

std::string ReadingCommandLine(const Settings& settings) {
  return "RiruDarave.exe " + std::to_string(settings.display_language) + "," +
         std::to_string(settings.recognizer_language);
}

PanePlacement* PaneTable(Settings& settings) {
  return settings.layout != 0 ? settings.full_screen_panes : settings.pad_panes;
}

void StorePaneState(Settings& settings, int index, bool open, Point top_left) {
  if (index < 0 || index >= kPaneCount) return;
  PanePlacement& pane = PaneTable(settings)[index];
  pane.open = open;
  if (open) {
    pane.x = top_left.x;
    pane.y = top_left.y;
  }
}

Point PanePosition(const Settings& settings, int index) {
  if (index < 0 || index >= kPaneCount) return {};
  const PanePlacement& pane = PaneTableOf(settings)[index];
  return {pane.x, pane.y};
}

}  // namespace wrendle::app
