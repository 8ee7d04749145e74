// Resource texts with "%s" places, filled in one pass: a filled-in text is
// never searched again, and no other "%" sequence is read (unlike printf).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace wrendle::app {

// Each "%s" of `format` in turn replaced by the next of `texts`; places
// beyond the texts stay as they are.
std::string FillPlaces(std::string_view format, std::initializer_list<std::string_view> texts);

}  // namespace wrendle::app
