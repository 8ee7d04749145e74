#include "app/core/related_data_writers.h"

#include <algorithm>
#include <set>

#include "app/core/homophone_provider.h"
#include "app/core/phone_table.h"

namespace wrendle::app {

namespace {

constexpr char kSeparator = ',';
constexpr std::size_t kMaxEntry = 255;

void AppendWord(std::vector<std::uint8_t>& bytes, std::uint16_t word) {
  bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(word >> 8));
}

void AppendInt32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::string WritePhraseFile(const std::map<std::uint16_t, std::vector<std::string>>& entries,
                            std::size_t max_line) {
  std::string text;
  for (const auto& [key, phrases] : entries) {
    std::string line;
    line.push_back(static_cast<char>(key & 0xFF));
    line.push_back(static_cast<char>(key >> 8));
    std::set<std::string> seen;
    bool any = false;
    for (const std::string& entry : phrases) {
      if (entry.empty() || entry.size() > kMaxEntry || entry.find(kSeparator) != std::string::npos) continue;
      if (line.size() + 1 + entry.size() + 2 > max_line || !seen.insert(entry).second) continue;
      line.push_back(kSeparator);
      line += entry;
      any = true;
    }
    if (any) text += line + "\r\n";
  }
  return text;
}

std::vector<std::uint8_t> WritePhoneTable(const PhoneTableContents& contents) {
  const auto map_count = static_cast<std::uint32_t>(contents.readings.size());
  std::vector<std::uint16_t> map(contents.readings.size(), 0);
  std::vector<std::uint16_t> reading_lists;
  for (std::size_t index = 0; index < contents.readings.size(); ++index) {
    const auto& readings = contents.readings[index];
    if (readings.size() == 1 || (readings.size() > 1 && reading_lists.size() >= 0x8000)) {
      map[index] = readings.front();
    } else if (readings.size() > 1) {
      map[index] = static_cast<std::uint16_t>(0x8000 | reading_lists.size());
      reading_lists.insert(reading_lists.end(), readings.begin(), readings.end());
      reading_lists.push_back(0);
    }
  }
  std::vector<std::uint16_t> syllables;
  std::vector<std::uint16_t> lists;
  for (const auto& [syllable, tones] : contents.homophones) {
    syllables.push_back(syllable);
    for (int tone = 0; tone < kPhoneTones; ++tone) {
      if (static_cast<std::size_t>(tone) < tones.size()) {
        const auto& characters = tones[static_cast<std::size_t>(tone)];
        const std::size_t kept = std::min<std::size_t>(characters.size(), CHomophoneProvider::kMaxItems);
        lists.insert(lists.end(), characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(kept));
      }
      lists.push_back(0);
    }
  }

  constexpr std::uint32_t kDirectoryEnd = 4 + 4 * 16;
  const std::uint32_t map_offset = kDirectoryEnd;
  const auto syllable_offset =
      static_cast<std::uint32_t>(map_offset + 2 * (map.size() + reading_lists.size()));
  const auto lists_offset = static_cast<std::uint32_t>(syllable_offset + 2 * syllables.size());

  std::vector<std::uint8_t> bytes = {'C', 'P', 'C', 'X'};
  auto record = [&bytes](std::uint32_t count, std::uint32_t type, std::uint32_t offset) {
    AppendInt32(bytes, count);
    AppendInt32(bytes, 0);
    AppendInt32(bytes, type);
    AppendInt32(bytes, offset);
  };
  record(map_count, 1, map_offset);
  record(static_cast<std::uint32_t>(syllables.size()), 2, syllable_offset);
  record(static_cast<std::uint32_t>(lists.size()), 3, lists_offset);
  record(0, 0, 0);
  for (const std::uint16_t word : map) AppendWord(bytes, word);
  for (const std::uint16_t word : reading_lists) AppendWord(bytes, word);
  for (const std::uint16_t word : syllables) AppendWord(bytes, word);
  for (const std::uint16_t word : lists) AppendWord(bytes, word);
  return bytes;
}

}  // namespace wrendle::app
