// build_grammars: the grammar files of a dialect folder's "Grammars" folder:
// "CName", the personal-name grammar in the character-bigram form, from the
// names of jieba's word list; "Spell", the spelling grammar naming each common
// character by a common word of the vocabulary ("Pron.txt") holding it.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/build_grammars/grammar_sources.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/vocabulary.h"

namespace {

const build_language_data::CodePageText& Gb2312() {
  static const build_language_data::CodePageText converter("GB2312");
  return converter;
}

std::string ToGb2312(const std::string& utf8) { return Gb2312().Convert(utf8).value_or(std::string()); }

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::string names_path, pron_path, out;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--names") names_path = argv[i + 1];
    if (option == "--pron") pron_path = argv[i + 1];
    if (option == "--out") out = argv[i + 1];
  }
  if (names_path.empty() || pron_path.empty() || out.empty()) {
    std::cerr << "usage: build_grammars --names jieba-dict.txt --pron Pron.txt --out DIR\n";
    return 2;
  }
  std::string jieba, pron;
  if (!ReadFile(names_path, &jieba) || !ReadFile(pron_path, &pron)) {
    std::cerr << "build_grammars: cannot read the word lists\n";
    return 1;
  }
  if (!Gb2312().valid()) {
    std::cerr << "build_grammars: no GB2312 conversion\n";
    return 1;
  }
  const auto names = build_grammars::PersonalNames(jieba, ToGb2312, 30);
  const auto words = build_language_data::PronunciationWords(pron);
  std::error_code error;
  std::filesystem::create_directories(out, error);
  const std::filesystem::path folder = out;
  if (!WriteFile(folder / "CName", build_grammars::NameGrammar(names, "CNAME")) ||
      !WriteFile(folder / "Spell",
                 build_grammars::SpellGrammar(words, 3000, ToGb2312("\xE7\x9A\x84"), "<SPELL>"))) {
    std::cerr << "build_grammars: cannot write into " << out << "\n";
    return 1;
  }
  std::cout << "build_grammars: " << names.size() << " names, " << words.size() << " words into " << out
            << "\n";
  return 0;
}
