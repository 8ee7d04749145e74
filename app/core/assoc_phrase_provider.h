// CAssocPhraseProvider: the phrases that continue a key character, grouped
// by their length in characters, from the phrase file of the recognizer
// language ("cchar.txt" Big5, "schar.txt" GB2312).
//
// Phrase file: one line per key character, LF or CR LF. Bytes 0-1 are the
// key character, byte 2 the separator of that line; from byte 3 on the
// entries, each the text that follows the key in a phrase, separated by the
// separator. The first line of a key counts. Lines that do not fit the index
// buffer are skipped; empty entries and entries over 255 bytes are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/char_provider.h"

namespace wrendle::app {

class CAssocPhraseProvider : public CCharProvider {
 public:
  static constexpr std::size_t kIndexBufferSize = 0x4000;  // longest line, its line end included
  static constexpr std::size_t kKeyTextSize = 128;         // key text, its terminator included
  static constexpr int kMaxGroups = 10;
  static constexpr std::size_t kMaxEntryLength = 255;

  // `path`: the phrase file, opened at each SetKey; `language` 2000 or 4000,
  // any other language has no phrases.
  CAssocPhraseProvider(int language, std::string path);

  void NotifyList(std::uint16_t code) override;
  // With the keep flag clear: a different character becomes the key text,
  // 0 empties it, the same character keeps the text typed beyond it; the
  // character's entries are loaded (and narrowed to that text). Returns the
  // group count.
  int SetKey(std::uint16_t character) override;
  int SelectGroup(int group) override;
  // The group's number of characters ("%d").
  const char* GetGroupLabel(int group, int keep) override;
  // The n-th entry of the selected group without the text already typed.
  const char* GetItem(int item, int keep) override;
  // Types the item onto the key text (not past kKeyTextSize), tells the other
  // providers, narrows the entries; returns the group count.
  int AppendItem(int item) override;
  const char* GetKey() override;

  // What the main frame's associated-phrase list shows: whether the key text
  // starts with `character` (entries loaded for it), the number of entries
  // of the key, and the first two bytes of entry `index`.
  bool HoldsKey(std::uint16_t character) const;
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  std::string EntryHead(int index) const;

  int group_count() const { return static_cast<int>(group_lengths_.size()); }

 private:
  struct IndexedLine {
    std::uint64_t offset;
    std::uint16_t key;
    std::uint16_t length;  // without the line end
  };
  struct Entry {
    std::uint16_t offset;
    std::uint8_t length;
    bool in_view;
  };

  bool BuildIndex();
  void LoadEntries(std::uint16_t character);
  void Narrow();
  void BuildGroups();
  std::size_t TypedLength() const;
  const Entry* MatchingEntry(int item) const;

  int language_;
  std::string path_;
  std::string key_text_;
  bool indexed_ = false;
  std::vector<IndexedLine> index_;
  std::string line_;
  std::vector<Entry> entries_;
  std::vector<int> group_lengths_;  // in bytes, ascending
  int selected_ = -1;
  std::string label_;
};

}  // namespace wrendle::app
