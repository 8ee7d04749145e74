// recognize_strokes: cuts a line of handwriting from a stroke file into
// character cells and prints the candidates of each cell, through the same
// dispatcher and recognizer modules that the pen-input program uses.
#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/segmentation/character_segmenter.h"
#include "dispatcher/zunmain.h"
#include "platform/profile_store.h"
#include "platform/shared_library.h"
#include "platform/system_info.h"
#include "tools/recognize_strokes/candidate_text.h"
#include "tools/recognize_strokes/stroke_file.h"

namespace {

constexpr int kMaxCells = 10;

struct Options {
  int language = wrendle::kLanguageSimplifiedChinese;
  int mode = wrendle::kModeKernel;
  int range = 9;
  std::string modules;
  std::string windows_directory = platform::WindowsDirectory();
  std::string file;
  // Screen size that scales the segmentation; 0 takes the primary screen's.
  int screen_width = 0;
  int screen_height = 0;
};

void PrintUsage() {
  std::cerr << "usage: recognize_strokes [--language 4000|2000] [--mode 0|1|2] [--range FLAGS]\n"
               "                         [--modules DIR] [--windows-dir DIR] [--screen WxH] STROKE-FILE\n"
               "  STROKE-FILE: one stroke per line as x,y points in screen pixels.\n"
               "  --modules: where the recognizer modules are (default: beside this program).\n"
               "  --windows-dir: where learned dictionaries, stroke.ini and the engine live.\n"
               "  --screen: the screen size that scales the segmentation (default: the screen's).\n";
}

bool ParseNumber(std::string_view text, int& value) {
  int base = 10;
  if (text.starts_with("0x")) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--language" && has_value) {
      if (!ParseNumber(argv[++i], options.language)) return false;
    } else if (arg == "--mode" && has_value) {
      if (!ParseNumber(argv[++i], options.mode)) return false;
    } else if (arg == "--range" && has_value) {
      if (!ParseNumber(argv[++i], options.range)) return false;
    } else if (arg == "--modules" && has_value) {
      options.modules = argv[++i];
    } else if (arg == "--screen" && has_value) {
      const std::string_view size = argv[++i];
      const std::size_t x = size.find('x');
      if (x == std::string_view::npos || !ParseNumber(size.substr(0, x), options.screen_width) ||
          !ParseNumber(size.substr(x + 1), options.screen_height) || options.screen_width <= 0 ||
          options.screen_height <= 0) {
        return false;
      }
    } else if (arg == "--windows-dir" && has_value) {
      options.windows_directory = argv[++i];
    } else if (!arg.starts_with("--") && options.file.empty()) {
      options.file = arg;
    } else {
      return false;
    }
  }
  return !options.file.empty();
}

// The strokes from `first` up to (not including) `end` as a StrokeList.
std::vector<wrendle::StrokeEntry> CellStrokes(const wrendle::StrokeListView& line, int first, int end) {
  wrendle::StrokeListBuilder builder;
  for (int i = first; i < end; ++i) builder.AddStroke(line.strokes()[static_cast<std::size_t>(i)].points);
  return builder.Build();
}

void PrintResult(int cell, int first, int end, int result, const std::array<std::uint16_t, 11>& candidates,
                 int language) {
  std::cout << "cell " << cell << " (strokes " << first + 1 << "-" << end << "):";
  if (result >= 1 && result <= wrendle::kMaxCandidates) {
    for (int i = 0; i < result; ++i) std::cout << ' ' << wrendle::CandidateText(candidates[i], language);
  } else if (result >= wrendle::kGestureFirst && result <= wrendle::kGestureLast) {
    std::cout << " gesture " << result;
  } else {
    std::cout << " no candidate";
  }
  std::cout << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  std::ifstream in(options.file, std::ios::binary);
  if (!in) {
    std::cerr << "recognize_strokes: cannot open " << options.file << '\n';
    return 2;
  }
  const wrendle::StrokeFileResult file = wrendle::ReadStrokeFile(in);
  if (!file.error.empty()) {
    std::cerr << "recognize_strokes: " << options.file << ": " << file.error << '\n';
    return 2;
  }
  const auto line = wrendle::StrokeListView::Parse(file.list);

  if (!options.modules.empty()) platform::SetModuleSearchDirectory(options.modules);
  auto profiles = platform::MakeIniFileProfileStore(options.windows_directory);
  wrendle::Zunmain zunmain(*profiles, options.windows_directory);
  if (zunmain.InitRecognition(options.language, options.mode) != 1) {
    std::cerr << "recognize_strokes: no recognizer could be built for language " << options.language
              << " in mode " << options.mode
              << " (its recognizer module or one of its entries is missing, or it has no dictionaries)\n";
    return 3;
  }
  zunmain.SetRange(options.range);

  wrendle::CharacterSegmenter& segmenter = wrendle::ProcessSegmenter();
  segmenter.InitSegment(options.screen_width, options.screen_height);
  std::array<std::int32_t, kMaxCells> ends{};
  const int cells = segmenter.Segment(*line, ends);
  int first = 0;
  for (int cell = 0; cell < cells; ++cell) {
    const auto strokes = CellStrokes(*line, first, ends[static_cast<std::size_t>(cell)]);
    std::array<std::uint16_t, 11> candidates{};
    const int result = zunmain.Recognition(strokes.data(), candidates.data(), 0);
    PrintResult(cell + 1, first, ends[static_cast<std::size_t>(cell)], result, candidates, options.language);
    first = ends[static_cast<std::size_t>(cell)];
  }
  return 0;
}
