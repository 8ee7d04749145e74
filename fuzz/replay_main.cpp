// Replays kept inputs through a fuzz target outside libFuzzer: every regular
// file in the folders named on the command line (missing folders are empty).
// A crash or sanitizer report fails the run; so does a folder that cannot be read.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path folder = argv[i];
    if (!fs::exists(folder)) continue;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
    if (error) {
      std::cerr << "cannot read " << folder << ": " << error.message() << '\n';
      return 1;
    }
  }
  std::cout << "replayed " << replayed << " inputs\n";
  return 0;
}
