// Calling convention and visibility of the functions that modules export.
#pragma once

#if defined(_WIN32)
// Exports are listed in each module's .def file.
#define WRENDLE_STDCALL __stdcall
#define WRENDLE_EXPORT
#else
#define WRENDLE_STDCALL
#define WRENDLE_EXPORT __attribute__((visibility("default")))
#endif
