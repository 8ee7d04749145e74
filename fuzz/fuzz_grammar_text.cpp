// Grammar files of every form: the unit form, the two character-bigram forms
// and, behind the magic, the binary form.
#include <cstddef>
#include <cstdint>

#include "fuzz/grammar_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return grammar_fuzz::Run(data, size, "");
}
