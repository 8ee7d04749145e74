// The page model's file, in any of its forms; whatever loads is bound to a
// small word list and scored.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "page_lm_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  page_lm_fuzz::Quiet();
  const std::string path = page_lm_fuzz::ScratchPath("fuzz_page_lm");
  if (!page_lm_fuzz::WriteInput(path, data, size)) return 0;
  {
    vok::PageLM lm(path.c_str(), 3, 1.0f, 64);
    page_lm_fuzz::Exercise(&lm);
  }
  std::remove(path.c_str());
  return 0;
}
