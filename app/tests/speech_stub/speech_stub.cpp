// Stand-in for the outside text-to-speech library: its three entry points,
// or with SPEECH_STUB_PARTIAL only two of them. Nothing is ever called.
#include "platform/calling_convention.h"

extern "C" WRENDLE_EXPORT int TALVOC_textOut(const char*) { return 0; }
extern "C" WRENDLE_EXPORT int TALVOC_isStop() { return 1; }
#ifndef SPEECH_STUB_PARTIAL
extern "C" WRENDLE_EXPORT int TALVOC_stop() { return 0; }
#endif
