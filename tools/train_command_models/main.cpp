// train_command_models: whole-syllable models of a few spoken commands for
// the command search's tests and benchmark: the model file "Speech", the
// syllable table "Syllable", the pronunciations "Pron.txt" and a "Resources"
// that loads them.
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/train_command_models/command_folder.h"

namespace {

namespace tcm = train_command_models;

void PrintUsage() {
  std::cerr << "usage: train_command_models --corpus DIR --out DIR [--front-end SPEC] [--passes N]\n"
               "  DIR/train.list and DIR/heldout.list: wave<TAB>speaker<TAB>M|F|-<TAB>toned pinyin\n";
}

}  // namespace

int main(int argc, char** argv) {
  tcm::CommandFolderOptions options;
  std::string corpus, out;
  bool ok = argc % 2 == 1;
  for (int i = 1; ok && i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--corpus") {
      corpus = value;
    } else if (flag == "--out") {
      out = value;
    } else if (flag == "--front-end") {
      options.frontEndSpec = value;
    } else if (flag == "--passes") {
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), options.models.passes);
      ok = error == std::errc() && end == value.data() + value.size() && options.models.passes >= 0 &&
           options.models.passes <= 100;
    } else {
      ok = false;
    }
  }
  if (!ok || corpus.empty() || out.empty()) {
    PrintUsage();
    return 2;
  }
  return tcm::TrainCommandFolder(corpus, out, options, std::cout, std::cerr);
}
