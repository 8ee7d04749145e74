// The entries of one folder, without "." and "..", and the folder tests the
// engine's data layout needs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
  std::string name;
  bool is_folder = false;
};

// Nullopt when the folder can't be listed. Names are byte strings in the
// system's code page.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// A file or a folder of that path.
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// True when the folder exists afterwards.
bool MakeFolder(const std::string& path);

}  // namespace platform
