#include "engine/core/string_map.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/messages.h"
#include "engine/core/symbol_table.h"
#include "engine/core/text.h"

namespace vok {
namespace {

constexpr int kKeyBlock = 200;
constexpr int kValueBlock = 400;
constexpr int kLinkBlock = 100;
constexpr int kStringBlock = 2000;

int PoolExhausted() { return ErrorSet("ObjectMemMgr()", -1, "errCannotAllocateMemory"); }

}  // namespace

StringMap::StringMap(int size)
    : table_(size, KeyOf),
      keys_(kKeyBlock, kKeyEntryBytes),
      values_(kValueBlock, kValueRecordBytes),
      links_(kLinkBlock, kValueLinkBytes),
      strings_(kStringBlock) {}

StringMap::StringMap(const char* text_path, int size) : StringMap(size) {
  if (text_path && FileExists(text_path)) ReadText(text_path);
}

StringMap::~StringMap() = default;

const StringMap::KeyEntry* StringMap::FindKey(const char* key) const {
  if (!key) return nullptr;
  return table_.Lookup(key, static_cast<int>(std::strlen(key)));
}

StringMap::KeyEntry* StringMap::FindOrMakeKey(const char* key) {
  const std::size_t length = std::strlen(key);
  if (length > static_cast<std::size_t>(kMaxStringLength)) return nullptr;
  KeyEntry* entry = table_.Find(key, static_cast<int>(length));
  if (entry) return entry;
  if (table_.count() >= table_.capacity()) {
    KeyEntry probe;
    probe.key = key;
    probe.key_length = static_cast<int32_t>(length);
    table_.Insert(&probe);  // reports the full table and takes nothing
    return nullptr;
  }
  const char* stored = strings_.CopyString(key, static_cast<int>(length));
  if (!stored || keys_.New(&entry) < 0 || !entry) {
    PoolExhausted();
    return nullptr;
  }
  entry->key = stored;
  entry->key_length = static_cast<int32_t>(length);
  entry->first = nullptr;
  if (table_.Insert(entry) != 0) return nullptr;
  return entry;
}

StringMap::ValueRecord* StringMap::Append(KeyEntry* entry, const char* value, int count) {
  const std::size_t length = std::strlen(value);
  if (length > static_cast<std::size_t>(kMaxStringLength)) return nullptr;
  ValueRecord* record = nullptr;
  ValueLink* link = nullptr;
  const char* stored = strings_.CopyString(value, static_cast<int>(length));
  if (!stored || values_.New(&record) < 0 || !record || links_.New(&link) < 0 || !link) {
    PoolExhausted();
    return nullptr;
  }
  record->value = stored;
  record->count = static_cast<int16_t>(count < 0 ? 0 : (count > kMaxCount ? kMaxCount : count));
  link->record = record;
  link->next = nullptr;
  if (!entry->first) {
    entry->first = link;
  } else {
    ValueLink* last = entry->first;
    while (last->next) last = last->next;
    last->next = link;
  }
  return record;
}

StringMap::ValueRecord* StringMap::Add(const char* key, const char* value, int count) {
  if (!key || !value || std::strlen(value) > static_cast<std::size_t>(kMaxStringLength)) return nullptr;
  KeyEntry* entry = FindOrMakeKey(key);
  return entry ? Append(entry, value, count) : nullptr;
}

const StringMap::ValueLink* StringMap::Lookup(const char* key) const {
  const KeyEntry* entry = FindKey(key);
  return entry ? entry->first : nullptr;
}

int StringMap::Count(const char* key, const char* value) {
  if (!key || !value || std::strlen(value) > static_cast<std::size_t>(kMaxStringLength)) return -1;
  KeyEntry* entry = FindOrMakeKey(key);
  if (!entry) return -1;
  for (ValueLink* link = entry->first; link; link = link->next) {
    if (std::strcmp(link->record->value, value) == 0) {
      if (link->record->count < kMaxCount) ++link->record->count;
      return link->record->count;
    }
  }
  return Append(entry, value, 1) ? 1 : -1;
}

void StringMap::AddToSymbolTable(SymbolTable* table, int flag) const {
  if (!table) return;
  ForEachKey([table, flag](const KeyEntry* entry) {
    table->Add(entry->key);
    if (flag != 0) {
      for (const ValueLink* link = entry->first; link; link = link->next) table->Add(link->record->value);
    }
  });
}

int StringMap::ReadText(const char* path) {
  std::FILE* stream = path ? std::fopen(path, "r") : nullptr;
  if (!stream) return -1;
  int lines = 0;
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    ++lines;
    const std::vector<std::string> tokens = SplitTokens(line);
    if (tokens.size() < 2) continue;
    if (tokens[0].size() > static_cast<std::size_t>(kMaxTextValueLength)) {
      WarningMessage("StringMap: value of line %d longer than %d bytes, line skipped", lines,
                     kMaxTextValueLength);
      continue;
    }
    for (std::size_t i = 1; i < tokens.size(); ++i) {
      if (tokens[i].size() > static_cast<std::size_t>(kMaxStringLength)) {
        WarningMessage("StringMap: key of line %d longer than %d bytes, key skipped", lines,
                       kMaxStringLength);
        continue;
      }
      Add(tokens[i].c_str(), tokens[0].c_str(), 0);
    }
  }
  std::fclose(stream);
  return lines;
}

