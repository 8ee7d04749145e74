// The writing pad's commands that change only the settings, the pen/mouse
// button's cycle, the command lines of the outside programs that the pad
// starts, and the panes' open flags and places per layout.
#pragma once

#include <optional>
#include <string>

#include "app/core/geometry.h"
#include "app/core/settings.h"

namespace wrendle::app {

enum PadCommand : int {
  kPadWindowMode = 42,
  kPadFuzzyMode = 99,
  kPadSend = 1003,
  kPadKeyboard = 1023,
  kPadSymbols = 1024,
  kPadHalfWidth = 1025,
  kPadFullWidth = 1026,
  kPadSetup = 1027,
  kPadMenu = 1030,
  kPadTraining = 1040,
  kPadSignAndDraw = 1050,
  kPadHomophones = 1053,
  kPadPhrases = 1054,
  kPadRecognizerDialog = 1068,
  kPadPenMouse = 1074,
  kPadAdapting = 1076,
  kPadTrainingEditor = 1077,
  kPadSelectUser = 1079,
  kPadSpeech = 1088,
  kPadAbout = 1089,
  kPadCursive = 1090,
  kPadFullStrokes = 1091,
  kPadCommonChars = 1092,
  kPadDisplayLanguage = 1093,
  kPadReading = 1112,
  kPadStrings = 1113,
  kPadWaitButton = 1119,
  kPadKernelVariant = 1123,
};

// What a settings command asks of the program after the change.
enum class SettingsFollowUp { kNone, kSetRecognitionRange, kRequestCaptureOn };

// Carries out 1025, 1026, 1076, 1119, 1092 and 1074 on the settings;
// nullopt for any other command.
std::optional<SettingsFollowUp> ApplySettingsCommand(int command, Settings& settings);

// The pen/mouse mode after `mode`: 1 -> 2 -> 0 -> 1; a stored mode outside
// 0..2 is taken as 0.
int NextPenMouse(int mode);
// The button's normal and pressed bitmaps for a mode (outside 0..2 as 0).
struct BitmapPair {
  int normal;
  int pressed;
  bool operator==(const BitmapPair&) const = default;
};
BitmapPair PenMouseBitmaps(int mode);

// The kernel-variant switch: bit 0x8 of Range, and the question (string
// 1128 when the bit is set, else 1127).
inline constexpr int kRangeKernelVariant = 0x8;
unsigned KernelVariantQuestion(const Settings& settings);
void ToggleKernelVariant(Settings& settings);

// 1093: the display language becomes the recognizer language when it is not
// Chinese, else 0.
int ToggledDisplayLanguage(const Settings& settings);

// Command lines of the outside programs.
inline constexpr char kSignAndDrawProgram[] = "Markwell.exe";
inline constexpr char kTrainingEditorCommandLine[] = "Tuvessa.exe wrendle.ini";
inline constexpr char kTrainingEditorProfile[] = "wrendle.ini";
inline constexpr unsigned kTrainingEditorCreationFlags = 0x800;
inline constexpr char kKernelVariantProgram[] = "vurevaduzi.exe";
std::string ReadingCommandLine(const Settings& settings);

// The panes' table of the layout in force.
PanePlacement* PaneTable(Settings& settings);
// Stores a pane's state in the table of the layout in force: its open flag,
// and its top-left corner when it is open.
void StorePaneState(Settings& settings, int index, bool open, Point top_left);
// The place stored for a pane in the table of the layout in force; the
// origin for an index outside 0..4.
Point PanePosition(const Settings& settings, int index);

}  // namespace wrendle::app
