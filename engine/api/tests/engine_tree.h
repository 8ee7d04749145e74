// A small install tree in a folder of its own: "Code", "Data/<dialect>" with
// its data files, "Users/<name>" with profiles written by the header writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/api/utterance_set_header.h"

namespace vok::api::testing {

class EngineTree {
 public:
  EngineTree();
  ~EngineTree();
  EngineTree(const EngineTree&) = delete;
  EngineTree& operator=(const EngineTree&) = delete;

  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // "Data/<dialect>" with the files of WriteLanguageFiles and "HMap".
  void AddDialect(const std::string& dialect, bool with_pron = true, bool with_map = true);
  // "Users/<name>" with an "enroll" profile of `profile_bytes` bytes (0: none).
  void AddUser(const std::string& name, const UtteranceSetHeader& header, std::size_t profile_bytes = 208);
  void WriteFile(const std::string& relative, const std::string& bytes) const;

 private:
  std::string root_;
};

UtteranceSetHeader ProfileHeader(std::uint32_t dialect);

// The words of a tree's lexicon (GB2312), their pronunciations and counts.
struct TreeWord {
  const char* text;
  const char* pron;
  int count;
};
const std::vector<TreeWord>& TreeWords();

// A dialect folder's language files, made with the project's writers:
// "Lexicon.txt", the binary "Lexicon" (the words of TreeWords, then the
// class tokens, then `characters`), the core model "LM1" and the
// pronunciation tree "Pron" (of the words of TreeWords).
void WriteLanguageFiles(const std::string& folder, const std::vector<std::string>& characters = {});

// "Keyboard" in the "Data" folder given: the binary keyboard map of the
// syllables of TreeWords as an installation keys them, by their letters and
// by their letters and tone ("ZHONG" and "ZHONG1" give ZHONG1).
void WriteKeyboardMap(const std::string& data_folder);

}  // namespace vok::api::testing
