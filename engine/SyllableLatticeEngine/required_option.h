// Reading an option that a component cannot do without.
#pragma once

namespace vok {

class Resources;

// Section.Key as an int into *out; when absent, *out stays and
// "Parameter \"Key\" not set!\n" is recorded for the section with code -1.
// 0, or -1 when absent.
int ReadRequiredInt(const Resources& resources, const char* section, const char* key, int* out);
// The same for a float.
int ReadRequiredFloat(const Resources& resources, const char* section, const char* key, float* out);

// Reports the recorded errors on a first read (reload false), then clears
// them in every case.
void FlushOptionErrors(bool reload);

}  // namespace vok
