// The kernel's feature dictionary from the input, as the base and as the
// learned file: loaded, then one recognition and one learning.
#include "fuzz/kernel_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kernel_fuzz::Run(kernel_fuzz::KernelFile::kFeatures, data, size);
  return 0;
}
