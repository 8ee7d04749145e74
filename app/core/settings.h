// The program-wide settings that the recognition driver and the text output
// read. The application object loads them from "WRENDLE.INI" at start-up and
// writes them back at exit; dialogs and commands change them in between.
#pragma once

#include "common/recognition_types.h"

namespace wrendle::app {

// System language code: the kernel language of the system's default
// language, or 0 on a system of any other language.
inline constexpr int kNoSystemLanguage = 0;

// The system language code for a Windows language id (GetSystemDefaultLangID):
// 4000 for 2052, 2000 for any other Chinese id, 1000 Japanese, 3000 Korean,
// 0 otherwise.
int SystemLanguageCode(unsigned language_id);

// True for the two languages whose kernels are deliverables.
constexpr bool HasKernel(int language) {
  return language == kLanguageTraditionalChinese || language == kLanguageSimplifiedChinese;
}

// Panes of the main frame by index.
inline constexpr int kPanePhrases = 0;
inline constexpr int kPaneKeyboard = 1;
inline constexpr int kPaneSymbols = 2;
inline constexpr int kPaneHomophones = 3;
inline constexpr int kPaneStrings = 4;
inline constexpr int kPaneCount = 5;

// Open flag and top-left corner of one pane in one layout.
struct PanePlacement {
  bool open = false;
  int x = 0;
  int y = 0;
};

struct Settings {
  int system_language = kNoSystemLanguage;
  int display_language = kNoSystemLanguage;              // [CodePage] Display
  int recognizer_language = kLanguageSimplifiedChinese;  // [CodePage] Recognizer

  int range = 9;                  // [Kernel] Range, RangeFlags with bit 0x8000
  int use_gesture = 1;            // [Kernel] UseGesture
  int char_pitch = 50;            // [Kernel] CharPitch, the segmentation setting
  int cursive = 2;                // [Kernel] Cursive, RecognizerMode 0..2
  int comm_char = 1;              // [Kernel] CommChar: common characters only
  int layout = 1;                 // [Layout] Layout: 0 write-pad, else full-screen
  int speech = 1;                 // [Voice] Speech
  int pen_width = 5;              // [Pen] Width in pixels
  unsigned pen_color = 0x0000FF;  // [Pen] Red | Green << 8 | Blue << 16
  int delay = 100;                // [Pen] Delay, 10 ms units
  int sensitive = 120;            // [Pen] Sensitive, 10 ms units
  int pen_mouse = 1;              // [Pen] PenMouse 0..2
  int is_pressure = 0;            // [Pen] IsPressure
  // [Layout] Px, Py, Sx, Sy: the main frame's window rectangle; Mx, My: the pad.
  int px = 0, py = 0, sx = 0, sy = 0, mx = 0, my = 0;
  PanePlacement full_screen_panes[kPaneCount];  // [Layout] KB_i, xKB_i, yKB_i
  PanePlacement pad_panes[kPaneCount];          // [Layout] PadKB_i, PadxKB_i, PadyKB_i
  int symbol_group = 0;                         // [Layout] SymGrp
  bool inking = false;                          // [Char] Inking, never read
  bool wait_recognize = false;                  // [Char] WaitRecognize

  bool insert = false;        // [Char] Insert: new cells are inserted instead of overwriting
  bool full_shape = false;    // [Char] FullShape: single-byte characters become full width
  bool auto_learn = true;     // [Learn] Auto: corrected cells are learned
  bool spacing = false;       // [Char] Spacing: spaces after each sent character
  bool is_dbcs_char = true;   // [Char] IsDBCSChar: one Backspace erases a double-byte character
  bool use_ime = false;       // [Char] UseIME: text goes through the composition string
  bool post_unicode = false;  // [Input Method] PostUnicode: Unicode text to known target kinds
};

// Windows ANSI code page of a recognizer language, for the conversion of
// gathered text to Unicode: 950 Big5, 936 GB2312, 1252 otherwise.
int CodePageOf(int recognizer_language);

}  // namespace wrendle::app
