#include "tools/recognize/base_language.h"

#include <variant>

#include "common/recognition_types.h"
#include "kernel/dbs_header.h"
#include "kernel/kernel_core.h"
#include "platform/file_access.h"
#include "platform/system_info.h"

namespace wrendle {

std::optional<int> BaseDictionaryLanguage(const std::string& directory) {
  const auto bytes = platform::ReadWholeFile(platform::JoinPath(directory, kernel::BaseFileNames().features));
  if (!bytes) return std::nullopt;
  const struct {
    kernel::CodePage code_page;
    int language;
  } kLanguages[] = {{kernel::CodePage::kBig5, kLanguageTraditionalChinese},
                    {kernel::CodePage::kGb2312, kLanguageSimplifiedChinese}};
  for (const auto& candidate : kLanguages) {
    const auto header = kernel::ParseDbsHeader(*bytes, candidate.code_page, kernel::SectionType::kFeatures);
    if (std::holds_alternative<kernel::DbsHeader>(header)) return candidate.language;
  }
  return std::nullopt;
}

}  // namespace wrendle
