#include "engine/core/semi_class_trigram.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm_cache.h"

namespace vok {

namespace {

constexpr int kHeaderFields = 11;
constexpr int kMaxWords = 65534;
constexpr int kMaxClasses = 65534;
constexpr int kGroupBytes = 6;
constexpr int kV1RecordBytes = 6;
constexpr int kV2RecordBytes = 3;

// 1.0001^(v << shift) for a stored value.
double Power(uint32_t v, int shift) { return std::pow(1.0001, static_cast<double>(uint64_t{v} << shift)); }

// Reads little-endian fields from a byte range, failing once past its end.
class Cursor {
 public:
  Cursor(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  bool Take(std::size_t n, const unsigned char** out) {
    if (n > size_ - pos_) return false;
    *out = bytes_ + pos_;
    pos_ += n;
    return true;
  }
  bool U8(uint8_t* v) {
    const unsigned char* b;
    if (!Take(1, &b)) return false;
    *v = b[0];
    return true;
  }
  bool U16(uint16_t* v) {
    const unsigned char* b;
    if (!Take(2, &b)) return false;
    *v = LoadLittleEndian16(b);
    return true;
  }
  bool I32(int32_t* v) {
    const unsigned char* b;
    if (!Take(4, &b)) return false;
    *v = static_cast<int32_t>(LoadLittleEndian32(b));
    return true;
  }
  std::size_t left() const { return size_ - pos_; }

 private:
  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

bool SemiClassTrigram::HasMagic(const char* path) {
  PagedFile file;
  char magic[kMagicPrefixBytes];
  return file.Open(path) && file.ReadAt(0, magic, sizeof magic) &&
         std::memcmp(magic, kMagic1, kMagicPrefixBytes) == 0;
}

SemiClassTrigram::SemiClassTrigram(const char* path, int shift_base)
    : shift_base_(std::clamp(shift_base, 0, kMaxShift)), path_(path ? path : ""), mass_path_(path_ + "a") {
  status_ = ReadHeaderAndIndex(path);
  if (status_ == 0) ReadMasses(mass_path_);
  file_.Close();
}

int SemiClassTrigram::ReadHeaderAndIndex(const char* path) {
  if (!file_.Open(path)) return -1;
  char magic[kMagicBytes];
  if (!file_.ReadAt(0, magic, sizeof magic)) return -1;
  if (std::memcmp(magic, kMagic1, kMagicBytes) == 0) {
    version_ = 1;
  } else if (std::memcmp(magic, kMagic2, kMagicBytes) == 0) {
    version_ = 2;
  } else {
    LogPrintEcho("Trigram unknown version!\n");
    return -1;
  }
  unsigned char header[4 * kHeaderFields];
  if (!file_.ReadAt(kHeaderOffset, header, sizeof header)) return -1;
  int32_t fields[kHeaderFields];
  for (int i = 0; i < kHeaderFields; ++i)
    fields[i] = static_cast<int32_t>(LoadLittleEndian32(header + 4 * i));
  header_words_ = fields[1];
  header_classes_ = fields[2];
  trigrams_ = fields[3];
  backoff_bigrams_ = fields[4];
  average_backoff_ = fields[5];
  ceiling_ = fields[6];
  bias_ = fields[7];
  shift_ = fields[8];
  index_offset_ = fields[9];
  grams_offset_ = fields[10];
  if (header_words_ < 0 || header_words_ > kMaxWords || header_classes_ < 0 ||
      header_classes_ > kMaxClasses || shift_ < 0 || shift_ > shift_base_ || !file_.Holds(index_offset_, 4)) {
    WarningMessage("SemiClassTrigram: bad header in %s", path);
    return -1;
  }

  // The index: at most 65534 words of up to 262 bytes each, then the class words.
  const int64_t bound = 4 + int64_t{kMaxWords} * (1 + 255 + 4 + 2) + 4 + 2 * int64_t{kMaxClasses};
  std::vector<unsigned char> index(static_cast<std::size_t>(std::min(file_.size() - index_offset_, bound)));
  if (!file_.ReadAt(index_offset_, index.data(), index.size())) return -1;
  Cursor in(index.data(), index.size());
  int32_t words = 0;
  const std::size_t min_entry = version_ == 2 ? 7 : 5;
  if (!in.I32(&words) || words < 0 || words > kMaxWords ||
      static_cast<std::size_t>(words) > in.left() / min_entry)
    return -1;
  if (words_.Init(words) != 0) return -1;
  blocks_.assign(static_cast<std::size_t>(words), WordBlock{});
  int64_t offset = int64_t{grams_offset_} + 2;
  for (int w = 0; w < words; ++w) {
    uint8_t length = 0;
    const unsigned char* bytes = nullptr;
    int32_t records = 0;
    uint16_t groups = 0;
    if (!in.U8(&length) || !in.Take(length, &bytes) || !in.I32(&records) ||
        (version_ == 2 && !in.U16(&groups)))
      return -1;
    const std::string word(reinterpret_cast<const char*>(bytes), length);
    if (words_.AddNew(word.c_str()) != w || records < 0) return -1;
    const int64_t span = version_ == 1 ? int64_t{kV1RecordBytes} * records + 8
                                       : int64_t{kV2RecordBytes} * (int64_t{records} + 2 * groups) + 14;
    WordBlock& block = blocks_[static_cast<std::size_t>(w)];
    block.records = records;
    block.groups = groups;
    // A block beyond the file, and every later one, is missing: lookups back off.
    if (offset >= 0 && file_.Holds(offset, span)) block.offset = offset;
    offset = offset >= 0 && file_.Holds(offset, span) ? offset + span : -1;
  }
  int32_t classes = 0;
  if (!in.I32(&classes) || classes < 0 || classes > 65535 ||
      static_cast<std::size_t>(classes) > in.left() / 2)
    return -1;
  class_words_.resize(static_cast<std::size_t>(classes));
  for (uint16_t& id : class_words_) in.U16(&id);
  return 0;
}

void SemiClassTrigram::ReadMasses(const std::string& mass_path) {
  PagedFile mass;
  if (!mass.Open(mass_path.c_str())) return;
  unsigned char bytes[4];
  if (!mass.ReadAt(0, bytes, 4)) return;
  const auto k = static_cast<int32_t>(LoadLittleEndian32(bytes));
  if (k < 0 || k > kMaxClasses || !mass.Holds(kHeaderOffset, 4 * int64_t{k})) {
    WarningMessage("SemiClassTrigram: bad mass file %s", mass_path.c_str());
    return;
  }
  std::vector<unsigned char> raw(4 * static_cast<std::size_t>(k));
  if (!mass.ReadAt(kHeaderOffset, raw.data(), raw.size())) return;
  masses_.resize(static_cast<std::size_t>(k));
  for (int32_t i = 0; i < k; ++i) {
    const uint32_t bits = LoadLittleEndian32(raw.data() + 4 * i);
    std::memcpy(&masses_[static_cast<std::size_t>(i)], &bits, 4);
  }
  header_classes_ = k;
}

void SemiClassTrigram::Open() {
  if (status_ != 0) return;
  file_.Open(path_.c_str());
  if (!masses_.empty()) mass_file_.Open(mass_path_.c_str());
}

void SemiClassTrigram::Close() {
  file_.Close();
  mass_file_.Close();
}

int16_t SemiClassTrigram::Score(int a, int b, int fallback_class, const char* word, PageLMCache* cache,
                                int* level) {
  ++lookups_;
  if (level) *level = 1;
  if (status_ != 0) return kFloorScore;
  int id = word ? words_.Find(word) : -1;
  if (id < 0)
    id = fallback_class >= 0 && static_cast<std::size_t>(fallback_class) < class_words_.size()
             ? class_words_[static_cast<std::size_t>(fallback_class)]
             : kNoId;
  if (id < 0 || static_cast<std::size_t>(id) >= blocks_.size()) return kFloorScore;
  const auto ka = static_cast<uint16_t>(a);
  const auto kb = static_cast<uint16_t>(b);
  const auto kid = static_cast<uint16_t>(id);
  uint16_t cached = 0;
  if (cache && cache->Find(ka, kb, kid, &cached)) {
    if (level) *level = 0;
    return static_cast<int16_t>(cached);
  }
  // Without the open file (outside an utterance) nothing is read or cached.
  if (!file_.is_open()) return kFloorScore;
  const uint32_t r = Value(ka, kb, id);
  const int16_t score = Saturate16(-static_cast<int64_t>((r & 65535u) >> (shift_base_ - shift_)));
  if (cache) cache->Insert(ka, kb, kid, static_cast<uint16_t>(score));
  return score;
}

uint32_t SemiClassTrigram::Value(int a, int b, int id) {
  const WordBlock& block = blocks_[static_cast<std::size_t>(id)];
  unsigned char head[10];
  const bool read = block.offset >= 0 && file_.ReadAt(block.offset, head, version_ == 1 ? 8 : 10);
  // A block that cannot be read gives the largest value: the floor.
  if (!read) return 65535u << (shift_base_ - shift_);
  return version_ == 1 ? ValueV1(a, b, block, head) : ValueV2(a, b, block, head);
}

uint32_t SemiClassTrigram::ValueV1(int a, int b, const WordBlock& block, const unsigned char* head) {
  const uint16_t unigram = LoadLittleEndian16(head + 2);
  const auto k = static_cast<int32_t>(LoadLittleEndian32(head + 4));
  // The block's count must be the index's, which sized the block.
  const std::size_t count = k == block.records ? static_cast<std::size_t>(k) : 0;
  records_.resize(std::max(records_.size(), count * kV1RecordBytes));
  const bool have = count > 0 && file_.ReadAt(block.offset + 8, records_.data(), count * kV1RecordBytes);
  auto find = [&](uint32_t key, uint16_t* value) {
    std::size_t lo = 0, hi = have ? count : 0;
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      const unsigned char* r = records_.data() + mid * kV1RecordBytes;
      const uint32_t k2 = (uint32_t{LoadLittleEndian16(r + 2)} << 16) | LoadLittleEndian16(r);
      if (k2 == key) {
        *value = LoadLittleEndian16(r + 4);
        return true;
      }
      if (k2 < key)
        lo = mid + 1;
      else
        hi = mid;
    }
    return false;
  };
  uint16_t v = 0;
  if (find((uint32_t(b) << 16) | uint32_t(a), &v)) return v;
  ++trigram_backoffs_;
  if (find((uint32_t(b) << 16) | 65535u, &v)) return Backoff(a, b, Power(v, shift_));
  ++bigram_backoffs_;
  return Backoff(a, b, Power(unigram, shift_) * ClassMass(b));
}

uint32_t SemiClassTrigram::ValueV2(int a, int b, const WordBlock& block, const unsigned char* head) {
  const uint16_t unigram = LoadLittleEndian16(head + 2);
  const uint16_t g = LoadLittleEndian16(head + 8);
  const std::size_t groups = g == block.groups ? g : 0;
  groups_.resize(std::max(groups_.size(), groups * kGroupBytes));
  const bool have = groups > 0 && file_.ReadAt(block.offset + 10, groups_.data(), groups * kGroupBytes);
  std::size_t lo = 0, hi = have ? groups : 0;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (LoadLittleEndian16(groups_.data() + mid * kGroupBytes) < b)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo >= (have ? groups : 0) || LoadLittleEndian16(groups_.data() + lo * kGroupBytes) != b) {
    ++trigram_backoffs_;
    ++bigram_backoffs_;
    return Backoff(a, b, Power(unigram, shift_) * ClassMass(b));
  }
  const unsigned char* group = groups_.data() + lo * kGroupBytes;
  int64_t start = 0;
  for (std::size_t i = 0; i < lo; ++i) start += LoadLittleEndian16(groups_.data() + i * kGroupBytes + 2);
  const uint16_t count = LoadLittleEndian16(group + 2);
  const uint16_t bigram = LoadLittleEndian16(group + 4);
  uint8_t value = 0;
  if (FindGroupRecord(block, groups, start, count, a, &value)) return uint32_t{value} << 8;
  ++trigram_backoffs_;
  return Backoff(a, b, Power(bigram, shift_));
}

bool SemiClassTrigram::FindGroupRecord(const WordBlock& block, std::size_t groups, int64_t start,
                                       uint16_t count, int a, uint8_t* value) {
  if (count == 0 || start + count > block.records) return false;
  records_.resize(std::max(records_.size(), std::size_t{count} * kV2RecordBytes));
  const int64_t at =
      block.offset + 10 + kGroupBytes * static_cast<int64_t>(groups) + 4 + kV2RecordBytes * start;
  if (!file_.ReadAt(at, records_.data(), std::size_t{count} * kV2RecordBytes)) return false;
  std::size_t lo = 0, hi = count;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    const uint16_t key = LoadLittleEndian16(records_.data() + mid * kV2RecordBytes);
    if (key == a) {
      *value = records_[mid * kV2RecordBytes + 2];
      return true;
    }
    if (key < a)
      lo = mid + 1;
    else
      hi = mid;
  }
  return false;
}

uint32_t SemiClassTrigram::Backoff(int a, int b, double p) {
  const double x = Alpha(a, b) * p;
  const auto log = static_cast<uint32_t>(x > 0 ? LogValue(x) : kLogZero);
  return log >> shift_;
}

double SemiClassTrigram::ClassMass(int b) const {
  if (b >= 0 && static_cast<std::size_t>(b) < masses_.size()) return masses_[static_cast<std::size_t>(b)];
  return std::pow(1.0001, average_backoff_);
}

double SemiClassTrigram::Alpha(int a, int b) {
  const auto k = static_cast<int64_t>(masses_.size());
  unsigned char bytes[4];
  if (mass_file_.is_open() && a >= 0 && a < k && b >= 0 && b < k &&
      mass_file_.ReadAt(kHeaderOffset + ((a + 1) * k + b) * 4, bytes, 4)) {
    const uint32_t bits = LoadLittleEndian32(bytes);
    float alpha = 0;
    std::memcpy(&alpha, &bits, 4);
    return alpha;
  }
  return std::pow(1.0001, average_backoff_);
}

int64_t SemiClassTrigram::MemoryUse() const {
  return static_cast<int64_t>(records_.capacity()) + 4 * static_cast<int64_t>(masses_.size()) + 262144 +
         words_.MemoryUse() + 4352;
}

}  // namespace vok