namespace {

int ReadFailure(const char* message) { return ErrorSet("StringMap::ReadBinary", -1, "%s", message); }

// Reads the header: the key count, and the key byte of the scrambled form.
int ReadHeader(std::FILE* stream, int32_t* count, bool* scrambled, uint8_t* key_byte) {
  int32_t stored = 0;
  if (FileReadInt32(stream, &stored) != 0) return ReadFailure("errShortRead");
  *scrambled = stored < 0;
  *key_byte = 0;
  if (*scrambled) {
    if (stored == INT32_MIN) return ReadFailure("errBadCount");
    stored = -stored;
    int16_t key = 0;
    if (FileReadInt16(stream, &key) != 0) return ReadFailure("errShortRead");
    *key_byte = static_cast<uint8_t>(key);
  }
  // An entry takes at least its key's length field and its value count.
  const long long left = FileRemainingBytes(stream);
  if (left >= 0 && left / 4 < stored) return ReadFailure("errCountExceedsFile");
  *count = stored;
  return 0;
}

}  // namespace

int StringMap::ReadEntries(std::FILE* stream, int32_t count, bool scrambled, uint8_t key_byte) {
  char key[kMaxStringLength + 1];
  char value[kMaxStringLength + 1];
  const auto read_string = [&](char* buffer) {
    const int result = scrambled ? FileReadScrambledString(stream, buffer, kMaxStringLength + 1, key_byte)
                                 : FileReadString(stream, buffer, kMaxStringLength + 1);
    return result != kBadStringField;
  };
  for (int32_t i = 0; i < count; ++i) {
    if (!read_string(key)) return ReadFailure("errBadStringField");
    int16_t values = 0;
    if (FileReadInt16(stream, &values) != 0) return ReadFailure("errShortRead");
    if (values < 0) return ReadFailure("errBadValueCount");
    const long long left = FileRemainingBytes(stream);
    if (left >= 0 && left / 2 < values) return ReadFailure("errCountExceedsFile");
    KeyEntry* entry = FindOrMakeKey(key);
    for (int16_t j = 0; j < values; ++j) {
      if (!read_string(value)) return ReadFailure("errBadStringField");
      if (entry) Append(entry, value, 0);
    }
  }
  return count;
}

int StringMap::ReadBinary(std::FILE* stream) {
  int32_t count = 0;
  bool scrambled = false;
  uint8_t key_byte = 0;
  if (ReadHeader(stream, &count, &scrambled, &key_byte) != 0) return -1;
  return ReadEntries(stream, count, scrambled, key_byte);
}

std::unique_ptr<StringMap> StringMap::FromBinaryFile(const char* path) {
  std::FILE* stream = path ? std::fopen(path, "rb") : nullptr;
  if (!stream) {
    ErrorSet("StringMap::StringMap", -1, "errCannotOpenFile");
    return nullptr;
  }
  int32_t count = 0;
  bool scrambled = false;
  uint8_t key_byte = 0;
  if (ReadHeader(stream, &count, &scrambled, &key_byte) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  std::unique_ptr<StringMap> map(new (std::nothrow) StringMap(count));
  if (map) map->ReadEntries(stream, count, scrambled, key_byte);
  std::fclose(stream);
  return map;
}

int StringMap::WriteBinary(const char* path, uint8_t key_byte) const {
  std::FILE* stream = path ? std::fopen(path, "wb") : nullptr;
  if (!stream) {
    ErrorSet("StringMap::WriteBinary", -1, "errCannotOpenFile");
    return -1;
  }
  const bool scrambled = key_byte != 0;
  bool ok = FileWriteInt32(stream, scrambled ? -table_.count() : table_.count()) == 0;
  if (ok && scrambled) ok = FileWriteInt16(stream, key_byte) == 0;
  const auto write_string = [&](const char* text) {
    return scrambled ? FileWriteScrambledString(stream, text, key_byte) == 0
                     : FileWriteString(stream, text) == 0;
  };
  ForEachKey([&](const KeyEntry* entry) {
    if (!ok) return;
    int values = 0;
    for (const ValueLink* link = entry->first; link && values < INT16_MAX; link = link->next) ++values;
    ok = write_string(entry->key) && FileWriteInt16(stream, static_cast<int16_t>(values)) == 0;
    const ValueLink* link = entry->first;
    for (int i = 0; ok && i < values; ++i, link = link->next) ok = write_string(link->record->value);
  });
  if (std::fclose(stream) != 0) ok = false;
  if (!ok) {
    ErrorSet("StringMap::WriteBinary", -1, "errCannotWriteFile");
    return -1;
  }
  return 0;
}

int64_t StringMap::MemoryUse() const {
  return table_.MemoryUse() + 4 + keys_.PoolMemoryUse() + values_.PoolMemoryUse() + links_.PoolMemoryUse() +
         strings_.PoolMemoryUse();
}

}  // namespace vok
