#include "engine/SyllableLatticeEngine/required_option.h"

#include "engine/core/messages.h"
#include "engine/core/resources.h"

namespace vok {

int ReadRequiredInt(const Resources& resources, const char* section, const char* key, int* out) {
  if (resources.GetInt(section, key, out) == 0) return 0;
  ErrorSet(section, -1, "Parameter \"%s\" not set!\n", key);
  return -1;
}

int ReadRequiredFloat(const Resources& resources, const char* section, const char* key, float* out) {
  if (resources.GetFloat(section, key, out) == 0) return 0;
  ErrorSet(section, -1, "Parameter \"%s\" not set!\n", key);
  return -1;
}

void FlushOptionErrors(bool reload) {
  if (!reload) ErrorPrint();
  ErrorClear();
}

}  // namespace vok
