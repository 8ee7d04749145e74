#include "app/core/speech_support.h"

#include <fstream>

#include "common/recognition_types.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace wrendle::app {

bool SpeechAvailable(bool library_loaded, bool table_present, int recognizer_language) {
  return library_loaded && (recognizer_language != kLanguageSimplifiedChinese || table_present);
}

SpeechSupport::SpeechSupport()
    : SpeechSupport({platform::HostProgramDirectory(), platform::WindowsDirectory()}) {}

SpeechSupport::SpeechSupport(const std::vector<std::string>& directories) {
  for (const std::string& directory : directories) {
    if (directory.empty()) continue;
    // Nothing is spoken, so only the table's presence counts; a short file
    // is a table too.
    if (std::ifstream(platform::JoinPath(directory, kSpeechTableName), std::ios::binary)) {
      table_present_ = true;
      break;
    }
  }
  for (const std::string& directory : directories) {
    if (directory.empty()) continue;
    auto library = platform::SharedLibrary::Open(platform::JoinPath(directory, kSpeechLibraryName));
    if (!library) continue;
    if (library->Symbol("TALVOC_textOut") && library->Symbol("TALVOC_isStop") &&
        library->Symbol("TALVOC_stop"))
      library_ = std::move(library);
    break;
  }
}

}  // namespace wrendle::app
