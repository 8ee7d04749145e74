// The kernel's cluster file from the input, as the base file: loaded, then one recognition and one learning.
#include "fuzz/kernel_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kernel_fuzz::Run(kernel_fuzz::KernelFile::kClusters, data, size);
  return 0;
}
