// Whole-file access for data and user files: read, write through a
// replacement, append and remove. Paths are the system's own form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// The directory of the running program's executable, without a trailing
// separator. Natively the folder named by WRENDLE_PROGRAM_DIR when it is set.
std::string HostProgramDirectory();

bool FileExists(const std::string& path);

// Every byte of the file; nullopt when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

// Every file a user owns is written the same way: the new contents go to a
// file of their own beside the old one, and only a complete new file takes the
// old one's place, in one step. So no failure, at any byte, loses both.

// Writes every byte to `new_path` (created or emptied) and flushes it to the
// disk. On any failure the partial file is removed and false returned.
bool WriteNewFile(const std::string& new_path, std::span<const std::uint8_t> bytes);

// Puts the complete file `new_path` in place of `path` in one step. On
// failure `path` is as it was and `new_path` is removed.
bool ReplaceWithNewFile(const std::string& new_path, const std::string& path);

// WriteNewFile to `new_path`, then ReplaceWithNewFile.
bool WriteThroughNewFile(const std::string& path, const std::string& new_path,
                         std::span<const std::uint8_t> bytes);

// WriteThroughNewFile with the new file "<path>.new".
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Appends to the end of the file, creating it when missing. On a short write
// the file is cut back to its old length.
bool AppendToFile(const std::string& path, std::span<const std::uint8_t> bytes);

// True when the file is gone afterwards (also when it never existed).
bool RemoveFile(const std::string& path);

}  // namespace platform
