#include "engine/api/tests/engine_tree.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "engine/core/core_lm.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/string_map.h"
#include "engine/core/testing/lm_file_writers.h"

namespace vok::api::testing {

EngineTree::EngineTree() {
  static std::atomic<int> serial{0};
  const auto folder = std::filesystem::temp_directory_path() /
                      ("vok_tree_" + std::to_string(std::random_device{}()) + "_" + std::to_string(serial++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "Code");
  std::filesystem::create_directories(folder / "Data");
  std::filesystem::create_directories(folder / "Users");
  root_ = folder.string();
}

EngineTree::~EngineTree() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void EngineTree::WriteFile(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path path = Path(relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::vector<TreeWord>& TreeWords() {
  static const std::vector<TreeWord> words = {{"\xb0\xcb", "BA1", 50},
                                              {"\xb0\xd6", "BA4", 40},
                                              {"\xc2\xed", "MA3", 30},
                                              {"\xc2\xe8", "MA1", 20},
                                              {"\xd6\xd0", "ZHONG1/ZHONG4", 900},
                                              {"\xb9\xfa", "GUO2", 100},
                                              {"\xd6\xd0\xb9\xfa", "ZHONG1-GUO2", 1000}};
  return words;
}

void EngineTree::AddDialect(const std::string& dialect, bool with_pron, bool with_map) {
  const std::string folder = Path("Data/" + dialect);
  std::filesystem::create_directories(folder);
  WriteLanguageFiles(folder);
  if (!with_pron) std::filesystem::remove(folder + "/Pron");
  if (with_map) WriteFile("Data/" + dialect + "/HMap", "2\nba \xb0\xcb\xb0\xd3\nma \xc2\xe8\n");
}

void WriteLanguageFiles(const std::string& folder, const std::vector<std::string>& characters) {
  // The words, then the class tokens in classes of their own; one class of
  // words after them.
  static const char* const kTokens[] = {"<S>",     "</S>",           "<UNK>",  "<PERSON>", "<PLACE>",
                                        "<IDIOM>", "<ORGANIZATION>", "<DATE>", "<TIME>"};
  const auto& words = TreeWords();
  const int n = static_cast<int>(words.size() + 9 + characters.size());
  std::string text = "Words " + std::to_string(n) + "\nClasses 10\n";
  for (std::size_t w = 0; w < words.size(); ++w)
    text += std::to_string(w) + " " + words[w].text + " 9 " + std::to_string(words[w].count) + "\n";
  for (int t = 0; t < 9; ++t)
    text += std::to_string(words.size() + t) + " " + kTokens[t] + " " + std::to_string(t) + " 5\n";
  for (std::size_t c = 0; c < characters.size(); ++c)
    text += std::to_string(words.size() + 9 + c) + " " + characters[c] + " 9 1\n";
  std::ofstream(folder + "/Lexicon.txt", std::ios::binary) << text;
  vok_testing::OlderClassBigramModel core;
  core.words = n;
  core.classes = 10;
  core.shift = 9;  // as the generated models: 255 steps span the useful costs
  core.person = 3;
  core.place = 4;
  core.table.assign(100, 40);
  vok_testing::WriteFileBytes(folder + "/LM1", core.Write());
  vok::CoreLM model(nullptr, (folder + "/LM1").c_str());
  vok::CLexicon lexicon(nullptr, (folder + "/Lexicon.txt").c_str(), &model, nullptr);
  lexicon.WriteBinary((folder + "/Lexicon").c_str(), 0, 0);
  vok::CLexTree tree(n, "-", false);
  for (std::size_t w = 0; w < words.size(); ++w) tree.AddPronsAt(static_cast<int>(w), words[w].pron, true);
  tree.WriteBinary((folder + "/Pron").c_str());
}

void WriteKeyboardMap(const std::string& data_folder) {
  std::set<std::string> syllables;
  for (const TreeWord& word : TreeWords()) {
    std::string prons = word.pron;
    for (char& c : prons) c = c == '/' || c == '-' ? ' ' : c;
    std::istringstream words(prons);
    for (std::string syllable; words >> syllable;) syllables.insert(syllable);
  }
  std::string text;
  for (const std::string& s : syllables) text += s + " " + s.substr(0, s.size() - 1) + " " + s + "\n";
  const std::string text_path = data_folder + "/Keyboard.txt";
  std::ofstream(text_path, std::ios::binary) << text;
  // The installation's map holds a few hundred keys in a table made for 2000.
  vok::StringMap map(text_path.c_str(), 2000);
  map.WriteBinary((data_folder + "/Keyboard").c_str(), 0x4B);
  std::filesystem::remove(text_path);
}

void EngineTree::AddUser(const std::string& name, const UtteranceSetHeader& header,
                         std::size_t profile_bytes) {
  std::filesystem::create_directories(Path("Users/" + name));
  if (profile_bytes == 0) return;
  const auto bytes = EncodeUtteranceSetHeader(header);
  WriteFile("Users/" + name + "/enroll",
            std::string(reinterpret_cast<const char*>(bytes.data()), std::min(profile_bytes, bytes.size())));
}

UtteranceSetHeader ProfileHeader(std::uint32_t dialect) {
  UtteranceSetHeader header;
  header.dialect = dialect;
  return header;
}

}  // namespace vok::api::testing
