#include "tools/build_phone_tables/phone_table_source.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "app/core/phone_table.h"
#include "app/core/reading_code.h"
#include "common/recognition_types.h"
#include "tools/build_language_data/pinyin.h"
#include "tools/build_phone_tables/pinyin_reading.h"

namespace build_phone_tables {

namespace {

std::string Utf8Of(char32_t point) {
  std::string text;
  if (point < 0x80) {
    text.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    text.push_back(static_cast<char>(0xC0 | point >> 6));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | point >> 12));
    text.push_back(static_cast<char>(0x80 | (point >> 6 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | point >> 18));
    text.push_back(static_cast<char>(0x80 | (point >> 12 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (point >> 6 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
  return text;
}

// The characters of a UTF-8 text.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t width = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    characters.push_back(text.substr(i, width));
    i += width;
  }
  return characters;
}

void AddReading(std::vector<std::string>& readings, const std::string& marked) {
  const auto numbered = build_language_data::SyllableFromMarked(marked);
  if (numbered && std::find(readings.begin(), readings.end(), *numbered) == readings.end())
    readings.push_back(*numbered);
}

}  // namespace

CharacterReadings ParseUnihanReadings(const std::string& text) {
  std::map<std::string, std::vector<std::string>> mandarin, dictionary;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.starts_with("U+")) continue;
    const std::size_t tab = line.find('\t');
    const std::size_t second = tab == std::string::npos ? tab : line.find('\t', tab + 1);
    if (second == std::string::npos) continue;
    const std::string field = line.substr(tab + 1, second - tab - 1);
    if (field != "kMandarin" && field != "kXHC1983") continue;
    const char32_t point = static_cast<char32_t>(std::stoul(line.substr(2, tab - 2), nullptr, 16));
    std::istringstream values(line.substr(second + 1));
    auto& readings = (field == "kMandarin" ? mandarin : dictionary)[Utf8Of(point)];
    for (std::string value; values >> value;) {
      // kXHC1983: "page.position[,page.position]:reading".
      const std::size_t colon = value.find(':');
      AddReading(readings, colon == std::string::npos ? value : value.substr(colon + 1));
    }
  }
  CharacterReadings all = mandarin;
  for (const auto& [character, readings] : dictionary) {
    auto& merged = all[character];
    for (const std::string& reading : readings)
      if (std::find(merged.begin(), merged.end(), reading) == merged.end()) merged.push_back(reading);
  }
  return all;
}

std::map<std::string, std::int64_t> CharacterFrequencies(
    const std::vector<build_language_data::WordCount>& words) {
  std::map<std::string, std::int64_t> frequencies;
  for (const build_language_data::WordCount& word : words) {
    std::set<std::string> seen;
    for (const std::string& character : Characters(word.word))
      if (seen.insert(character).second) frequencies[character] += word.count;
  }
  return frequencies;
}

wrendle::app::PhoneTableContents BuildPhoneTable(const CharacterReadings& readings,
                                                 const std::map<std::string, std::int64_t>& frequencies,
                                                 const build_language_data::CodePageText& code_page,
                                                 int language, BuildSummary* summary) {
  wrendle::app::PhoneTableContents contents;
  contents.readings.resize(language == wrendle::kLanguageTraditionalChinese
                               ? wrendle::app::kBig5PhoneCharacters
                               : wrendle::app::kGb2312PhoneCharacters);
  struct Member {
    std::int64_t count;
    std::uint16_t character;
  };
  std::map<std::uint16_t, std::vector<std::vector<Member>>> members;
  BuildSummary totals;
  for (const auto& [utf8, numbered] : readings) {
    const auto bytes = code_page.Convert(utf8);
    if (!bytes || bytes->size() != 2) continue;
    const auto character = static_cast<std::uint16_t>(static_cast<unsigned char>((*bytes)[0]) |
                                                      static_cast<unsigned char>((*bytes)[1]) << 8);
    const auto index = wrendle::app::PhoneTableIndex(language, character);
    if (!index) continue;
    const auto frequency = frequencies.find(utf8);
    const std::int64_t count = frequency == frequencies.end() ? 0 : frequency->second;
    auto& codes = contents.readings[static_cast<std::size_t>(*index)];
    for (const std::string& syllable : numbered) {
      const auto code = ReadingOfSyllable(syllable);
      if (!code) {
        ++totals.readings_left;
        continue;
      }
      if (std::find(codes.begin(), codes.end(), *code) != codes.end()) continue;
      codes.push_back(*code);
      auto& tones = members[wrendle::app::SyllableOf(*code)];
      tones.resize(wrendle::app::kPhoneTones);
      tones[static_cast<std::size_t>(wrendle::app::ToneOf(*code))].push_back({count, character});
    }
    if (!codes.empty()) ++totals.characters;
  }
  for (auto& [syllable, tones] : members) {
    auto& lists = contents.homophones[syllable];
    for (auto& list : tones) {
      std::stable_sort(list.begin(), list.end(), [](const Member& a, const Member& b) {
        if (a.count != b.count) return a.count > b.count;
        // Code order: lead byte first.
        return ((a.character & 0xFF) << 8 | a.character >> 8) <
               ((b.character & 0xFF) << 8 | b.character >> 8);
      });
      std::vector<std::uint16_t> characters;
      for (const Member& member : list) characters.push_back(member.character);
      lists.push_back(std::move(characters));
    }
  }
  if (summary != nullptr) *summary = totals;
  return contents;
}

}  // namespace build_phone_tables
