// build_letter_templates: writes the letter recognizer's template file
// "HELVANE.TPL" from the single-stroke SVG fonts of the inkscape package.
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/file_access.h"
#include "shapes/letters/template_file_writer.h"
#include "tools/build_letter_templates/letter_corpus.h"
#include "tools/build_letter_templates/letter_ink.h"
#include "tools/build_letter_templates/template_builder.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: build_letter_templates --fonts SVG-FONT-DIR --out FILE [--variants N] [--jobs N]\n";
}

bool ParseCount(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string fonts_directory;
  std::string out;
  int variants = 150;
  int jobs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view arg = argv[i];
    if (arg == "--fonts") {
      fonts_directory = argv[i + 1];
    } else if (arg == "--out") {
      out = argv[i + 1];
    } else if ((arg == "--variants" && ParseCount(argv[i + 1], variants)) ||
               (arg == "--jobs" && ParseCount(argv[i + 1], jobs))) {
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (argc % 2 == 0 || fonts_directory.empty() || out.empty()) {
    PrintUsage();
    return 2;
  }
  const auto fonts = letter_templates::LoadLetterFonts(fonts_directory);
  if (!fonts) return 1;

  const auto ink = letter_templates::WriteLetters(*fonts, letter_templates::TemplateInkStyle(),
                                                  letter_templates::TemplateSeed, variants);
  const auto samples = letter_templates::SampleFeatures(ink, static_cast<unsigned>(jobs));
  const letters::TemplateFileContent content =
      letter_templates::BuildTemplates(samples, letter_templates::TemplateBuildOptions{});
  const std::vector<std::uint8_t> bytes = letters::WriteTemplateFile(content);
  if (!platform::WriteWholeFile(out, bytes)) {
    std::cerr << "cannot write " << out << "\n";
    return 1;
  }
  int kind1 = 0;
  for (const auto& group : content.groups) {
    for (const auto& record : group) kind1 += record.kind == 1;
  }
  std::cout << out << ": " << samples.size() << " samples of " << ink.size() << ", "
            << content.groups[0].size() + content.groups[1].size() + content.groups[2].size()
            << " templates (" << kind1 << " of kind 1), " << bytes.size() << " bytes\n";
  return 0;
}
