// recognize: the scripting interface of the recognizer. Each input line is
// one line of handwriting as JSON, an array of strokes, each an array of
// [x, y] points in screen pixels. Prints one line per cell: the candidates
// in UTF-8, best first, separated by single spaces ("<gesture N>" for a
// gesture, an empty line for none). A line that cannot be read is reported
// on stderr with its number and skipped; the exit status is then 1. Without
// --lang the language is that of the base dictionaries beside the program.
// The other options serve tests and experiments: the recognizer mode and
// range, where the modules and the Windows directory are, and the screen size
// that scales segmentation.
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/recognition_types.h"
#include "dispatcher/segmentation/character_segmenter.h"
#include "dispatcher/zunmain.h"
#include "platform/file_access.h"
#include "platform/profile_store.h"
#include "platform/shared_library.h"
#include "platform/system_info.h"
#include "tools/recognize/base_language.h"
#include "tools/recognize/candidate_text.h"
#include "tools/recognize/point_arrays.h"

namespace {

constexpr int kMaxCells = 10;
constexpr int kAllRanges = wrendle::kRangeChinese | wrendle::kRangeLetters | wrendle::kRangeDigits;

struct Options {
  std::optional<int> language;  // none: that of the base dictionaries
  bool whole_cell = false;
  int mode = wrendle::kModeKernel;
  int range = kAllRanges;
  std::string modules;
  std::string windows_directory = platform::WindowsDirectory();
  int screen_width = 0;  // 0: the screen's own size
  int screen_height = 0;
  std::string file;
};

constexpr char kUsage[] =
    "usage: recognize [--lang 2000|4000] [--cell] [--mode 0|1|2] [--range FLAGS]\n"
    "                 [--modules DIR] [--windows-dir DIR] [--screen WxH] FILE|-\n";

bool ParseNumber(std::string_view text, int& value) {
  int base = 10;
  if (text.starts_with("0x")) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseScreen(std::string_view text, Options& options) {
  const std::size_t x = text.find('x');
  return x != std::string_view::npos && ParseNumber(text.substr(0, x), options.screen_width) &&
         ParseNumber(text.substr(x + 1), options.screen_height) && options.screen_width > 0 &&
         options.screen_height > 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--lang" && has_value) {
      const std::string_view value = argv[++i];
      if (value == "2000") {
        options.language = wrendle::kLanguageTraditionalChinese;
      } else if (value == "4000") {
        options.language = wrendle::kLanguageSimplifiedChinese;
      } else {
        return false;
      }
    } else if (arg == "--cell") {
      options.whole_cell = true;
    } else if (arg == "--mode" && has_value) {
      if (!ParseNumber(argv[++i], options.mode)) return false;
    } else if (arg == "--range" && has_value) {
      if (!ParseNumber(argv[++i], options.range)) return false;
    } else if (arg == "--modules" && has_value) {
      options.modules = argv[++i];
    } else if (arg == "--windows-dir" && has_value) {
      options.windows_directory = argv[++i];
    } else if (arg == "--screen" && has_value) {
      if (!ParseScreen(argv[++i], options)) return false;
    } else if (options.file.empty() && (arg == "-" || !arg.starts_with("--"))) {
      options.file = arg;
    } else {
      return false;
    }
  }
  return !options.file.empty();
}

// Screen pixels are far inside this; larger values are input errors.
constexpr double kMaxCoordinate = 1e7;

bool InScreenRange(const std::vector<wrendle::JsonPointList>& lines) {
  for (const auto& line : lines) {
    for (const wrendle::JsonPoint& p : line) {
      if (!(std::fabs(p.x) <= kMaxCoordinate && std::fabs(p.y) <= kMaxCoordinate)) return false;
    }
  }
  return true;
}

std::vector<wrendle::StrokeEntry> Strokes(const std::vector<wrendle::JsonPointList>& lines, std::size_t first,
                                          std::size_t end) {
  wrendle::StrokeListBuilder builder;
  for (std::size_t s = first; s < end; ++s) {
    std::vector<wrendle::StrokeEntry> points;
    for (const wrendle::JsonPoint& p : lines[s]) {
      points.push_back(
          {static_cast<std::int32_t>(std::lround(p.x)), static_cast<std::int32_t>(std::lround(p.y))});
    }
    builder.AddStroke(points);
  }
  return builder.Build();
}

std::string CellText(wrendle::Zunmain& zunmain, const std::vector<wrendle::StrokeEntry>& cell, int language) {
  std::array<std::uint16_t, 11> candidates{};
  const int result = zunmain.Recognition(cell.data(), candidates.data(), 0);
  if (result >= wrendle::kGestureFirst && result <= wrendle::kGestureLast) {
    return "<gesture " + std::to_string(result) + ">";
  }
  std::string text;
  for (int i = 0; i < result && i < wrendle::kMaxCandidates; ++i) {
    if (i > 0) text += ' ';
    text += wrendle::CandidateText(candidates[static_cast<std::size_t>(i)], language);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream file;
  if (options.file != "-") {
    file.open(options.file);
    if (!file) {
      std::cerr << "recognize: cannot read " << options.file << '\n';
      return 2;
    }
  }
  std::istream& in = options.file == "-" ? std::cin : file;

  if (!options.modules.empty()) platform::SetModuleSearchDirectory(options.modules);
  auto profiles = platform::MakeIniFileProfileStore(options.windows_directory);
  wrendle::Zunmain zunmain(*profiles, options.windows_directory);
  const int language =
      options.language.value_or(wrendle::BaseDictionaryLanguage(platform::HostProgramDirectory())
                                    .value_or(wrendle::kLanguageSimplifiedChinese));
  if (zunmain.InitRecognition(language, options.mode) != 1) {
    std::cerr << "recognize: no recognizer for language " << language << " in mode " << options.mode
              << " (its module or its dictionaries are missing beside this program)\n";
    return 3;
  }
  zunmain.SetRange(options.range);
  wrendle::CharacterSegmenter& segmenter = wrendle::ProcessSegmenter();
  segmenter.InitSegment(options.screen_width, options.screen_height);

  bool all_read = true;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    const auto strokes = wrendle::ParsePointArrays(text);
    if (!strokes) {
      std::cerr << "recognize: line " << number << ": not an array of strokes of [x, y] points, skipped\n";
      all_read = false;
      continue;
    }
    if (!InScreenRange(*strokes)) {
      std::cerr << "recognize: line " << number << ": a point lies outside +-" << kMaxCoordinate
                << " pixels, skipped\n";
      all_read = false;
      continue;
    }
    if (strokes->empty()) continue;
    const auto whole = Strokes(*strokes, 0, strokes->size());
    if (options.whole_cell) {
      std::cout << CellText(zunmain, whole, language) << '\n';
      continue;
    }
    std::array<std::int32_t, kMaxCells> ends{};
    const int cells = segmenter.Segment(*wrendle::StrokeListView::Parse(whole), ends);
    std::size_t first = 0;
    for (int cell = 0; cell < cells; ++cell) {
      const auto end = static_cast<std::size_t>(ends[static_cast<std::size_t>(cell)]);
      std::cout << CellText(zunmain, Strokes(*strokes, first, end), language) << '\n';
      first = end;
    }
  }
  return all_read ? 0 : 1;
}
