#include "bench/hwr/line_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "tools/build_dictionaries/code_page_map.h"
#include "tools/build_dictionaries/ink_synthesis.h"
#include "tools/build_hwr_models/language_statistics.h"
#include "tools/recognize_sentence/sentence_recognizer.h"

namespace hwr_bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kLineCharacters = 10;
constexpr std::size_t kLines = 200;
// Seeds of the line inks, beside the character benchmark's.
constexpr std::uint64_t kLineSeedBase = build_dictionaries::kBenchmarkSeedBase + (1ull << 32);

bool IsHan(const std::string& character) {
  if (character.size() != 3) return false;
  const auto b = [&](int i) { return static_cast<unsigned char>(character[i]); };
  const unsigned code = (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
  return code >= 0x4E00 && code <= 0x9FFF;
}

// Runs of Han characters of the manual pages that the stroke data and the
// code page hold, cut into lines of ten; pages in name order.
std::vector<std::vector<std::string>> TextLines(
    const std::string& manual_folder,
    const std::map<std::string, const build_dictionaries::StrokeCharacter*>& ink,
    const build_dictionaries::CodePageMap& code_page) {
  std::vector<fs::path> pages;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(manual_folder, error)) pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  std::vector<std::vector<std::string>> lines;
  for (const fs::path& page : pages) {
    if (lines.size() >= kLines) break;
    const std::string command = "gzip -dcf '" + page.string() + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) continue;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
    std::vector<std::string> run;
    for (const std::string& c : build_hwr_models::Utf8Characters(text + "\n")) {
      if (IsHan(c) && ink.count(c) && code_page.CodeOf(c)) {
        run.push_back(c);
        if (run.size() < kLineCharacters) continue;
        lines.push_back(run);
        if (lines.size() >= kLines) break;
      }
      run.clear();
    }
  }
  return lines;
}

// The characters written side by side, {y, x}, gaps of a quarter of the
// character height.
recognize_sentence::Strokes WriteLine(
    const std::vector<std::string>& line,
    const std::map<std::string, const build_dictionaries::StrokeCharacter*>& ink, std::uint64_t seed) {
  recognize_sentence::Strokes strokes;
  int cursor = 40;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto list = build_dictionaries::SynthesizeInk(ink.at(line[i])->medians,
                                                        build_dictionaries::HastyStyle(), seed + i);
    int left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    for (const auto& e : list) {
      if (e.y == 0 && e.x >= 0) continue;
      left = std::min(left, e.x), right = std::max(right, e.x), top = std::min(top, e.y),
      bottom = std::max(bottom, e.y);
    }
    std::size_t at = 0;
    while (at < list.size() && list[at].x > 0) {
      const auto count = static_cast<std::size_t>(list[at].x);
      std::vector<vok::InkPoint> stroke;
      for (std::size_t p = 1; p <= count && at + p < list.size(); ++p) {
        stroke.push_back({static_cast<int16_t>(list[at + p].y - (top + bottom) / 2 + 200),
                          static_cast<int16_t>(list[at + p].x - left + cursor)});
      }
      strokes.push_back(std::move(stroke));
      at += count + 1;
    }
    cursor += right - left + (bottom - top) / 4;
  }
  return strokes;
}

// Edit distance of two character sequences.
std::size_t Distance(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t next =
          std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = row[j];
      row[j] = next;
    }
  }
  return row[b.size()];
}

}  // namespace

void RunLineBench(const std::vector<build_dictionaries::StrokeCharacter>& characters,
                  const std::string& dialect_folder, const std::string& manual_folder) {
  const build_dictionaries::CodePageMap code_page(kernel::CodePage::kGb2312);
  std::map<std::string, const build_dictionaries::StrokeCharacter*> ink;
  for (const auto& c : characters) ink[c.utf8] = &c;
  const auto lines = TextLines(manual_folder, ink, code_page);
  if (lines.empty()) {
    std::printf("lines   no text in %s (install manpages-zh)\n", manual_folder.c_str());
    return;
  }
  const auto setup_start = Clock::now();
  recognize_sentence::SentenceRecognizer recognizer(dialect_folder, true);
  const double setup_ms = std::chrono::duration<double, std::milli>(Clock::now() - setup_start).count();
  if (!recognizer.problem().empty()) {
    std::printf("lines   %s\n", recognizer.problem().c_str());
    return;
  }
  double lattice_ms = 0, back_end_ms = 0;
  std::size_t written = 0, wrong = 0, exact = 0;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const auto strokes = WriteLine(lines[l], ink, kLineSeedBase + l * kLineCharacters);
    const std::string text = recognizer.Recognize(strokes);
    const vok::CHRecognitionSystem& system = recognizer.system();
    lattice_ms += system.hwr_engine()->timing().last_processor_ms();
    back_end_ms += system.back_end()->decoder()->timing().last_processor_ms();
    std::vector<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
      const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i + 1]) << 8 |
                                                   static_cast<unsigned char>(text[i]));
      found.push_back(code_page.TextOf(code));
    }
    const std::size_t distance = Distance(lines[l], found);
    written += lines[l].size();
    wrong += distance;
    exact += distance == 0;
  }
  const double n = static_cast<double>(lines.size());
  std::printf(
      "lines   %zu lines of %zu characters: set-up %.0f ms; per line %.1f ms lattice engine, %.1f ms back "
      "end; "
      "character accuracy %.1f%%, lines exact %.1f%%\n",
      lines.size(), kLineCharacters, setup_ms, lattice_ms / n, back_end_ms / n,
      100.0 * (1.0 - static_cast<double>(wrong) / static_cast<double>(written)), 100.0 * exact / n);
}

}  // namespace hwr_bench
