#include "engine/core/symbol_table.h"

#include <climits>
#include <cstring>
#include <vector>

#include "engine/core/file_io.h"
#include "engine/core/fixed_random.h"
#include "engine/core/hash_table.h"
#include "engine/core/messages.h"

namespace vok {

uint32_t SymbolTable::BucketHash(const char* name, uint32_t buckets) {
  uint32_t log2 = 0;
  while (log2 < 31 && (1u << log2) < buckets) ++log2;
  const uint32_t low = buckets - 1;
  uint32_t h = 0x5B9C;
  if (name) {
    for (const char* p = name; *p; ++p) {
      // A rotation within log2(B) bits: the bit shifted to position B comes
      // back at bit 0.
      const uint32_t shifted = h << 1;
      h = (shifted & low) | ((shifted >> log2) & 1u);
      // The byte as a signed 8-bit value widened to 32 bits.
      h ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    }
  }
  return h & low;
}

SymbolTable::SymbolTable(int n) {
  if (n > 0) Init(n);
}

SymbolTable::~SymbolTable() { Free(); }

void SymbolTable::Free() {
  MemoryFree(ids_);
  MemoryFree(buckets_);
  ids_ = buckets_ = nullptr;
  capacity_ = bucket_count_ = count_ = 0;
  strings_.reset();
  entries_.reset();
}

int SymbolTable::Init(int n) {
  Free();
  if (n < 0 || n > kMaxExpectedCount) {
    ErrorSet("SymbolTable::Init", -1, "errTableTooLarge");
    return -1;
  }
  int bits = 0;
  const int capacity = 2 * NextPowerOfTwo(n, &bits);
  ids_ = static_cast<Entry**>(MemoryAllocZ(sizeof(Entry*) * static_cast<std::size_t>(capacity)));
  buckets_ = static_cast<Entry**>(MemoryAllocZ(sizeof(Entry*) * static_cast<std::size_t>(capacity)));
  strings_.reset(new (std::nothrow) BytePool(kStringBlockBytes));
  entries_.reset(new (std::nothrow) ObjectMemMgr<Entry>(kEntryBlockRecords, kEntryRecordBytes));
  if (!ids_ || !buckets_ || !strings_ || !entries_ || !strings_->ok() || !entries_->ok()) {
    Free();
    return -1;
  }
  capacity_ = bucket_count_ = capacity;
  Clear();
  return 0;
}

void SymbolTable::Clear() {
  if (ids_) std::memset(ids_, 0, sizeof(Entry*) * static_cast<std::size_t>(capacity_));
  if (buckets_) std::memset(buckets_, 0, sizeof(Entry*) * static_cast<std::size_t>(bucket_count_));
  if (strings_) strings_->Clear();
  if (entries_) entries_->Clear();
  count_ = 0;
}

int SymbolTable::Find(const char* name) const {
  if (!buckets_ || !name || !*name) return -1;
  for (const Entry* e = buckets_[BucketHash(name, static_cast<uint32_t>(bucket_count_))]; e; e = e->next) {
    if (e->name && std::strcmp(e->name, name) == 0) return e->id;
  }
  return -1;
}

int SymbolTable::Add(const char* name) {
  const int id = Find(name);
  if (id >= 0) return id;
  return AddNew(name);
}

int SymbolTable::AddNew(const char* name) {
  const std::size_t length = name ? std::strlen(name) : 0;
  if (count_ >= capacity_) return -1;  // full (or never sized)
  if (length > static_cast<std::size_t>(kMaxNameLength)) {
    ErrorSet("SymbolTable::AddNew", -1, "errNameTooLong");
    return -1;
  }
  return AddEntryUnchecked(name, length);
}

int SymbolTable::AddEntryUnchecked(const char* name, std::size_t length) {
  const char* stored = nullptr;
  if (length > 0) {
    stored = strings_->CopyString(name, static_cast<int>(length));
    if (!stored) {
      ErrorSet("SymbolTable::AddNew", -1, "errOutOfStringPool");
      return -1;
    }
  }
  Entry* entry = nullptr;
  if (entries_->New(&entry) < 0 || !entry) {
    ErrorSet("SymbolTable::AddNew", -1, "errOutOfEntries");
    return -1;
  }
  entry->id = count_++;
  entry->name = stored;
  const uint32_t bucket = BucketHash(stored, static_cast<uint32_t>(bucket_count_));
  entry->next = buckets_[bucket];
  buckets_[bucket] = entry;
  ids_[entry->id] = entry;
  return entry->id;
}

const char* SymbolTable::GetName(int id) const {
  if (id < 0 || id >= count_ || !ids_[id]) return nullptr;
  return ids_[id]->name;
}

int SymbolTable::Remove(const char* name) {
  const int id = Find(name);
  if (id < 0) return -1;
  Entry* entry = ids_[id];
  Entry** link = &buckets_[BucketHash(entry->name, static_cast<uint32_t>(bucket_count_))];
  while (*link && *link != entry) link = &(*link)->next;
  if (*link) *link = entry->next;
  ids_[id] = nullptr;
  --count_;
  for (int i = id; i < count_; ++i) {
    ids_[i] = ids_[i + 1];
    if (ids_[i]) ids_[i]->id = i;
  }
  ids_[count_] = nullptr;
  return 0;
}

int SymbolTable::RemoveKeepingId(const char* name) {
  const int id = Find(name);
  if (id < 0) return -1;
  Entry* entry = ids_[id];
  Entry** link = &buckets_[BucketHash(entry->name, static_cast<uint32_t>(bucket_count_))];
  while (*link && *link != entry) link = &(*link)->next;
  if (*link) *link = entry->next;
  ids_[id] = nullptr;
  return id;
}

std::unique_ptr<SymbolTable> SymbolTable::Copy(int n) const {
  std::unique_ptr<SymbolTable> copy(new (std::nothrow) SymbolTable());
  if (!copy || copy->Init(n > 0 ? n : count_) != 0) return nullptr;
  for (int i = 0; i < count_; ++i) {
    if (copy->AddNew(GetName(i)) < 0) break;
  }
  return copy;
}

int SymbolTable::AddAll(const SymbolTable& other) {
  int added = 0;
  for (int i = 0; i < other.GetCount(); ++i) {
    const char* name = other.GetName(i);
    if (Find(name) >= 0) continue;
    if (AddNew(name) < 0) break;
    ++added;
  }
  return added;
}

int64_t SymbolTable::MemoryUse() const {
  int64_t bytes = 4;
  for (int i = 0; i < count_; ++i) {
    const char* name = GetName(i);
    bytes += 4 + (name ? static_cast<int64_t>(std::strlen(name)) + 1 : 4);
  }
  return bytes + 4 * int64_t{capacity_} + 4 * int64_t{bucket_count_};
}

namespace {

int ReadFailure(const char* message) { return ErrorSet("SymbolTable::Read", -1, "%s", message); }

}  // namespace

int SymbolTable::Read(std::FILE* stream, uint16_t tag) {
  int32_t count = 0;
  int32_t buckets = 0;
  if (FileReadInt32(stream, &count) != 0 || FileReadInt32(stream, &buckets) != 0) {
    return ReadFailure("errShortRead");
  }
  const bool keyed = count < 0;
  std::vector<uint16_t> keys;
  uint8_t key_byte = 0;
  if (keyed) {
    if (count == INT32_MIN) return ReadFailure("errBadCount");
    count = -count;
    uint16_t file_tag = 0;
    if (FileReadUInt16(stream, &file_tag) != 0) return ReadFailure("errShortRead");
    if (file_tag != tag) return ReadFailure("errTagMismatch");
    int32_t key_count = 0;
    int32_t second = 0;
    if (FileReadInt32(stream, &key_count) != 0 || FileReadInt32(stream, &second) != 0) {
      return ReadFailure("errShortRead");
    }
    if (key_count < 1 || key_count > kMaxKeys) return ReadFailure("errBadKeyCount");
    const long long left = FileRemainingBytes(stream);
    if (left >= 0 && left / 2 < key_count) return ReadFailure("errShortRead");
    keys.resize(static_cast<std::size_t>(key_count));
    for (uint16_t& k : keys) {
      if (FileReadUInt16(stream, &k) != 0) return ReadFailure("errShortRead");
    }
    key_byte = static_cast<uint8_t>(second);
  }
  // Each name takes at least its 2-byte length field.
  const long long left = FileRemainingBytes(stream);
  if (left >= 0 && left / 2 < count) return ReadFailure("errCountExceedsFile");
  if (Init(count) != 0) return -1;
  std::vector<char> name(kMaxNameLength + 1);
  std::size_t cursor = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int length = FileReadString(stream, name.data(), static_cast<int>(name.size()));
    if (length == kBadStringField) return ReadFailure("errBadStringField");
    if (keyed) {
      for (int j = 0; j < length; ++j) {
        const auto stored = static_cast<unsigned char>(name[static_cast<std::size_t>(j)]);
        name[static_cast<std::size_t>(j)] =
            static_cast<char>(static_cast<unsigned char>(stored - (keys[cursor] & 0xFF) - key_byte));
        cursor = (cursor + 1) % keys.size();
      }
    }
    if (AddNew(name.data()) < 0) return -1;
  }
  return 0;
}

