// The binary grammar form: the input follows the magic.
#include <cstddef>
#include <cstdint>

#include "fuzz/grammar_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return grammar_fuzz::Run(data, size, vok::CGrammar::kBinaryMagic);
}
