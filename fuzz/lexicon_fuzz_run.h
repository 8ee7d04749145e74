// The lexicon fuzz targets' shared run: the input as a lexicon of one form
// over a small class bigram model; whatever loads is looked up, edited and
// written.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"

namespace lexicon_fuzz {

// An older-form model of 4 classes.
inline std::string WriteModel(const std::string& name) {
  const std::string path = "/tmp/fuzz_" + name + "_model_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return path;
  unsigned char header[512] = {0, 0, 2, 0};
  const unsigned char fields[] = {0, 0, 0, 100, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 2, 0x3F, 0x80, 0x03, 0x47};
  for (std::size_t i = 0; i < sizeof fields; ++i) header[256 + i] = fields[i];
  std::fwrite(header, 1, sizeof header, file);
  unsigned char table[16];
  for (int i = 0; i < 16; ++i) table[i] = static_cast<unsigned char>(i * 7);
  std::fwrite(table, 1, sizeof table, file);
  std::fclose(file);
  return path;
}

enum class Form { kText, kBinary };

// Loads the input as a lexicon of the given form, then looks up, edits and
// writes whatever loaded.
inline int Run(const std::uint8_t* data, std::size_t size, Form form) {
  const std::string name = form == Form::kText ? "lexicon_text" : "lexicon_binary";
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  static const std::string model = WriteModel(name);
  const std::string path = "/tmp/fuzz_" + name + "_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  {
    vok::CoreLM core(nullptr, model.c_str());
    vok::CLexicon lexicon = form == Form::kText ? vok::CLexicon(nullptr, path.c_str(), &core, nullptr)
                                                : vok::CLexicon(path.c_str(), &core, nullptr, 0);
    if (lexicon.status() == 0) {
      for (int id = 0; id < lexicon.entry_count() && id < 256; ++id) {
        const char* word = lexicon.WordIDToString(id);
        if (word) lexicon.StringToWordID(word);
        core.GetBigramScore(id, id + 1);
      }
      lexicon.TextToWordIDs("<S> </S>");
      lexicon.AddWord("zz", 3, 10, 3, 10);
      lexicon.RemoveWord("<S>");
      lexicon.WriteBinary(path.c_str(), 0, 0);
    }
  }
  std::remove(path.c_str());
  return 0;
}

}  // namespace lexicon_fuzz
