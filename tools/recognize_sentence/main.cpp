// recognize_sentence: lines of handwriting through the engine's handwriting
// sentence system. Each input line is one line of writing as JSON, an array
// of strokes, each an array of [x, y] points in screen pixels (the input of
// `recognize`); the output is one line per input line with the best
// sentence in UTF-8 (empty when none was found). DIR is a dialect folder of
// the engine data (default: the build's China folder). A line that cannot
// be read is reported on stderr with its number and skipped; the exit
// status is then 1.
#include <iconv.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/recognize/point_arrays.h"
#include "tools/recognize_sentence/sentence_recognizer.h"

namespace {

constexpr char kUsage[] = "usage: recognize_sentence [--data DIR] FILE|-\n";

// Points are 16-bit in the engine.
constexpr double kMaxCoordinate = 32767;

std::string ToUtf8(const std::string& text, bool simplified) {
  iconv_t converter = iconv_open("UTF-8", simplified ? "GB2312" : "BIG5");
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;
  std::string input = text;
  std::string output(text.size() * 2 + 4, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t in_left = input.size();
  std::size_t out_left = output.size();
  const std::size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1)) return text;
  output.resize(output.size() - out_left);
  return output;
}

bool ToStrokes(const std::vector<wrendle::JsonPointList>& lines, recognize_sentence::Strokes* strokes) {
  for (const auto& line : lines) {
    std::vector<vok::InkPoint> points;
    for (const wrendle::JsonPoint& p : line) {
      if (!(std::fabs(p.x) <= kMaxCoordinate && std::fabs(p.y) <= kMaxCoordinate)) return false;
      points.push_back({static_cast<int16_t>(std::lround(p.y)), static_cast<int16_t>(std::lround(p.x))});
    }
    strokes->push_back(std::move(points));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = std::string(WRENDLE_ENGINE_DATA_DIR) + "/China";
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (file.empty() && (arg == "-" || !arg.starts_with("--"))) {
      file = arg;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (file.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream stream;
  if (file != "-") {
    stream.open(file);
    if (!stream) {
      std::cerr << "recognize_sentence: cannot read " << file << '\n';
      return 2;
    }
  }
  std::istream& in = file == "-" ? std::cin : stream;

  const bool simplified = !recognize_sentence::IsTraditionalFolder(folder);
  recognize_sentence::SentenceRecognizer recognizer(folder, simplified);
  if (!recognizer.problem().empty()) {
    std::cerr << "recognize_sentence: " << recognizer.problem() << '\n';
    return 3;
  }
  bool all_read = true;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    const auto lines = wrendle::ParsePointArrays(text);
    recognize_sentence::Strokes strokes;
    if (!lines || !ToStrokes(*lines, &strokes)) {
      std::cerr << "recognize_sentence: line " << number
                << ": not an array of strokes of [x, y] points within +-32767, skipped\n";
      all_read = false;
      continue;
    }
    std::cout << ToUtf8(recognizer.Recognize(strokes), simplified) << '\n';
  }
  return all_read ? 0 : 1;
}
