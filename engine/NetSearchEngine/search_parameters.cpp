#include "engine/NetSearchEngine/search_parameters.h"

#include "engine/core/log_score.h"
#include "engine/core/resources.h"

namespace vok {

void SearchParameters::ReadKept(const Resources& resources, std::span<const Key> keys) {
  for (const Key& key : keys) {
    int value = 0;
    if (resources.GetInt("Search", key.name, &value) == 0) values[key.index] = Saturate16(value);
  }
}

void SearchParameters::ReadWithDefault(const Resources& resources, const char* key, Index index,
                                       int16_t fallback) {
  int value = fallback;
  resources.GetInt("Search", key, &value);
  values[index] = Saturate16(value);
}

}  // namespace vok
