// The homophone map file of a dialect folder; every pronunciation it took is
// looked up again and its first two characters taken.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/api/homophone_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = "/tmp/fuzz_homophone_map_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  vok::api::CHomophoneMap map;
  if (map.Load(path) == vok::api::kVokOk) {
    std::uint16_t first = 0, second = 0;
    for (const char* probe : {"ba", "MA", "", "zhuang"}) {
      if (const char* text = map.Find(probe)) vok::api::FirstTwoCharacters(text, &first, &second);
    }
  }
  std::remove(path.c_str());
  return 0;
}
