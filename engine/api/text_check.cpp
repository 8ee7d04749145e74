#include "engine/api/text_check.h"

#include <cstring>

namespace vok::api {

VokStatus CheckDoubleByteText(const char* text, std::size_t limit) {
  if (text == nullptr) return kVokBadArgument;
  const std::size_t length = std::strlen(text);
  if (limit != kNoTextLimit && length > limit) return kVokBadText;
  for (std::size_t i = 0; i < length; i += 2) {
    if (static_cast<unsigned char>(text[i]) < 0x80 || i + 1 >= length) return kVokBadText;
  }
  return kVokOk;
}

}  // namespace vok::api
