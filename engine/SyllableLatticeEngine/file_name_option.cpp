#include "engine/SyllableLatticeEngine/file_name_option.h"

#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok {

std::optional<std::string> ReadFileName(const Resources& resources, const char* section, const char* key,
                                        int field_bytes) {
  std::string name;
  if (resources.Get(section, key, &name) != 0) return std::string();
  if (name.size() >= static_cast<std::size_t>(field_bytes)) {
    ErrorSet(key, -1, "errFileNameTooLong");
    return std::nullopt;
  }
  return name;
}

}  // namespace vok
