// convert_script: the engine's script converter on UTF-8 text. Each line of
// the file (or of standard input with "-" or no file) is converted and
// printed. To Traditional, the Simplified text is decoded with the
// converter's Traditional lexicon and language model; to Simplified, each
// Traditional character is looked up. Characters the converter cannot map
// stay as they are.
//
//   convert_script --to traditional|simplified [--data DIR] [FILE|-]
//
// DIR is the engine's data folder with the converter's files (default: the
// build's data folder).
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/convert_script/script_converter.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: convert_script --to traditional|simplified [--data DIR] [FILE|-]\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = WRENDLE_ENGINE_DATA_DIR;
  std::string target;
  std::string file = "-";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--to" && i + 1 < argc) {
      target = argv[++i];
    } else if (argument == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument != "-" && !argument.empty() && argument[0] == '-') {
      PrintUsage();
      return 2;
    } else {
      file = argument;
    }
  }
  if (target != "traditional" && target != "simplified") {
    PrintUsage();
    return 2;
  }
  tools::ScriptConverter converter(folder);
  if (!converter.ok()) {
    std::cerr << "convert_script: the converter's files in " << folder << " do not load\n";
    return 1;
  }
  std::ifstream stream;
  if (file != "-") {
    stream.open(file, std::ios::binary);
    if (!stream) {
      std::cerr << "convert_script: cannot read " << file << "\n";
      return 1;
    }
  }
  std::istream& input = file == "-" ? std::cin : stream;
  for (std::string line; std::getline(input, line);) {
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr) line.pop_back();
    std::cout << (target == "traditional" ? converter.ToTraditional(line) : converter.ToSimplified(line))
              << (cr ? "\r\n" : "\n");
  }
  return 0;
}
