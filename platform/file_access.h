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

// Writes the bytes to a new file beside `path` and then puts it in place of
// `path`, so a failure leaves the old file as it was.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Appends to the end of the file, creating it when missing. On a short write
// the file is cut back to its old length.
bool AppendToFile(const std::string& path, std::span<const std::uint8_t> bytes);

// True when the file is gone afterwards (also when it never existed).
bool RemoveFile(const std::string& path);

}  // namespace platform
