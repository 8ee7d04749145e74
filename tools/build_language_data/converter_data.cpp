#include "tools/build_language_data/converter_data.h"

#include <set>
#include <span>

#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"
#include "engine/SyllableLatticeEngine/converter_files.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/pc_system.h"
#include "engine/SyllableLatticeEngine/sc_system.h"
#include "engine/core/lexicon.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "platform/file_access.h"
#include "tools/build_language_data/code_page_text.h"
#include "tools/build_language_data/language_model.h"

namespace build_language_data {

namespace {

// Word ids from 65500 up are the models' pseudo-words.
constexpr std::size_t kMaxWordIds = 65500;
// Terms checked through the converter after writing.
constexpr std::size_t kCheckedTerms = 20;

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return platform::WriteWholeFile(path, std::span<const std::uint8_t>(bytes, text.size()));
}

}  // namespace

std::string WriteConverterData(const ScriptTables& tables, const std::vector<WordCount>& traditional_counts,
                               const ConverterOptions& options, const std::string& folder) {
  const CodePageText big5("BIG5");
  if (!big5.valid()) return "no Big5 conversion";
  // The Traditional words the converter adds when the lexicon lacks them.
  std::set<std::string> loaded;
  std::set<std::string> alternatives;
  int confusion_keys = 0;
  for (const auto& [gb, forms] : tables.characters) {
    alternatives.insert(forms.begin(), forms.end());
    if (!forms.empty()) ++confusion_keys;
  }
  loaded = alternatives;
  for (const auto& [gb, term] : tables.terms) loaded.insert(term);
  confusion_keys += static_cast<int>(tables.terms.size());
  if (confusion_keys > kConfusionKeys) return std::to_string(confusion_keys) + " confusion keys: too many";

  std::vector<LexiconWord> lexicon;
  std::set<std::string> words;
  for (const WordCount& count : traditional_counts) {
    if (static_cast<int>(lexicon.size()) >= options.lexicon_words) break;
    const auto bytes = big5.Convert(count.word);
    if (!bytes || !words.insert(*bytes).second) continue;
    lexicon.push_back({*bytes, {}});
  }
  std::size_t added = 0;
  for (;;) {
    added = 0;
    for (const std::string& word : loaded) added += words.count(word) == 0 ? 1 : 0;
    const std::size_t total = lexicon.size() + kClassTokenCount + added;
    if (total <= kMaxWordIds) break;
    for (std::size_t cut = total - kMaxWordIds; cut > 0 && !lexicon.empty(); --cut) {
      words.erase(lexicon.back().text);
      lexicon.pop_back();
    }
  }

  LanguageModelOptions model;
  model.exchange_words = 0;  // word counts alone: no bigrams to cluster by
  model.lexicon_name = vok::ConverterFiles::kLexicon;
  model.model_name = vok::ConverterFiles::kModel;
  const std::string error =
      WriteLanguageModel(lexicon, traditional_counts, NgramStatistics(), big5, model, folder);
  if (!error.empty()) return error;
  const std::string character_path = folder + "/" + vok::ConverterFiles::kCharacterMap;
  const std::string term_path = folder + "/" + vok::ConverterFiles::kTermMap;
  if (character_path.size() >= vok::CPCSystem::kFileNameBytes ||
      term_path.size() >= vok::CPCSystem::kFileNameBytes)
    return folder + ": longer than the engine's file names";
  if (!WriteText(character_path, CharacterMapText(tables))) return "cannot write " + character_path;
  if (!WriteText(term_path, TermMapText(tables))) return "cannot write " + term_path;

  vok::Resources resources;
  vok::PutConverterFiles(folder, &resources);
  resources.PutInt("System", "NBestChoices", 1);
  resources.PutInt("Search", "StackSearchBeam", 300);
  resources.PutInt("LMBackend", "WordInsertionPenalty", -50);
  vok::CPCSystem converter(resources);
  if (!converter.back_end() || !converter.back_end()->lexicon())
    return "the converter does not load its back end";
  if (converter.back_end()->lexicon()->entry_count() !=
      static_cast<int>(lexicon.size() + kClassTokenCount + added))
    return "the converter's lexicon refused words";
  if (converter.sc_system()->confusion_engine()->confusion_map()->key_count() != confusion_keys)
    return "the converter's confusion map refused keys";
  if (converter.char_map().key_count() != static_cast<int>(alternatives.size()))
    return "the converter's character map refused keys";
  for (std::size_t i = 0; i < tables.terms.size() && i < kCheckedTerms; ++i) {
    std::string converted;
    converter.ConvertText(tables.terms[i].first.c_str(), &converted);
    if (converted != tables.terms[i].second) return "a term does not convert to its Traditional form";
  }
  return {};
}

}  // namespace build_language_data
