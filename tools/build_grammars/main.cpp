// build_grammars: the grammar files of a dialect folder's "Grammars" folder:
// "CName", the personal-name grammar in the character-bigram form, from the
// names of jieba's word list; "Spell", the spelling grammar naming each common
// character by a common word of the vocabulary ("Pron.txt") holding it. For
// the Big5 folders the names are carried to Traditional through the
// conversion tables.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "tools/build_grammars/grammar_sources.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/script_conversion.h"
#include "tools/build_language_data/source_text.h"
#include "tools/build_language_data/vocabulary.h"

namespace {

namespace bld = build_language_data;

// The code page of the folder and, for Traditional, the conversion tables.
std::unique_ptr<bld::CodePageText> g_code_page;
std::unique_ptr<bld::ScriptConversion> g_conversion;

std::string ToCodePage(const std::string& utf8) {
  return g_code_page->Convert(g_conversion ? g_conversion->Convert(utf8) : utf8).value_or(std::string());
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::string names_path, pron_path, out, code_page = "GB2312", phrases, characters;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--names") names_path = argv[i + 1];
    if (option == "--pron") pron_path = argv[i + 1];
    if (option == "--out") out = argv[i + 1];
    if (option == "--code-page") code_page = argv[i + 1];
    if (option == "--phrases") phrases = argv[i + 1];
    if (option == "--characters") characters = argv[i + 1];
  }
  if (names_path.empty() || pron_path.empty() || out.empty() ||
      (code_page != "GB2312" && code_page != "BIG5") || phrases.empty() != characters.empty()) {
    std::cerr << "usage: build_grammars --names jieba-dict.txt --pron Pron.txt --out DIR\n"
                 "                      [--code-page GB2312|BIG5] [--phrases TABLE --characters TABLE]\n";
    return 2;
  }
  const auto jieba = bld::ReadSourceText(names_path);
  const auto pron = bld::ReadSourceText(pron_path);
  if (!jieba || !pron) {
    std::cerr << "build_grammars: cannot read the word lists\n";
    return 1;
  }
  g_code_page = std::make_unique<bld::CodePageText>(code_page.c_str());
  if (!g_code_page->valid()) {
    std::cerr << "build_grammars: no " << code_page << " conversion\n";
    return 1;
  }
  if (!phrases.empty()) {
    g_conversion = std::make_unique<bld::ScriptConversion>();
    const auto phrase_text = bld::ReadSourceText(phrases);
    const auto character_text = bld::ReadSourceText(characters);
    if (!phrase_text || !character_text || g_conversion->AddTable(*phrase_text) == 0 ||
        g_conversion->AddTable(*character_text) == 0) {
      std::cerr << "build_grammars: cannot read the conversion tables\n";
      return 1;
    }
  }
  const auto names = build_grammars::PersonalNames(*jieba, ToCodePage, 30);
  const auto words = bld::PronunciationWords(*pron);
  std::error_code error;
  std::filesystem::create_directories(out, error);
  const std::filesystem::path folder = out;
  if (!WriteFile(folder / "CName", build_grammars::NameGrammar(names, "CNAME")) ||
      !WriteFile(folder / "Spell",
                 build_grammars::SpellGrammar(words, 3000, ToCodePage("\xE7\x9A\x84"), "<SPELL>"))) {
    std::cerr << "build_grammars: cannot write into " << out << "\n";
    return 1;
  }
  std::cout << "build_grammars: " << names.size() << " names, " << words.size() << " words into " << out
            << "\n";
  return 0;
}
