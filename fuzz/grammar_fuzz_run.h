// The grammar fuzz targets' shared run: the input as a grammar file over a
// small lexicon, then everything that works on a loaded grammar: expansion,
// parsing, empty units, unused words, lattice matching and merging.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/back_trace_table.h"
#include "engine/core/grammar.h"
#include "engine/core/grammar_owner.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "fuzz/fuzz_support.h"

namespace grammar_fuzz {

// A small pool limit keeps every run short; the readers' checks are the same.
inline constexpr int kBlockLimit = 20;

inline const vok::SymbolTable& Lexicon() {
  static vok::SymbolTable* table = [] {
    auto* t = new vok::SymbolTable(32);
    for (const char* word : {"aa", "bb", "cc", "aabb", "qu", "beij", "shan", "\xA1\xA4"}) t->Add(word);
    return t;
  }();
  return *table;
}

// Words 0 to 2 of the lexicon over frames 0 to 6.
inline const vok::BackTraceTable& Lattice() {
  static vok::BackTraceTable* table = [] {
    auto* t = new vok::BackTraceTable(200, 50, 1);
    t->Reset(0);
    t->AddStart();
    t->EndFrame();
    for (int f = 1; f <= 6; ++f) {
      for (int start = 0; start < f; ++start)
        t->AddRecord(static_cast<uint16_t>((f + start) % 3), -start, start);
      t->EndFrame();
    }
    return t;
  }();
  return *table;
}

inline void Exercise(vok::CGrammar* grammar) {
  vok::CParseToken tokens[vok::CGrammar::kParseTokens];
  char text[64];
  for (const char* input : {"", "aabb", "qubeij", "aaaaaaaaaaaabbbbbbbbcc"}) {
    if (grammar->Parse(input, tokens)) {
      tokens[0].GetName(text, sizeof text);
      tokens[0].GetText(text, sizeof text);
    }
  }
  // Every grammar word in a row, as far as the lattice allows.
  std::string all;
  for (int id = 0; id < grammar->words().GetCount() && all.size() < 90; ++id) {
    const char* word = grammar->words().GetName(id);
    if (word) all += word;
  }
  grammar->Parse(all.c_str(), tokens);
  if (const vok::GrammarUnit* network = grammar->GetNetwork()) {
    uint16_t frames[8] = {};
    int16_t scores[8] = {};
    for (int f = 0; f <= 6; ++f) network->MatchLattice(f, Lattice(), frames, scores, 8);
  }
  int32_t list[16];
  grammar->FindEmptyUnits(list, 16);
  grammar->RemoveUnusedSymbols();
  grammar->AddItem("<EXTRA>", 0);
  grammar->GetNetwork();
}

inline int Run(const std::uint8_t* data, std::size_t size, const std::string& prefix) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = fuzz_support::ScratchFile("grammar");
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(prefix.data(), 1, prefix.size(), file);
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  vok::LexiconOwner owner(&Lexicon());
  vok::CGrammar grammar(path.c_str(), kBlockLimit, &owner);
  Exercise(&grammar);
  vok::CGrammar* others[] = {&grammar, nullptr};
  vok::CGrammar merged("<MERGED>", kBlockLimit, &owner, others);
  merged.GetNetwork();
  return 0;
}

}  // namespace grammar_fuzz
