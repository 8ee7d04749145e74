// The exports of the resource library "zezividudu.dll" as the program
// declares them. LoadStringEx follows the size contract of string_table.h.
#pragma once

#include <windows.h>

#include "platform/calling_convention.h"

extern "C" {

// The module that holds the dialog templates, bitmaps, cursors and icon.
HINSTANCE WRENDLE_STDCALL GetResourceHandle();
// The length of string `id` in `language` with a null buffer; else copies
// at most `size` bytes and a terminating zero and returns the bytes copied.
// 0: the string is missing.
int WRENDLE_STDCALL LoadStringEx(unsigned short language, unsigned int id, char* buffer, int size);
}
