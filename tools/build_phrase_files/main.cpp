// build_phrase_files: the associated-phrase file of a code page ("schar.txt"
// GB2312 from jieba's word list, "cchar.txt" Big5 from the essay list).
#include <iostream>
#include <string>
#include <string_view>

#include "app/core/related_data_writers.h"
#include "platform/file_access.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_phrase_files/phrase_selection.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: build_phrase_files --code-page gb2312|big5 --frequencies WORD-LIST --out FILE\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string code_page_name, frequencies, out;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    if (flag == "--code-page") {
      code_page_name = argv[i + 1];
    } else if (flag == "--frequencies") {
      frequencies = argv[i + 1];
    } else if (flag == "--out") {
      out = argv[i + 1];
    } else {
      PrintUsage();
      return 2;
    }
  }
  if ((code_page_name != "gb2312" && code_page_name != "big5") || frequencies.empty() || out.empty() ||
      argc % 2 == 0) {
    PrintUsage();
    return 2;
  }
  const auto text = build_language_data::ReadSourceText(frequencies);
  if (!text) {
    std::cerr << "build_phrase_files: cannot read " << frequencies << "\n";
    return 1;
  }
  const build_language_data::CodePageText code_page(code_page_name == "gb2312" ? "GB2312" : "BIG5");
  if (!code_page.valid()) {
    std::cerr << "build_phrase_files: no code-page conversion\n";
    return 1;
  }
  const auto phrases =
      build_phrase_files::SelectPhrases(build_language_data::ReadWordCounts(*text), code_page);
  const std::string file = wrendle::app::WritePhraseFile(phrases);
  if (!platform::WriteWholeFile(out, {reinterpret_cast<const std::uint8_t*>(file.data()), file.size()})) {
    std::cerr << "build_phrase_files: cannot write " << out << "\n";
    return 1;
  }
  std::cout << out << ": " << phrases.size() << " key characters, " << file.size() << " bytes\n";
  return 0;
}
