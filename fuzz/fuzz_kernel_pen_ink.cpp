// The kernel's pen-ink file from the input, rebuilt into learned files: loaded, then one recognition and one
// learning.
#include "fuzz/kernel_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kernel_fuzz::Run(kernel_fuzz::KernelFile::kPenInk, data, size);
  return 0;
}
