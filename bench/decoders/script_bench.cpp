// script_bench: the engine's script converter on held-out Traditional text,
// mapped to Simplified (the converter's own Traditional-to-Simplified
// direction) and converted back, beside OpenCC (s2t, s2tw) on the same
// Simplified text and the first alternative of each character.
//
//   script_bench [--data DIR] [--text FILE ...] [--no-peer]
//
// The texts (tools/prepare_heldout_text.sh) are the LibreOffice help in
// Traditional Chinese and the Traditional Debian Reference, which no
// generator reads; lines with a character outside Big5 or without a
// Simplified form are left out. Accuracy counts Chinese characters (code
// points from U+2E80): one minus edit distance over length.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/decoders/character_accuracy.h"
#include "engine/SyllableLatticeEngine/pc_system.h"
#include "tools/convert_script/script_converter.h"
#include "tools/text_codec/text_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

// The Chinese characters of UTF-8 text, in order.
std::string Chinese(std::string_view utf8) {
  std::string out;
  const std::vector<char32_t> points = bench::CodePoints(utf8);
  std::size_t pos = 0;
  for (char32_t c : points) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    const std::size_t length = lead < 0xC0 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : 4));
    if (c >= 0x2E80) out.append(utf8.substr(pos, length));
    pos += length;
  }
  return out;
}

struct Line {
  std::string traditional;  // UTF-8, the reference
  std::string simplified;   // GB2312
};

void PrintRow(const char* name, const bench::CharacterAccuracy& accuracy, double ms_per_thousand) {
  std::printf("| %-40s | %7.2f %% | %7.1f %% | %10.2f |\n", name, 100 * accuracy.accuracy(),
              100 * accuracy.exact(), ms_per_thousand);
}

// OpenCC's command-line converter with a configuration, on every line at once.
std::vector<std::string> OpenCC(const char* config, const std::vector<std::string>& lines, double* ms) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "script_bench_opencc";
  std::filesystem::create_directories(folder);
  const std::string in = (folder / "in.txt").string(), out = (folder / "out.txt").string();
  {
    std::ofstream stream(in, std::ios::binary);
    for (const std::string& l : lines) stream << l << "\n";
  }
  const std::string command = std::string("opencc -c ") + config + " -i " + in + " -o " + out;
  const auto started = Clock::now();
  const int status = std::system(command.c_str());
  *ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  std::vector<std::string> result;
  if (status != 0) return result;
  std::ifstream stream(out, std::ios::binary);
  for (std::string l; std::getline(stream, l);) result.push_back(l);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = WRENDLE_ENGINE_DATA_DIR;
  std::vector<std::string> texts;
  bool peers_wanted = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (a == "--text" && i + 1 < argc) {
      texts.emplace_back(argv[++i]);
    } else if (a == "--no-peer") {
      peers_wanted = false;
    } else {
      std::cerr << "usage: script_bench [--data DIR] [--text FILE ...] [--no-peer]\n";
      return 2;
    }
  }
  if (texts.empty())
    texts = {WRENDLE_HELDOUT_DIR "/traditional.txt", WRENDLE_HELDOUT_DIR "/traditional-reference.txt"};
  tools::ScriptConverter converter(folder);
  if (!converter.ok()) {
    std::cerr << "script_bench: the converter's files in " << folder << " do not load\n";
    return 1;
  }
  vok::CPCSystem& engine = converter.converter();
  const tools::TextCodec to_big5("UTF-8", "BIG5"), big5_to_utf8("BIG5", "UTF-8"),
      gb_to_utf8("GB2312", "UTF-8");
  for (const std::string& path : texts) {
    std::ifstream input(path, std::ios::binary);
    std::vector<Line> lines;
    std::size_t read = 0, characters = 0;
    for (std::string utf8; std::getline(input, utf8); ++read) {
      const auto big5 = to_big5.Convert(utf8);
      if (!big5) continue;
      std::string simplified;
      engine.MapText(big5->c_str(), &simplified);
      if (simplified.find(vok::CPCSystem::kUnmapped) != std::string::npos) continue;
      characters += bench::CodePoints(Chinese(utf8)).size();
      lines.push_back({utf8, simplified});
    }
    std::printf("\nscript_bench: %s: %zu of %zu lines, %zu Chinese characters\n", path.c_str(), lines.size(),
                read, characters);
    std::printf("| %-40s | %9s | %9s | %10s |\n", "Simplified to Traditional", "char acc", "lines",
                "ms/1000 ch");
    std::printf("|%s|-----------|-----------|------------|\n", std::string(42, '-').c_str());
    bench::CharacterAccuracy decoded, first;
    const auto started = Clock::now();
    std::vector<std::string> outputs;
    for (const Line& line : lines) {
      std::string big5;
      engine.ConvertText(line.simplified.c_str(), &big5);
      outputs.push_back(std::move(big5));
    }
    const double engine_ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    for (std::size_t i = 0; i < lines.size(); ++i)
      decoded.Add(Chinese(lines[i].traditional), Chinese(big5_to_utf8.ConvertLossy(outputs[i], "?")));
    PrintRow("engine (CPCSystem)", decoded, 1000 * engine_ms / static_cast<double>(characters));
    for (const Line& line : lines) {
      std::string big5;
      for (std::size_t k = 0; k < line.simplified.size();) {
        if (static_cast<unsigned char>(line.simplified[k]) < 0x80) {
          big5 += line.simplified[k++];
          continue;
        }
        char traditional[3];
        big5 += engine.ConvertChar(line.simplified.c_str() + k, traditional) == 0 ? std::string(traditional)
                                                                                  : std::string("?");
        k += 2;
      }
      first.Add(Chinese(line.traditional), Chinese(big5_to_utf8.ConvertLossy(big5, "?")));
    }
    PrintRow("baseline: first alternative of each char", first, 0);
    if (!peers_wanted) continue;
    std::vector<std::string> simplified_utf8;
    for (const Line& line : lines) simplified_utf8.push_back(gb_to_utf8.ConvertLossy(line.simplified, "?"));
    for (const char* config : {"s2t.json", "s2tw.json"}) {
      double ms = 0;
      const std::vector<std::string> converted = OpenCC(config, simplified_utf8, &ms);
      if (converted.size() != lines.size()) {
        std::printf("| OpenCC %-33s | (not run) |\n", config);
        continue;
      }
      bench::CharacterAccuracy accuracy;
      for (std::size_t i = 0; i < lines.size(); ++i)
        accuracy.Add(Chinese(lines[i].traditional), Chinese(converted[i]));
      const std::string name = std::string("OpenCC ") + config + " (process, whole file)";
      PrintRow(name.c_str(), accuracy, 1000 * ms / static_cast<double>(characters));
    }
  }
  return 0;
}
