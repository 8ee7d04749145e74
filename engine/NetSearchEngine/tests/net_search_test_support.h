// Shared set-up of the command search tests: a scripted acoustic side over a
// handful of models, the search keys, a small lexicon with its pronunciation
// tree, grammars over it, and the network written out as arc lists.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/NetSearchEngine/testing/scripted_acoustics.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/symbol_table.h"

namespace vok_test {

// Unique per test, so that tests may run in parallel processes.
inline std::string NetTempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "netsearch_" + info->test_suite_name() + "_" + info->name() + "_" + name;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

// Models "SIL", "a", "b", "c", "g", "h"; syllables A2 (a), B3 (b), C4 (c),
// AB2 (a b), and the two filler syllables G1 (g) and H1 (h c).
inline std::vector<std::string> TestModels() { return {"SIL", "a", "b", "c", "g", "h"}; }
inline std::vector<vok_testing::SyllableSpelling> TestSyllables() {
  return {{"A2", "a"}, {"B3", "b"}, {"C4", "c"}, {"AB2", "a b"}, {"G1", "g"}, {"H1", "h c"}};
}

// Lexicon words: 0 "<S>", 1 "</S>", 2 "<UNK>", 3 "open" (A2-B3), 4 "close"
// (C4), 5 "bad" (the unknown syllable X9), 6 "mute" (no pronunciation).
enum TestWord { kOpen = 3, kClose = 4, kBad = 5, kMute = 6 };

class NetSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vok::SetMessageStreams(quiet_, quiet_);
    acoustics_ = std::make_unique<vok_testing::ScriptedAcoustics>(TestModels(), TestSyllables(),
                                                                  NetTempPath("Syllable"));
    ASSERT_TRUE(acoustics_->ok());
    vok_testing::PutSearchKeys(&resources_);
  }
  void TearDown() override {
    vok::SetMessageStreams(nullptr, nullptr);
    if (quiet_) std::fclose(quiet_);
  }

  vok::AcousticModels Models() { return acoustics_->models(); }
  vok_testing::ScriptedHmmDataBase& Db() { return acoustics_->database(); }
  int Model(const char* name) const { return acoustics_->Model(name); }

  // An engine with start and end node, a table of its own.
  std::unique_ptr<vok::NetSearchEngine> EmptyEngine() {
    table_ = std::make_unique<vok::BackTraceTable>(200, 50, 1);
    return std::make_unique<vok::NetSearchEngine>(resources_, Models(), table_.get());
  }

  const vok::CLexTree& Tree() {
    if (!tree_) {
      const std::string path = NetTempPath("Pron.txt");
      WriteText(path, "Pronunciations 6\n#\nA2 <S>\nA2 </S>\nA2 <UNK>\nA2-B3 open\nC4 close\nX9 bad\n");
      tree_ = std::make_unique<vok::CLexTree>(path.c_str(), *Models().syllables->syllables(), "-", false);
      words_ = std::make_unique<vok::SymbolTable>(16);
      for (const char* w : {"<S>", "</S>", "<UNK>", "open", "close", "bad", "mute"}) words_->Add(w);
      owner_ = std::make_unique<vok::LexiconOwner>(words_.get());
    }
    return *tree_;
  }

  // The expanded network of a unit-form grammar over the lexicon.
  const vok::GrammarUnit* Network(const std::string& body) {
    Tree();
    const std::string path = NetTempPath("grammar.txt");
    WriteText(path, "%BEGIN <TOP>\n" + body + "\n%END\n");
    grammar_ = std::make_unique<vok::CGrammar>(path.c_str(), 600, owner_.get());
    return grammar_->GetNetwork();
  }

  // Samples that make `frames` frames, and decoding them.
  int Decode(vok::NetSearchEngine* engine, int frames, const int16_t* settings_record = nullptr) {
    const std::vector<int16_t> samples = acoustics_->SamplesFor(frames);
    return engine->RecognizeSamples(acoustics_->FrameArgumentFor(frames), samples.data(), settings_record);
  }

  // "source->target model label weight" for every live transition in pool
  // order: the model's name or "<>", the label or "-", the weight.
  std::vector<std::string> Arcs(const vok::NetSearchEngine& engine) const {
    std::vector<std::string> arcs;
    const vok::SymbolTable* names = acoustics_->models().database->get_HMMNameTable();
    for (int i = 0; i < engine.TransitionCount(); ++i) {
      const vok::NetTransition* t = engine.Transition(i);
      if (t->label == vok::kDeletedRecord) continue;
      std::string arc =
          std::to_string(t->source ? t->source->id : -1) + "->" +
          std::to_string(t->target ? t->target->id : -1) + " " +
          (t->label == vok::kNetEmptyModel ? std::string("<>") : std::string(names->GetName(t->label)));
      arc += t->item == vok::kNetNoItem ? std::string(" -") : " " + std::to_string(t->item);
      if (t->weight != 0) arc += " w" + std::to_string(t->weight);
      arcs.push_back(arc);
    }
    return arcs;
  }

  std::FILE* quiet_ = std::tmpfile();
  vok::Resources resources_;
  std::unique_ptr<vok_testing::ScriptedAcoustics> acoustics_;
  std::unique_ptr<vok::BackTraceTable> table_;
  std::unique_ptr<vok::CLexTree> tree_;
  std::unique_ptr<vok::SymbolTable> words_;
  std::unique_ptr<vok::LexiconOwner> owner_;
  std::unique_ptr<vok::CGrammar> grammar_;
};

}  // namespace vok_test
