#include "engine/api/tests/pen_tree.h"

#include <cstdint>

#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_model.h"
#include "engine/core/testing/hwr_model_writer.h"

namespace vok::api::testing {
namespace {

constexpr std::uint32_t kCharacterModelSeed = 7;

// Points from (y0, x0) to (y1, x1), `n` of them.
std::vector<vok::InkPoint> Line(int y0, int x0, int y1, int x1, int n) {
  std::vector<vok::InkPoint> points;
  for (int i = 0; i < n; ++i) {
    points.push_back({static_cast<std::int16_t>(y0 + (y1 - y0) * i / (n - 1)),
                      static_cast<std::int16_t>(x0 + (x1 - x0) * i / (n - 1))});
  }
  return points;
}

std::vector<vok::InkPoint> Joined(std::vector<vok::InkPoint> a, const std::vector<vok::InkPoint>& b) {
  a.insert(a.end(), b.begin() + 1, b.end());
  return a;
}

std::string TemplateFile(const char* name, const PenStrokes& strokes) {
  std::vector<int> counts;
  std::vector<vok::InkPoint> points;
  for (const auto& stroke : strokes) {
    counts.push_back(static_cast<int>(stroke.size()));
    points.insert(points.end(), stroke.begin(), stroke.end());
  }
  vok::GestureTemplate t;
  vok::CHWRGestureRecognizer::MakeTemplate(name, static_cast<int>(strokes.size()), counts.data(),
                                           points.data(), &t);
  const auto bytes = vok_testing::WriteGestureTemplates({t}).bytes;
  return std::string(bytes.begin(), bytes.end());
}

// A stroke shaped like a character's first stroke: across, then a hook
// down, which the gesture test must not take for anything.
const PenStrokes& AntiGestureStrokes() {
  static const PenStrokes strokes = {Joined(Line(20, 10, 20, 90, 12), Line(20, 90, 40, 80, 5))};
  return strokes;
}

}  // namespace

const std::vector<std::string>& GbCharacters() {
  static const std::vector<std::string> characters = [] {
    std::vector<std::string> list;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
      for (int trail = 0xA1; trail <= 0xFE; ++trail) {
        if (lead == 0xD7 && trail > 0xF9) continue;  // unassigned
        list.push_back({static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    return list;
  }();
  return characters;
}

const PenStrokes& GestureStrokes() {
  static const PenStrokes strokes = {
      Joined(Joined(Line(10, 10, 10, 90, 10), Line(10, 90, 90, 10, 12)), Line(90, 10, 90, 90, 10))};
  return strokes;
}

const PenStrokes& CommaStrokes() {
  static const PenStrokes strokes = {Joined(Line(80, 50, 88, 52, 4), Line(88, 52, 97, 44, 4))};
  return strokes;
}

const PenStrokes& CharacterStrokes() {
  static const PenStrokes strokes = {Line(20, 20, 80, 22, 10), Line(20, 20, 22, 80, 10),
                                     Line(22, 80, 80, 78, 10), Line(10, 50, 95, 50, 12)};
  return strokes;
}

const PenStrokes& OtherCharacterStrokes() {
  static const PenStrokes strokes = {Line(30, 10, 30, 90, 10), Line(60, 15, 60, 85, 10),
                                     Line(10, 50, 90, 50, 10), Line(90, 20, 95, 80, 10)};
  return strokes;
}

std::vector<std::vector<std::uint32_t>> ToWorkerPoints(const PenStrokes& strokes) {
  std::vector<std::vector<std::uint32_t>> result;
  for (const auto& stroke : strokes) {
    auto& points = result.emplace_back();
    for (const vok::InkPoint& p : stroke) {
      points.push_back(static_cast<std::uint16_t>(p.y) |
                       static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.x)) << 16);
    }
  }
  return result;
}

void AddPenDialect(EngineTree& tree, const std::string& dialect) {
  tree.AddDialect(dialect);
  const std::string folder = "Data/" + dialect;
  WriteLanguageFiles(tree.Path(folder), GbCharacters());
  static const std::string model = [] {
    const auto bytes = vok_testing::WriteHwrCharacterModel(
                           vok_testing::MakeSmallCharacterModel(vok::kScModelTriple, kCharacterModelSeed))
                           .bytes;
    return std::string(bytes.begin(), bytes.end());
  }();
  tree.WriteFile(folder + "/HWRSC", model);
  tree.WriteFile(folder + "/HWRPUN", TemplateFile(kCommaText, CommaStrokes()));
  tree.WriteFile(folder + "/HWRANTIG", TemplateFile("anti", AntiGestureStrokes()));
}

void AddGestures(EngineTree& tree, const std::string& user) {
  tree.WriteFile("Users/" + user + "/Gestures", TemplateFile(kGestureName, GestureStrokes()));
}

}  // namespace vok::api::testing
