// The syllable table's binary form: the input follows the title record.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/syllable_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_syllable_table_binary_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  const uint32_t length = static_cast<uint32_t>(std::strlen(vok::CSyllableTable::kTitle) + 1);
  const unsigned char prefix[4] = {static_cast<unsigned char>(length), 0, 0, 0};
  std::fwrite(prefix, 1, 4, file);
  std::fwrite(vok::CSyllableTable::kTitle, 1, length, file);
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  vok::SymbolTable models(16);
  for (const char* name : {"SIL", "zh", "ong1", "zh(#,ong1)", "a1"}) models.Add(name);
  {
    vok::CSyllableTable table(path.c_str(), &models);
    uint16_t list[64];
    for (int id = 0; id <= table.syllable_count() && id < 64; ++id) table.GetSyllableModels(id, list, 64);
    table.GetModelFanout(1);
    table.WriteBinary((path + "_again").c_str());
  }
  std::remove(path.c_str());
  std::remove((path + "_again").c_str());
  return 0;
}
