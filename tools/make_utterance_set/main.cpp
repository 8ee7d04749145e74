// make_utterance_set: an utterance-set file from recorded wave files and
// their reference texts.
//   make_utterance_set --out FILE [--version 720002|720101|610001|64000000] LIST
// LIST has one utterance per line: the path of a wave file (11025 Hz mono
// 16-bit, as the engine records), a tab, the reference text (bytes of the
// dialect's code page). Lines that begin with "#" are skipped. The older
// versions are for fixtures of the engine's upgrade.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "engine/api/utterance_set_file.h"
#include "engine/api/wave_file.h"
#include "platform/file_access.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: make_utterance_set --out FILE [--version 720002|720101|610001|64000000] LIST\n";
}

bool ReadSamples(const std::string& path, std::vector<std::int16_t>* samples) {
  vok::api::CWaveFile wave;
  if (!wave.OpenForReading(path) || wave.sample_rate() != vok::api::kEngineSampleRate) return false;
  samples->resize(wave.SampleCount());
  return wave.Read(*samples) == samples->size();
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, list;
  std::uint32_t version = vok::api::kUtteranceSetVersion;
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (flag == "--version" && i + 1 < argc) {
      version = static_cast<std::uint32_t>(std::stoul(argv[++i], nullptr, 16));
    } else if (list.empty() && !flag.starts_with("--")) {
      list = argv[i];
    } else {
      PrintUsage();
      return 2;
    }
  }
  const bool known =
      version == vok::api::kUtteranceSetVersion || version == vok::api::kUtteranceSetVersion720101 ||
      version == vok::api::kUtteranceSetVersion610001 || version == vok::api::kUtteranceSetVersion64000000;
  if (out.empty() || list.empty() || !known) {
    PrintUsage();
    return 2;
  }
  std::ifstream lines(list);
  if (!lines) {
    std::cerr << "make_utterance_set: cannot read " << list << "\n";
    return 1;
  }
  vok::api::UtteranceSetContents contents;
  contents.header.dialect = 0x10;
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    vok::api::UtteranceSetEntry entry;
    if (tab == std::string::npos || !ReadSamples(line.substr(0, tab), &entry.samples)) {
      std::cerr << "make_utterance_set: line " << number << ": no 11025 Hz wave file and text\n";
      return 1;
    }
    entry.second_text = line.substr(tab + 1);
    if (entry.second_text.size() >= vok::api::CUtteranceSetFile::kTextBytes) {
      std::cerr << "make_utterance_set: line " << number << ": text over 199 bytes\n";
      return 1;
    }
    entry.first_text = entry.second_text;
    contents.utterances.push_back(std::move(entry));
  }
  if (!platform::WriteWholeFile(out, vok::api::WriteUtteranceSet(contents, version))) {
    std::cerr << "make_utterance_set: cannot write " << out << "\n";
    return 1;
  }
  std::cout << out << ": " << contents.utterances.size() << " utterances\n";
  return 0;
}
