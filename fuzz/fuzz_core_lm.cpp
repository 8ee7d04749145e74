// The core model's class bigram file; whatever loads is bound to a small word
// list and scored.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/core_lm.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_core_lm_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  {
    vok::CoreLM lm(nullptr, path.c_str());
    if (lm.status() == 0) {
      vok::SymbolTable words(8);
      const char* names[] = {"<S>", "</S>", "<UNK>", "a"};
      lm.AllocWords(4);
      for (int i = 0; i < 4; ++i) {
        words.Add(names[i]);
        lm.SetWordCount(i, i, i + 1);
      }
      lm.BindClassTokens(words);
      lm.ComputeScores();
      lm.AddPseudoWords(240);
      lm.ApplySentenceEndRule();
      const uint16_t ids[] = {3, 2, 65535, 65500, 1};
      lm.GetSentenceScore(ids, 5, nullptr);
      lm.GetBigramSum(ids, 5);
    }
  }
  std::remove(path.c_str());
  return 0;
}
