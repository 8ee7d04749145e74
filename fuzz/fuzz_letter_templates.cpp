// The reader of the letter template file "HELVANE.TPL"; a table it accepts
// also recognizes one fixed letter, so that every value it lets through is
// used as recognition uses it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/stroke_list.h"
#include "shapes/letters/letter_recognizer.h"
#include "shapes/letters/template_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const letters::TemplateFileResult result =
      letters::ReadTemplateFile(std::span<const std::uint8_t>(data, size));
  if (!result.table) return 0;
  static const wrendle::StrokeEntry kLetter[] = {{3, 0}, {10, 0}, {10, 90}, {60, 90},
                                                 {2, 0}, {0, 40}, {50, 45}, {0, 0}};
  const std::optional<wrendle::StrokeListView> view = wrendle::StrokeListView::Parse(kLetter);
  letters::RecognizeLetter(*result.table, *view);
  return 0;
}
