// Reading a file name that a component keeps in a field of fixed size.
#pragma once

#include <optional>
#include <string>

namespace vok {

class Resources;

// Section.Key, or the empty text when it is absent. A name that does not fit
// a field of `field_bytes` (its terminating zero included) is refused with
// "errFileNameTooLong" and gives nothing: cut off, it would open some other
// file.
std::optional<std::string> ReadFileName(const Resources& resources, const char* section, const char* key,
                                        int field_bytes);

}  // namespace vok