int SymbolTable::Write(std::FILE* stream, uint16_t tag, uint8_t key_byte, uint32_t key_seed) const {
  const bool keyed = tag != 0;
  if (FileWriteInt32(stream, keyed ? -count_ : count_) != 0) return -1;
  if (FileWriteInt32(stream, bucket_count_) != 0) return -1;
  std::vector<uint16_t> keys;
  if (keyed) {
    if (FileWriteUInt16(stream, tag) != 0) return -1;
    if (FileWriteInt32(stream, kWrittenKeys) != 0) return -1;
    if (FileWriteInt32(stream, key_byte) != 0) return -1;
    FixedRandom random(key_seed);
    keys.resize(kWrittenKeys);
    for (uint16_t& k : keys) {
      k = static_cast<uint16_t>(random.Next() % 1000000);
      if (FileWriteUInt16(stream, k) != 0) return -1;
    }
  }
  std::vector<char> bytes;
  std::size_t cursor = 0;
  for (int i = 0; i < count_; ++i) {
    const char* name = GetName(i);
    const std::size_t length = name ? std::strlen(name) : 0;
    bytes.assign(name ? name : "", (name ? name : "") + length);
    if (keyed) {
      for (char& c : bytes) {
        c = static_cast<char>(
            static_cast<unsigned char>(static_cast<unsigned char>(c) + (keys[cursor] & 0xFF) + key_byte));
        cursor = (cursor + 1) % keys.size();
      }
    }
    if (FileWriteString(stream, bytes.data(), length) != 0) return -1;
  }
  return 0;
}

}  // namespace vok
