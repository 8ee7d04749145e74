// The installed data files of the related-character providers and where the
// program finds them.
#pragma once

#include <string>

namespace wrendle::app {

// "cchar.txt" for 2000, "schar.txt" for 4000; empty for other languages.
std::string PhraseFileName(int language);
// "B5Phone.Tab" for 2000, "GBPhone.Tab" for 4000; empty for other languages.
std::string PhoneTableFileName(int language);

// A data file installed beside the program: the file of that name in the
// program's folder when it is there, else the bare name (the current folder).
std::string InstalledDataFile(const std::string& file_name);

}  // namespace wrendle::app
