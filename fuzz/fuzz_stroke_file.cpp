// The handwriting engine's stroke-file reader, then the segmentation of what
// it read: the strokes go through every track and the segmentation step of
// an engine with a small simplified-character model, and the cells, the
// boundaries and the lattice must stay within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/NetSearchEngine/hwr_lattice_engine.h"
#include "engine/NetSearchEngine/hwr_stroke_file.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/lexicon.h"
#include "engine/core/symbol_table.h"
#include "engine/core/testing/hwr_model_writer.h"

namespace {

// Enough for long lines of writing, small enough to keep runs fast.
constexpr int kMaxPoints = 6000;
constexpr vok::HwrModelTriple kTriple{1, 6, 24};

struct Engine {
  Engine() : table(1000, 50, 1), syllables(64), engine(&table, &syllables, nullptr) {
    auto sc = std::make_unique<vok::CHWRSCRecognizer>(kTriple);
    const auto model = vok_testing::WriteHwrCharacterModel(vok_testing::MakeSmallCharacterModel(kTriple, 3));
    sc->LoadBytes(model.bytes.data(), model.bytes.size());
    for (int index = 0; index < kTriple.characters; ++index) {
      const int code = sc->IndexToCode(index);
      const char text[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\0'};
      std::string name;
      vok::WordToCodePron(text, &name);
      syllables.Add(name.c_str());
    }
    engine.record()->set_sc_recognizer(std::move(sc));
  }
  vok::BackTraceTable table;
  vok::SymbolTable syllables;
  vok::HWRLatticeEngine engine;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Engine fixture;
  vok::HwrStrokeFileContent content;
  if (vok::ParseStrokeFile(data, size, kMaxPoints, &content) < 0) return 0;
  vok::HWRLatticeEngine& engine = fixture.engine;
  engine.StartUtterance();
  const vok::InkPoint* points = content.points.data();
  for (const int length : content.lengths) {
    if (engine.TakeStroke(points, length) < 0 || engine.TrackStep(length) < 0) std::abort();
    points += length;
  }
  const int finished = engine.FinishUtterance();
  const auto& boundaries = engine.boundaries();
  for (std::size_t i = 1; i < boundaries.size(); ++i) {
    if (boundaries[i] <= boundaries[i - 1]) std::abort();
  }
  for (const vok::HwrCell& cell : engine.cells()) {
    if (cell.start < 0 || cell.end <= cell.start || cell.end > static_cast<int32_t>(content.points.size()) ||
        cell.candidate_count < 1 || cell.candidate_count > vok::HwrCell::kMaxCandidates) {
      std::abort();
    }
  }
  if (finished == 0 && fixture.table.frames_completed() > vok::BackTraceTable::kMaxFrame) std::abort();
  return 0;
}
