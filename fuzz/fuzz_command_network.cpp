// Command networks from grammar files: the input's first bytes choose the
// options and the scores of a scripted database, the rest is a text grammar
// over a small lexicon. Its expanded network goes through the command
// search's network building with filler loops and the out-of-grammar path
// (options 0x11), silence loops when chosen, then a few frames of decoding with every result operation:
// cycles of empty arcs, the closure, pools and labels of any grammar.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/NetSearchEngine/testing/scripted_acoustics.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/grammar_fuzz_run.h"

namespace {

constexpr int kFrames = 12;

struct CommandSide {
  std::unique_ptr<vok_testing::ScriptedAcoustics> acoustics;
  std::unique_ptr<vok::CLexTree> tree;
  vok::Resources resources;
};

// Models and syllables for the grammar fuzz lexicon: "aa", "bb", "cc",
// "aabb", "qu", "beij", "shan" and the separator, whose pronunciation has a
// syllable the table lacks.
CommandSide& Side() {
  static CommandSide* side = [] {
    auto* s = new CommandSide;
    s->acoustics = std::make_unique<vok_testing::ScriptedAcoustics>(
        std::vector<std::string>{"SIL", "a", "b", "c", "q", "j"},
        std::vector<vok_testing::SyllableSpelling>{
            {"A1", "a"}, {"B2", "b"}, {"C1", "c a"}, {"QU3", "q"}, {"JING1", "j"}, {"SHAN4", "a c"}},
        fuzz_support::ScratchFile("Syllable"));
    const std::string pron = fuzz_support::ScratchFile("Pron.txt");
    const std::string text =
        "Pronunciations 8\n#\nA1 aa\nB2 bb\nC1 cc\nA1-B2/B2-A1 aabb\nQU3 qu\nJING1-C1 beij\nSHAN4 shan\nZZ9 "
        "sep\n";
    fuzz_support::WriteFile(pron, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    s->tree = std::make_unique<vok::CLexTree>(pron.c_str(), *s->acoustics->models().syllables->syllables(),
                                              "-", false);
    vok_testing::PutSearchKeys(&s->resources, 13.0f);
    return s;
  }();
  return *side;
}

void Decode(vok::NetSearchEngine* engine, CommandSide& side, fuzz_support::Input* choices) {
  vok_testing::ScriptedHmmDataBase& db = side.acoustics->database();
  for (int t = 0; t < kFrames; ++t) {
    db.SetFrameDefault(t, -static_cast<float>(choices->Byte() % 64));
    db.SetModelScore(t, choices->Byte() % db.get_numHMM(), -static_cast<float>(choices->Byte() % 8));
  }
  int16_t record[vok::CommandSearchSettings::kCount];
  const int16_t* settings = nullptr;
  if (choices->Byte() & 1) {
    for (int16_t& value : record) value = static_cast<int16_t>(choices->Byte() * 4 - 200);
    settings = record;
  }
  const std::vector<int16_t> samples = side.acoustics->SamplesFor(kFrames);
  engine->RecognizeSamples(side.acoustics->FrameArgumentFor(kFrames), samples.data(), settings);
  int item = 0;
  engine->GetBestItem(&item);
  int confidence = 0;
  engine->GetConfidence(&confidence);
  vok::NBestList list(10, 1);
  engine->GetNBest(&list);
  engine->PrintSummary();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  CommandSide& side = Side();
  fuzz_support::Input input(data, size);
  const std::uint8_t options = input.Byte();
  std::vector<std::uint8_t> choices(64);
  for (std::uint8_t& c : choices) c = input.Byte();

  const std::string path = fuzz_support::ScratchFile("command.grammar");
  fuzz_support::WriteFile(path, input.rest());
  vok::LexiconOwner owner(&grammar_fuzz::Lexicon());
  vok::CGrammar grammar(path.c_str(), grammar_fuzz::kBlockLimit, &owner);
  const vok::GrammarUnit* network = grammar.GetNetwork();
  if (!network) return 0;
  vok::NetSearchEngine engine(side.resources, *network, side.acoustics->models(), *side.tree);
  // The command-grammar options 0x11.
  engine.AddFillerLoops();
  engine.AddRejectionPath();
  if (options & 0x2) engine.AddSilenceLoops(options >> 5);
  fuzz_support::Input scores(choices.data(), choices.size());
  Decode(&engine, side, &scores);
  // Edits between utterances, then the network built again.
  for (int id = 0; id < 8; ++id) {
    if (options & 0x4) engine.DisableItem(id);
    if (options & 0x8) engine.RemoveItem(id);
  }
  engine.EnableItem(choices[0] % 8);
  Decode(&engine, side, &scores);
  engine.BuildNetwork(*network, *side.tree);
  Decode(&engine, side, &scores);
  return 0;
}
