#include "engine/SyllableLatticeEngine/testing/language_fixture.h"

#include <fstream>

namespace vok_testing {

namespace {

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out->push_back(static_cast<uint8_t>(v >> s));
}

}  // namespace

bool WriteClassBigramModel(const std::string& path, int classes, const std::vector<uint8_t>& bytes) {
  if (bytes.size() != static_cast<std::size_t>(classes) * static_cast<std::size_t>(classes)) return false;
  std::vector<uint8_t> file;
  Put32(&file, 512);
  file.insert(file.end(), 252, 0);
  // Words, classes, bigram bias and shift, the log base 1.0001 as a float.
  for (uint32_t v : {100u, static_cast<uint32_t>(classes), 0u, 2u, 0x3F800347u}) Put32(&file, v);
  file.insert(file.end(), 6 + 230, 0);  // person and place classes 0, reserved
  file.insert(file.end(), bytes.begin(), bytes.end());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

bool WriteTextLexicon(const std::string& path, int classes, const std::vector<FixtureWord>& words) {
  std::ofstream out(path);
  out << "entries " << words.size() << "\nclasses " << classes << "\n";
  for (const FixtureWord& w : words) out << "x " << w.text << " " << w.word_class << " " << w.count << "\n";
  return static_cast<bool>(out);
}

}  // namespace vok_testing
