// The user lexicon file; whatever loads is edited and written back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/messages.h"
#include "engine/core/user_lexicon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* quiet = std::fopen("/dev/null", "w");
  vok::SetMessageStreams(quiet, quiet);
  const std::string path = "/tmp/fuzz_user_lexicon_" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  {
    vok::CUserLexicon lexicon(64);
    if (lexicon.Read(path.c_str(), 0) == 0) {
      for (int i = 0; i < lexicon.added_count(); ++i) {
        if (lexicon.pron(i)[0] != '\0') lexicon.core_entry(i);
      }
      if (lexicon.added_count() > 0) lexicon.DeleteWord(lexicon.added_word(0));
      lexicon.AddWord("zz", "z", 1, 2, 3, 4);
      lexicon.Write(path.c_str(), 0, 0);
    }
  }
  std::remove(path.c_str());
  return 0;
}
