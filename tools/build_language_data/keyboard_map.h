// The keyboard stage: the keyboard map of the data folder ("Keyboard.txt",
// and "Keyboard" in the scrambled binary form of the engine's data folders)
// from the toned syllables of the dialect folders, and in each dialect folder
// the backward pronunciation tree "P2HPron" and the "P2HSystem" and
// "Keyboard" keys of its "Resources".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace build_language_data {

// The key byte of the binary keyboard map.
inline constexpr uint8_t kKeyboardKeyByte = 0x4B;
// The engine reads the text form into a map of this many keys.
inline constexpr int kKeyboardCapacity = 2000;

// Lines of a toned syllable followed by its keys: its letters ("V" for
// u-umlaut, as the syllables spell it) and its letters with the tone digit.
std::string KeyboardMapText(const std::vector<std::string>& syllables);

// The toned syllables of the dialect folders' "Syllable" files (read by the
// engine's reader), sorted; writes the two keyboard map files into the data
// folder and checks them through the engine's readers. Empty, or the reason
// of the failure.
std::string WriteKeyboardMap(const std::vector<std::string>& dialect_folders, const std::string& data_folder);

// "P2HPron" from the folder's "Syllable" and "Pron.txt", and the folder's
// "Resources" with the keyboard system's keys (absolute paths; other keys
// of an existing file stay). Empty, or the reason of the failure.
std::string WriteKeyboardKeys(const std::string& dialect_folder, const std::string& data_folder);

}  // namespace build_language_data
