// A module for the loader tests: one entry bound by name.
#include "platform/calling_convention.h"

extern "C" WRENDLE_EXPORT int WRENDLE_STDCALL ProbeValue(int x) { return x * 2 + 1; }
