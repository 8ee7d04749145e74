// Quick version check of an HMM resource file.
#pragma once

// 1 when the file's header carries the version text of the models this
// engine reads (in either byte order), 0 otherwise.
int CheckHMMResourceVersion(const char* path);
