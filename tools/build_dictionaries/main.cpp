// build_dictionaries: writes the base dictionary files "bqothfet.dbs",
// "bqothseg.dbs" and "bqothcla.dbs" of one code page from the stroke data of
// the hanzi-writer-data package.
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "kernel/kernel_core.h"
#include "kernel/segment_list_file.h"
#include "platform/file_access.h"
#include "platform/system_info.h"
#include "tools/build_dictionaries/dictionary_builder.h"
#include "tools/build_dictionaries/ink_synthesis.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: build_dictionaries --data PACKAGE-DIR --code-page gb2312|big5 --out DIR\n"
               "                          [--samples N] [--neat-records N] [--hasty-records N]\n"
               "                          [--lists L] [--big5-first-level-lists L]\n"
               "                          [--big5-second-level-lists L]\n"
               "                          [--clusters K] [--refining-passes N] [--probes N] [--jobs N]\n";
}

bool ParseNumber(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool ParseCount(std::string_view text, int& value) { return ParseNumber(text, value) && value > 0; }

}  // namespace

int main(int argc, char** argv) {
  std::string data;
  std::string out;
  std::string code_page_name;
  build_dictionaries::BuildOptions options;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view arg = argv[i];
    int count = 0;
    if (arg == "--data") {
      data = argv[i + 1];
    } else if (arg == "--out") {
      out = argv[i + 1];
    } else if (arg == "--code-page") {
      code_page_name = argv[i + 1];
    } else if (arg == "--samples" && ParseCount(argv[i + 1], count) &&
               count <= static_cast<int>(build_dictionaries::kMaxDictionaryVariants)) {
      options.samples = count;
    } else if (arg == "--neat-records" && ParseCount(argv[i + 1], count)) {
      options.neat_records = count;
    } else if (arg == "--hasty-records" && ParseCount(argv[i + 1], count)) {
      options.hasty_records = count;
    } else if (arg == "--lists" && ParseCount(argv[i + 1], count) && count <= kernel::kMaxListsPerRecord) {
      options.lists_per_record = count;
    } else if (arg == "--big5-first-level-lists" && ParseCount(argv[i + 1], count) &&
               count <= kernel::kMaxListsPerRecord) {
      options.big5_first_level_lists = count;
    } else if (arg == "--big5-second-level-lists" && ParseCount(argv[i + 1], count) &&
               count <= kernel::kMaxListsPerRecord) {
      options.big5_second_level_lists = count;
    } else if (arg == "--refining-passes" && ParseNumber(argv[i + 1], count) &&
               count <= static_cast<int>(build_dictionaries::kMaxRefiningPasses)) {
      options.refining_passes = count;
    } else if (arg == "--probes" && ParseCount(argv[i + 1], count) &&
               count <= static_cast<int>(build_dictionaries::kMaxProbes)) {
      options.probes = count;
    } else if (arg == "--clusters" && ParseCount(argv[i + 1], count)) {
      options.clusters = static_cast<std::size_t>(count);
    } else if (arg == "--jobs" && ParseCount(argv[i + 1], count)) {
      options.jobs = static_cast<unsigned>(count);
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (argc % 2 == 0 || data.empty() || out.empty() ||
      (code_page_name != "gb2312" && code_page_name != "big5")) {
    PrintUsage();
    return 2;
  }
  const kernel::CodePage code_page =
      code_page_name == "big5" ? kernel::CodePage::kBig5 : kernel::CodePage::kGb2312;
  const build_dictionaries::CodePageMap map(code_page);
  if (!map.valid()) {
    std::cerr << "build_dictionaries: no " << code_page_name << " conversion in the C library\n";
    return 1;
  }
  std::vector<std::string> rejected;
  const auto characters = build_dictionaries::LoadStrokeData(data, &rejected);
  for (const std::string& file : rejected) {
    std::cerr << "build_dictionaries: " << file
              << ": no \"medians\" array of strokes of [x, y] points, skipped\n";
  }
  if (characters.empty()) {
    std::cerr << "build_dictionaries: no stroke data in " << data << "\n";
    return 1;
  }
  const auto dictionary = build_dictionaries::BuildBaseDictionary(code_page, characters, map, options);
  if (dictionary.records == 0) {
    std::cerr << "build_dictionaries: no character of the code page in the stroke data\n";
    return 1;
  }
  if (dictionary.refining_passes != static_cast<std::size_t>(options.refining_passes)) {
    std::cerr << "build_dictionaries: the records so far did not load for the refining pass "
              << dictionary.refining_passes + 1 << " (temporary folder)\n";
    return 1;
  }
  const kernel::BaseFileNames names;
  const bool written =
      platform::WriteWholeFile(platform::JoinPath(out, names.features), dictionary.features) &&
      platform::WriteWholeFile(platform::JoinPath(out, names.segment_lists), dictionary.segment_lists) &&
      platform::WriteWholeFile(platform::JoinPath(out, names.clusters), dictionary.clusters);
  if (!written) {
    std::cerr << "build_dictionaries: cannot write into " << out << "\n";
    return 1;
  }
  std::cout << code_page_name << ": " << dictionary.characters << " characters, " << dictionary.records
            << " records\n";
  return 0;
}
