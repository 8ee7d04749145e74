#include "tools/build_language_data/keyboard_converter_stages.h"

#include <charconv>
#include <iostream>
#include <map>
#include <unordered_map>

#include "tools/build_language_data/converter_data.h"
#include "tools/build_language_data/keyboard_map.h"
#include "tools/build_language_data/script_tables.h"
#include "tools/build_language_data/source_text.h"
#include "tools/text_codec/text_codec.h"

namespace build_language_data {

namespace {

// "--name value" pairs; false for anything else or an unknown name.
bool ParsePairs(const std::vector<std::string>& arguments, const std::vector<std::string>& names,
                std::multimap<std::string, std::string>* values) {
  if (arguments.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    bool known = false;
    for (const std::string& name : names) known = known || arguments[i] == "--" + name;
    if (!known) return false;
    values->emplace(arguments[i].substr(2), arguments[i + 1]);
  }
  return true;
}

std::string Value(const std::multimap<std::string, std::string>& values, const std::string& name) {
  const auto it = values.find(name);
  return it == values.end() ? std::string() : it->second;
}

}  // namespace

int RunKeyboardStage(const std::vector<std::string>& arguments) {
  std::multimap<std::string, std::string> values;
  if (!ParsePairs(arguments, {"data", "dialect"}, &values) || Value(values, "data").empty() ||
      values.count("dialect") == 0) {
    std::cerr << "usage: build_language_data keyboard --data DIR --dialect DIR [--dialect DIR ...]\n";
    return 2;
  }
  const std::string data = Value(values, "data");
  std::vector<std::string> dialects;
  for (auto [it, end] = values.equal_range("dialect"); it != end; ++it) dialects.push_back(it->second);
  std::string error = WriteKeyboardMap(dialects, data);
  for (const std::string& dialect : dialects) {
    if (error.empty()) error = WriteKeyboardKeys(dialect, data);
  }
  if (!error.empty()) {
    std::cerr << "build_language_data keyboard: " << error << "\n";
    return 1;
  }
  std::cout << data << ": keyboard map of " << dialects.size() << " dialect folders\n";
  return 0;
}

int RunConverterStage(const std::vector<std::string>& arguments) {
  std::multimap<std::string, std::string> values;
  ConverterOptions options;
  const bool parsed =
      ParsePairs(arguments, {"data", "characters", "phrases", "reverse", "frequencies", "words"}, &values);
  const std::string words = Value(values, "words");
  if (!words.empty()) {
    const auto [end, error] =
        std::from_chars(words.data(), words.data() + words.size(), options.lexicon_words);
    if (error != std::errc() || end != words.data() + words.size() || options.lexicon_words < 1)
      options.lexicon_words = -1;
  }
  if (!parsed || options.lexicon_words < 1) {
    std::cerr
        << "usage: build_language_data converter --data DIR --characters STCharacters.txt --phrases "
           "STPhrases.txt\n"
           "                           --reverse TSCharacters.txt --frequencies essay.txt [--words N]\n";
    return 2;
  }
  std::unordered_map<std::string, std::optional<std::string>> texts;
  for (const char* name : {"characters", "phrases", "reverse", "frequencies"}) {
    const std::string path = Value(values, name);
    texts[name] = path.empty() ? std::nullopt : ReadSourceText(path);
    if (!texts[name]) {
      std::cerr << "build_language_data converter: cannot read --" << name << " " << path << "\n";
      return 1;
    }
  }
  const tools::TextCodec gb_to_utf8("GB2312", "UTF-8"), utf8_to_gb("UTF-8", "GB2312"),
      utf8_to_big5("UTF-8", "BIG5");
  if (!gb_to_utf8.valid() || !utf8_to_gb.valid() || !utf8_to_big5.valid()) {
    std::cerr << "build_language_data converter: no code-page conversion\n";
    return 1;
  }
  const std::vector<WordCount> counts = ReadWordCounts(*texts["frequencies"]);
  std::unordered_map<std::string, int64_t> count_of;
  for (const WordCount& c : counts) {
    if (const auto big5 = utf8_to_big5.Convert(c.word)) count_of.emplace(*big5, c.count);
  }
  const ScriptTables tables =
      BuildScriptTables({*texts["characters"], *texts["phrases"], *texts["reverse"]}, gb_to_utf8, utf8_to_gb,
                        utf8_to_big5, kConfusionKeys, [&](const std::string& term) {
                          const auto it = count_of.find(term);
                          return it == count_of.end() ? int64_t{0} : it->second;
                        });
  const std::string data = Value(values, "data");
  const std::string error = WriteConverterData(tables, counts, options, data);
  if (!error.empty()) {
    std::cerr << "build_language_data converter: " << error << "\n";
    return 1;
  }
  std::cout << data << ": " << tables.characters.size() << " characters, " << tables.terms.size()
            << " terms for the converter\n";
  return 0;
}

}  // namespace build_language_data
