#include "tools/build_language_data/vocabulary.h"

#include <set>
#include <span>
#include <sstream>

#include "engine/core/lex_tree.h"
#include "engine/core/syllable_table.h"
#include "platform/file_access.h"
#include "tools/build_language_data/pinyin.h"

namespace build_language_data {

namespace {

// Readers take lines of up to 512 bytes; a word keeps the alternatives that
// fit.
constexpr std::size_t kMaxPronField = 400;

std::string JoinPron(const Pronunciation& pron) {
  std::string text;
  for (const std::string& syllable : pron) text += (text.empty() ? "" : "-") + syllable;
  return text;
}

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return platform::WriteWholeFile(path, std::span<const std::uint8_t>(bytes, text.size()));
}

}  // namespace

std::vector<LexiconWord> SelectLexicon(const std::vector<WordCount>& counts,
                                       const PronunciationSources& sources,
                                       PronunciationSources::Script script, const CodePageText& code_page,
                                       int max_words,
                                       const std::function<bool(const std::string&)>& spellable) {
  std::vector<LexiconWord> lexicon;
  std::set<std::string> seen;
  for (const WordCount& count : counts) {
    if (static_cast<int>(lexicon.size()) >= max_words) break;
    const auto bytes = code_page.Convert(count.word);
    if (!bytes || !seen.insert(*bytes).second) continue;
    LexiconWord word{*bytes, {}};
    std::size_t field = 0;
    for (const Pronunciation& pron : sources.Lookup(count.word, script)) {
      bool ok = true;
      for (const std::string& syllable : pron) ok = ok && spellable(syllable);
      const std::size_t length = JoinPron(pron).size() + 1;
      if (!ok || field + length > kMaxPronField) continue;
      field += length;
      word.prons.push_back(pron);
    }
    if (!word.prons.empty()) lexicon.push_back(std::move(word));
  }
  return lexicon;
}

std::vector<std::string> LexiconSyllables(const std::vector<LexiconWord>& lexicon) {
  std::set<std::string> syllables;
  for (const LexiconWord& word : lexicon) {
    for (const Pronunciation& pron : word.prons) syllables.insert(pron.begin(), pron.end());
  }
  return {syllables.begin(), syllables.end()};
}

std::string SyllableText(const std::vector<std::string>& syllables, const std::vector<std::string>* models) {
  std::string text =
      "# Toned syllables (tone 5 neutral) and the HMM names that spell them.\n"
      "%BEGIN <SYLLABLE>\n";
  for (const std::string& syllable : syllables) {
    const auto names = SpellSyllable(syllable, models);
    if (!names) continue;
    text += syllable;
    for (const std::string& name : *names) text += " " + name;
    text += "\n";
  }
  text += "%END\n";
  return text;
}

std::string PronunciationText(const std::vector<LexiconWord>& lexicon) {
  std::string text = "Pronunciations " + std::to_string(lexicon.size()) + "\n";
  text += "# one line per word id: syllables joined by -, alternatives by /, then the word\n";
  for (const LexiconWord& word : lexicon) {
    std::string field;
    for (const Pronunciation& pron : word.prons) field += (field.empty() ? "" : "/") + JoinPron(pron);
    text += field + " " + word.text + "\n";
  }
  return text;
}

std::string WriteVocabulary(const std::vector<LexiconWord>& lexicon, const std::vector<std::string>* models,
                            const std::string& folder) {
  const std::string syllable_path = folder + "/Syllable";
  const std::string text_path = folder + "/Pron.txt";
  const std::string binary_path = folder + "/Pron";
  if (!WriteText(syllable_path, SyllableText(LexiconSyllables(lexicon), models))) {
    return "cannot write " + syllable_path;
  }
  if (!WriteText(text_path, PronunciationText(lexicon))) return "cannot write " + text_path;
  vok::CSyllableTable syllables(syllable_path.c_str());
  if (syllables.status() != 0) return "cannot read back " + syllable_path;
  vok::CLexTree tree(text_path.c_str(), *syllables.syllables(), "-", false);
  if (tree.status() != 0 || tree.entry_count() != static_cast<int>(lexicon.size())) {
    return "cannot read back " + text_path;
  }
  if (tree.WriteBinary(binary_path.c_str()) != 0) return "cannot write " + binary_path;
  return {};
}

std::vector<std::string> PronunciationWords(const std::string& pron_text) {
  std::vector<std::string> words;
  std::istringstream lines(pron_text);
  std::string line;
  bool header = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (header) {
      header = false;
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find_last_of(" \t");
    words.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
  }
  return words;
}

}  // namespace build_language_data
