// The syllable table's text form, read with a model table (which also writes
// the binary twin and reads nothing more) and without one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/syllable_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_syllable_table_text_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  vok::SymbolTable models(16);
  for (const char* name : {"SIL", "zh", "ong1", "zh(#,ong1)", "a1"}) models.Add(name);
  {
    vok::CSyllableTable table(path.c_str(), &models);
    uint16_t list[64];
    char text[256];
    if (table.PronToModels("zhong1-a1", list, 64) == 0) table.ModelsToText(list, text, sizeof text);
    for (int id = 0; id <= table.syllable_count() && id < 64; ++id) table.GetSyllableModels(id, list, 64);
    table.SplitModelName(3);
    table.AddSyllable("ZHONG1-A1");
  }
  { vok::CSyllableTable names(path.c_str()); }
  std::remove(path.c_str());
  std::remove((path + "_Binary").c_str());
  return 0;
}
