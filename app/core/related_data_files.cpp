#include "app/core/related_data_files.h"

#include "common/recognition_types.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace wrendle::app {

std::string PhraseFileName(int language) {
  if (language == kLanguageTraditionalChinese) return "cchar.txt";
  if (language == kLanguageSimplifiedChinese) return "schar.txt";
  return {};
}

std::string PhoneTableFileName(int language) {
  if (language == kLanguageTraditionalChinese) return "B5Phone.Tab";
  if (language == kLanguageSimplifiedChinese) return "GBPhone.Tab";
  return {};
}

std::string InstalledDataFile(const std::string& file_name) {
  const std::string beside_program = platform::JoinPath(platform::HostProgramDirectory(), file_name);
  return platform::FileExists(beside_program) ? beside_program : file_name;
}

}  // namespace wrendle::app
