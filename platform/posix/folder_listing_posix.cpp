#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/folder_listing.h"

namespace platform {

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (const dirent* entry = readdir(directory)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat status {};
    const bool is_folder =
        stat((folder + "/" + entry->d_name).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    entries.push_back({entry->d_name, is_folder});
  }
  closedir(directory);
  return entries;
}

bool PathExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || IsFolder(path); }

}  // namespace platform
