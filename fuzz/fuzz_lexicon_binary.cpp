// The lexicon's binary form over a small class bigram model; whatever loads is
// looked up, edited and written.
#include <cstddef>
#include <cstdint>

#include "fuzz/lexicon_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return lexicon_fuzz::Run(data, size, lexicon_fuzz::Form::kBinary);
}
