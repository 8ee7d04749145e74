// Writers of the related-character data files: the phrase files and the
// homophone tables, in the forms the providers read. The generators in
// tools/ fill them from the open sources; tests and fuzz seeds use them for
// their fixtures.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wrendle::app {

// One line per key character (lead byte in the low byte), in key order:
// key, ',', the entries (code-page bytes) separated by ',', CR LF. Entries
// are kept in their order without duplicates; empty entries, entries with a
// ',' byte or over 255 bytes are left out, and so are entries that would
// make the line longer than `max_line` bytes with its line end. Keys without
// entries get no line.
inline constexpr std::size_t kMaxPhraseLine = 16000;
std::string WritePhraseFile(const std::map<std::uint16_t, std::vector<std::string>>& entries,
                            std::size_t max_line = kMaxPhraseLine);

struct PhoneTableContents {
  // Per character index its readings, common reading first; empty for none.
  std::vector<std::vector<std::uint16_t>> readings;
  // Per syllable (tone bits 0) and tone 0-4 the characters, most frequent
  // first (at most 1024 are kept per list).
  std::map<std::uint16_t, std::vector<std::vector<std::uint16_t>>> homophones;
};

// The table: magic, records 1, 2, 3 and the end record, the character map
// with its reading lists, the sorted syllables and their lists. Readings
// lists that do not fit the 15-bit offsets keep their first reading only.
std::vector<std::uint8_t> WritePhoneTable(const PhoneTableContents& contents);

}  // namespace wrendle::app
