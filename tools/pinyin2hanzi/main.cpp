// pinyin2hanzi: the engine's keyboard system on the command line. Each key
// string (the argument, or each line of standard input with "-" or no
// argument) is converted as the keyboard controller converts its key buffer;
// the N best sentences are printed in UTF-8, best first, one a line, with an
// empty line after each input line read from standard input.
//
//   pinyin2hanzi [--data DIR] [--nbest N] [KEYS|-]
//
// DIR is a dialect folder of tools/build_language_data (default: the build's
// China folder). "'" separates syllables. A key the system refuses is
// reported on stderr with its position; the exit status is then 1.
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/pinyin2hanzi/pinyin_converter.h"
#include "tools/text_codec/text_codec.h"

namespace {

void PrintUsage() { std::cerr << "usage: pinyin2hanzi [--data DIR] [--nbest N] [KEYS|-]\n"; }

}  // namespace

int main(int argc, char** argv) {
  std::string folder = WRENDLE_KEYBOARD_DATA_DIR;
  int nbest = 5;
  std::string keys;
  bool from_input = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument == "--nbest" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), nbest);
      if (error != std::errc() || end != value.data() + value.size() || nbest < 1) {
        PrintUsage();
        return 2;
      }
    } else if (argument != "-" && !argument.empty() && argument[0] == '-') {
      PrintUsage();
      return 2;
    } else {
      from_input = argument == "-";
      keys = argument;
    }
  }
  tools::PinyinConverter converter(folder);
  const tools::TextCodec to_utf8("GB2312", "UTF-8");
  if (!converter.ok() || !to_utf8.valid()) {
    std::cerr << "pinyin2hanzi: the keyboard data of " << folder << " does not load\n";
    return 1;
  }
  int status = 0;
  const auto run = [&](const std::string& line) {
    const tools::PinyinConverter::Result result = converter.Convert(line, nbest);
    if (result.refused_at >= 0) {
      std::cerr << "pinyin2hanzi: key '" << line[static_cast<std::size_t>(result.refused_at)] << "' at "
                << result.refused_at + 1 << " of \"" << line << "\" is no key of the keyboard map\n";
      status = 1;
    }
    for (const std::string& sentence : result.sentences)
      std::cout << to_utf8.ConvertLossy(sentence, "?") << "\n";
  };
  if (!from_input) {
    run(keys);
    return status;
  }
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    run(line);
    std::cout << "\n";
  }
  return status;
}
