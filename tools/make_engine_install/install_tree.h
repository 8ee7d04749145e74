// The engine's installation tree: "Code", "Data/<dialect>" made of the data
// folders the generators wrote, the keyboard map "Data/Keyboard", and
// "Users/<name>" with each user's profile
// "enroll" (an utterance set without utterances, written by the engine's own
// set writer) and preferences "Prefs"; beside it "InstallPath.reg", the
// registry value that points the engine at the tree, for regedit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace make_engine_install {

struct DialectSource {
  std::string dialect;  // "China", "Hongkong", ...
  std::string folder;   // a generator's output folder
};

struct InstallUser {
  std::string name;
  std::uint32_t dialect;  // 0x10, 0x200, ...
};

// The dispatcher's users: "ChinaMale" (0x10) and "HongkongMale" (0x200).
std::vector<InstallUser> DefaultUsers();

struct InstallOptions {
  std::string out;
  std::vector<DialectSource> sources;  // several may fill one dialect
  std::string keyboard_map;            // the binary map, copied as "Data/Keyboard" when given
  std::vector<InstallUser> users = DefaultUsers();
  std::string user_speech;   // copied as each user's "Speech" when given
  std::string windows_path;  // the tree as Windows names it; default "Z:" and the path
};

// Empty, or the reason of the failure.
std::string MakeInstallTree(const InstallOptions& options);

// "REGEDIT4" text with "InstallPath" under the machine root's
// "Software\TVRN\VOK-P".
std::string InstallPathRegistryText(const std::string& windows_path);

}  // namespace make_engine_install
