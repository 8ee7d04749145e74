// Whether the pad offers its Speech command: the outside text-to-speech
// library "TALV32SC.DLL" (entries TALVOC_textOut, TALVOC_isStop and
// TALVOC_stop, never called) and, for GB2312, the code table "GBB5.TAB".
// Both are looked for by full path in the program's folder and then the
// Windows directory; the current folder is never searched, since loading a
// library runs its code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/shared_library.h"

namespace wrendle::app {

inline constexpr std::size_t kSpeechTableSize = 13526;
inline constexpr char kSpeechLibraryName[] = "TALV32SC.DLL";
inline constexpr char kSpeechTableName[] = "GBB5.TAB";

// Available when the library is loaded and the language is not 4000 or the
// table exists.
bool SpeechAvailable(bool library_loaded, bool table_present, int recognizer_language);

class SpeechSupport {
 public:
  // Searches `directories` in order (the program's folder and the Windows
  // directory in the program).
  explicit SpeechSupport(const std::vector<std::string>& directories);
  SpeechSupport();

  bool library_loaded() const { return library_ != nullptr; }
  bool table_present() const { return table_present_; }
  bool Available(int recognizer_language) const {
    return SpeechAvailable(library_loaded(), table_present_, recognizer_language);
  }

 private:
  std::unique_ptr<platform::SharedLibrary> library_;
  bool table_present_ = false;
};

}  // namespace wrendle::app
