// Facts about the machine that the portable code asks the system for.
#pragma once

#include <string>

namespace platform {

struct ScreenSize {
  int width;
  int height;
};

// The primary screen in pixels. Natively a fixed 1024 x 768 screen.
ScreenSize PrimaryScreenSize();

// The Windows directory, where learned dictionaries and profile files without
// a path live. Natively the folder named by WRENDLE_WINDOWS_DIR, else the
// current folder.
std::string WindowsDirectory();

// Joins a directory and a file name with the system's separator.
std::string JoinPath(const std::string& directory, const std::string& file_name);

}  // namespace platform
