#include "app/core/format_text.h"

namespace wrendle::app {

std::string FillPlaces(std::string_view format, std::initializer_list<std::string_view> texts) {
  std::string out;
  auto next = texts.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    if (next != texts.end() && format.compare(i, 2, "%s") == 0) {
      out.append(*next++);
      i += 2;
    } else {
      out.push_back(format[i++]);
    }
  }
  return out;
}

}  // namespace wrendle::app
