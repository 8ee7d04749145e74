// The page model's cache file, loaded into a model without a file and looked
// up.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "page_lm_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  page_lm_fuzz::Quiet();
  const std::string path = page_lm_fuzz::ScratchPath("fuzz_page_lm_cache");
  if (!page_lm_fuzz::WriteInput(path, data, size)) return 0;
  {
    vok::PageLM lm(nullptr, 3, 1.0f, 0);
    const int held = lm.LoadCache(path.c_str());
    if (held < 0 || (held > 0 && (!lm.cache() || lm.cache()->count() != held))) __builtin_trap();
    page_lm_fuzz::Exercise(&lm);
  }
  std::remove(path.c_str());
  return 0;
}
