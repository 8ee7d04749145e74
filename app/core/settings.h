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

struct Settings {
  int system_language = kNoSystemLanguage;
  int recognizer_language = kLanguageSimplifiedChinese;  // [CodePage] Recognizer

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
