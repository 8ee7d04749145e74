// Shared by the page model targets: a word list bound to a loaded model, and
// every score form over a few words, inside and outside an utterance.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/symbol_table.h"

namespace page_lm_fuzz {

inline std::string ScratchPath(const char* name) {
  return "/tmp/" + std::string(name) + "_" + std::to_string(getpid());
}

inline bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fwrite(data, 1, size, file);
  return std::fclose(file) == 0;
}

inline void Quiet() {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
}

inline void Exercise(vok::PageLM* lm) {
  vok::SymbolTable words(16);
  const char* names[] = {"<S>", "</S>", "<UNK>", "w3", "w4", "c2", "x"};
  lm->AllocWords(7);
  const int classes = std::max(1, lm->class_count());
  for (int i = 0; i < 7; ++i) {
    words.Add(names[i]);
    lm->AddWord(i, i % classes, 3 * i);
  }
  lm->BindClassTokens(words);
  lm->AddPseudoWords(240);
  const uint16_t ids[] = {3, 4, 6, 65500, 65535};
  lm->GetSentenceScore(ids, 5);  // outside an utterance: falls back
  lm->StartUtterance();
  for (int a = 0; a < 7; ++a)
    for (int b = 0; b < 7; ++b) {
      lm->GetTrigramScore(a, b, (a + b) % 7);
      lm->GetClassTrigramScore(a, b, 65500);
      lm->GetClassBigramScore(a, b);
    }
  vok::NBestList list(4);
  list.Append(-10, ids, 5);
  list.Append(-20, ids, 3);
  lm->RescoreNBest(&list, 0);
  lm->RescoreNBest(&list, 1);
  lm->EndUtterance();
}

}  // namespace page_lm_fuzz
