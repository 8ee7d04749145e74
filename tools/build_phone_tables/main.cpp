// build_phone_tables: the homophone table of a code page ("GBPhone.Tab"
// GB2312, "B5Phone.Tab" Big5) from the character database's readings,
// ordered by the word list's counts (jieba for GB2312, the essay list for
// Big5).
#include <iostream>
#include <string>
#include <string_view>

#include "app/core/related_data_writers.h"
#include "platform/file_access.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_phone_tables/phone_table_source.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: build_phone_tables --code-page gb2312|big5 --readings Unihan_Readings.txt[.bz2]\n"
               "                          --frequencies WORD-LIST --out FILE\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string code_page_name, readings_path, frequencies, out;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    if (flag == "--code-page") {
      code_page_name = argv[i + 1];
    } else if (flag == "--readings") {
      readings_path = argv[i + 1];
    } else if (flag == "--frequencies") {
      frequencies = argv[i + 1];
    } else if (flag == "--out") {
      out = argv[i + 1];
    } else {
      PrintUsage();
      return 2;
    }
  }
  const bool gb = code_page_name == "gb2312";
  if ((!gb && code_page_name != "big5") || readings_path.empty() || frequencies.empty() || out.empty() ||
      argc % 2 == 0) {
    PrintUsage();
    return 2;
  }
  const auto readings_text = build_language_data::ReadSourceText(readings_path);
  const auto words_text = build_language_data::ReadSourceText(frequencies);
  if (!readings_text || !words_text) {
    std::cerr << "build_phone_tables: cannot read the sources\n";
    return 1;
  }
  const build_language_data::CodePageText code_page(gb ? "GB2312" : "BIG5");
  if (!code_page.valid()) {
    std::cerr << "build_phone_tables: no code-page conversion\n";
    return 1;
  }
  build_phone_tables::BuildSummary summary;
  const auto contents = build_phone_tables::BuildPhoneTable(
      build_phone_tables::ParseUnihanReadings(*readings_text),
      build_phone_tables::CharacterFrequencies(build_language_data::ReadWordCounts(*words_text)), code_page,
      gb ? 4000 : 2000, &summary);
  const auto bytes = wrendle::app::WritePhoneTable(contents);
  if (!platform::WriteWholeFile(out, bytes)) {
    std::cerr << "build_phone_tables: cannot write " << out << "\n";
    return 1;
  }
  std::cout << out << ": " << summary.characters << " characters, " << contents.homophones.size()
            << " syllables, " << bytes.size() << " bytes (" << summary.readings_left
            << " readings without fields left out)\n";
  return 0;
}
