#include "bench/kernel/peer_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bench {
namespace {

constexpr char kProgram[] = "/usr/bin/zinnia";
constexpr char kModel[] = "/usr/share/tegaki/models/zinnia/handwriting-zh_CN.model";

// One character as the program reads it, its points moved into a square box.
std::string Expression(const std::vector<wrendle::StrokeEntry>& ink) {
  const auto view = wrendle::StrokeListView::Parse(ink);
  std::int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
  for (const auto& stroke : view->strokes()) {
    for (const auto& p : stroke.points) {
      left = std::min(left, p.x);
      top = std::min(top, p.y);
      right = std::max(right, p.x);
      bottom = std::max(bottom, p.y);
    }
  }
  const std::int32_t side = std::max({right - left, bottom - top, 1});
  std::ostringstream out;
  out << "(character (width " << side << ")(height " << side << ")(strokes";
  for (const auto& stroke : view->strokes()) {
    out << " (";
    for (const auto& p : stroke.points) out << '(' << p.x - left << ' ' << p.y - top << ')';
    out << ')';
  }
  out << "))\n";
  return out.str();
}

}  // namespace

std::optional<PeerFigures> RunPeer(const std::vector<std::vector<wrendle::StrokeEntry>>& inks,
                                   const std::vector<std::string>& answers,
                                   const std::string& work_directory) {
  if (!std::filesystem::exists(kProgram) || !std::filesystem::exists(kModel) || inks.empty())
    return std::nullopt;
  const std::string input = (std::filesystem::path(work_directory) / "peer_input.txt").string();
  {
    std::ofstream file(input);
    for (const auto& ink : inks) file << Expression(ink);
  }
  const std::string command = std::string(kProgram) + " -n 10 -m " + kModel + " " + input;
  const auto start = std::chrono::steady_clock::now();
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::vector<std::vector<std::string>> results;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    const std::string line(buffer);
    if (line.rfind("Answer:", 0) == 0) {
      results.emplace_back();
    } else if (!results.empty()) {
      results.back().push_back(line.substr(0, line.find(' ')));
    }
  }
  if (pclose(pipe) != 0 || results.size() != inks.size()) return std::nullopt;
  const auto spent = std::chrono::steady_clock::now() - start;
  PeerFigures figures;
  figures.written = inks.size();
  for (std::size_t i = 0; i < results.size(); ++i) {
    const auto& list = results[i];
    if (!list.empty() && list[0] == answers[i]) ++figures.top1;
    if (std::find(list.begin(), list.end(), answers[i]) != list.end()) ++figures.top10;
  }
  figures.microseconds = std::chrono::duration<double, std::micro>(spent).count() / inks.size();
  return figures;
}

}  // namespace bench
