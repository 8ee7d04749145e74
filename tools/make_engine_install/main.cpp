// make_engine_install: lays out the engine's installation tree around the
// generated data folders.
//   make_engine_install --out DIR [--data DIALECT=FOLDER]... [--keyboard FILE]
//                       [--user-speech FILE] [--windows-path PATH]
#include <iostream>
#include <string>
#include <string_view>

#include "tools/make_engine_install/install_tree.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: make_engine_install --out DIR [--data DIALECT=FOLDER]... [--keyboard FILE]\n"
               "                           [--user-speech FILE] [--windows-path PATH]\n";
}

}  // namespace

int main(int argc, char** argv) {
  make_engine_install::InstallOptions options;
  if (argc % 2 == 0) {
    PrintUsage();
    return 2;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--out") {
      options.out = value;
    } else if (flag == "--data") {
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos || equals == 0) {
        PrintUsage();
        return 2;
      }
      options.sources.push_back({value.substr(0, equals), value.substr(equals + 1)});
    } else if (flag == "--keyboard") {
      options.keyboard_map = value;
    } else if (flag == "--user-speech") {
      options.user_speech = value;
    } else if (flag == "--windows-path") {
      options.windows_path = value;
    } else {
      PrintUsage();
      return 2;
    }
  }
  const std::string error = make_engine_install::MakeInstallTree(options);
  if (!error.empty()) {
    std::cerr << "make_engine_install: " << error << "\n";
    return 1;
  }
  std::cout << options.out << ": engine tree with " << options.sources.size() << " data folders and "
            << options.users.size() << " users\n";
  return 0;
}
