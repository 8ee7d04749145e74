// The semi-class trigram's mass file beside a small valid model.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/core/testing/lm_file_writers.h"
#include "page_lm_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  page_lm_fuzz::Quiet();
  const std::string path = page_lm_fuzz::ScratchPath("fuzz_page_lm_masses");
  static const vok_testing::Bytes model = [] {
    vok_testing::SemiClassTrigramModel m;
    m.version = 1;
    m.classes = 4;
    m.shift = 4;
    m.average_backoff = 500;
    for (const char* text : {"w3", "w4", "c2"}) {
      vok_testing::SemiClassTrigramModel::Word w;
      w.text = text;
      w.unigram = 40;
      w.records[{1, 2}] = 300;
      w.records[{1, 65535}] = 20;
      m.words.push_back(w);
    }
    m.class_words = {2, 2, 2, 0};
    return m.Write();
  }();
  if (!vok_testing::WriteFileBytes(path, model) || !page_lm_fuzz::WriteInput(path + "a", data, size))
    return 0;
  {
    vok::PageLM lm(path.c_str(), 3, 1.0f, 64);
    page_lm_fuzz::Exercise(&lm);
  }
  std::remove(path.c_str());
  std::remove((path + "a").c_str());
  return 0;
}
