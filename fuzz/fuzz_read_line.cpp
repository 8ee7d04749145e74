// ReadLine over any file content, with buffers of several sizes: every call
// stays within its buffer and the reader always reaches the end of the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/core/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const std::size_t buffer_size : {1u, 16u, 255u, 256u, 1024u}) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::rewind(file);
    std::vector<char> buffer(buffer_size);
    // Each call consumes at least one byte until the end, so the loop ends.
    for (std::size_t calls = 0; calls <= size + 1; ++calls) {
      const std::size_t length = wrendle::app::ReadLine(buffer.data(), buffer.size(), file);
      if (length >= buffer_size) std::abort();
      if (length == 0 && std::feof(file)) break;
    }
    if (!std::feof(file) && size > 0) {
      char probe;
      if (std::fread(&probe, 1, 1, file) == 1) std::abort();  // a line was never consumed
    }
    std::fclose(file);
  }
  return 0;
}
