// What the text-output tests and their target program agree on.
#pragma once

#include <windows.h>

namespace target_protocol {

inline constexpr wchar_t kClassName[] = L"WrendleTestTarget";
inline constexpr char kProgram[] = "wrendle_test_target.exe";

inline constexpr int kEditId = 101;
inline constexpr int kRichId = 102;
inline constexpr int kButtonId = 103;
inline constexpr int kLogId = 104;  // hidden; its title is the log, one line per input

// Sent to the main window: wParam a control id to bring to the foreground
// and focus; returns non-zero when it has the focus.
inline constexpr UINT kFocusMessage = WM_APP + 1;
// Sent to the main window: empties both text controls and the log.
inline constexpr UINT kResetMessage = WM_APP + 2;
// Sent to the main window: wParam 1 opens the clipboard, puts the text
// "stale" on it and keeps it open; 0 closes it again.
inline constexpr UINT kHoldClipboardMessage = WM_APP + 3;

}  // namespace target_protocol
