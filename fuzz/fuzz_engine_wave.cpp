// A wave file as the engine's audio session opens it for input: header test,
// then every sample read in blocks, with a jump back and one past the end.
#include <cstdint>
#include <vector>

#include "engine/api/wave_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::ScratchFile("input.wav");
  fuzz_support::WriteFile(path, {data, size});
  vok::api::CWaveFile file;
  if (!file.OpenForReading(path)) return 0;
  std::vector<std::int16_t> block(4290);
  std::size_t total = 0;
  while (const std::size_t read = file.Read(block)) total += read;
  if (total != file.SampleCount()) __builtin_trap();
  file.SetReadPosition(static_cast<std::uint32_t>(total / 2));
  file.Read(block);
  file.SetReadPosition(0xFFFFFFFFu);
  if (file.Read(block) != 0) __builtin_trap();
  return 0;
}
