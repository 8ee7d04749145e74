// Fatal-error reporting of the acoustic library.
#pragma once

// Prints "[text]. Exiting." on standard output and returns -1. The library
// never ends the process: every caller hands the failure back to its own
// caller, and set-up and load operations report it as -1.
int SR_Exit(const char* text);

// 0 for a non-null pointer; for null prints a message and returns -1.
int SR_MCheck(const void* pointer);

// The check every per-input operation makes first: true when idx is one of
// count inputs; otherwise prints which operation was refused and returns
// false.
bool SR_CheckInputIndex(int idx, int count, const char* function);
