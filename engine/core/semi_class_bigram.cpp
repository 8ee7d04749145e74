#include "engine/core/semi_class_bigram.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/core/byte_order.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/paged_file.h"

namespace vok {

namespace {

constexpr int kHeaderBytes = 52;

float LoadFloat(const unsigned char* b) {
  const uint32_t bits = LoadLittleEndian32(b);
  float f = 0;
  std::memcpy(&f, &bits, 4);
  return f;
}

}  // namespace

bool SemiClassBigram::HasMagic(const char* path) {
  PagedFile file;
  char magic[kMagicBytes];
  return file.Open(path) && file.ReadAt(0, magic, kMagicBytes) &&
         std::memcmp(magic, kMagic, kMagicBytes) == 0;
}

SemiClassBigram::SemiClassBigram(const char* path) { status_ = Read(path); }

int SemiClassBigram::Read(const char* path) {
  PagedFile file;
  unsigned char header[kHeaderBytes];
  if (!file.Open(path) || !file.ReadAt(kHeaderOffset, header, kHeaderBytes)) return -1;
  auto field = [&header](int at) { return static_cast<int32_t>(LoadLittleEndian32(header + at)); };
  word_count_ = field(4);
  class_count_ = field(8);
  bias_ = field(12);
  shift_ = field(16);
  ceiling_ = field(24);
  bigram_count_ = field(28);
  index_offset_ = field(40);
  bigram_offset_ = field(44);
  mass_offset_ = field(48);
  if (word_count_ < 0 || word_count_ > kMaxWords || class_count_ < 0 || class_count_ > kMaxClasses ||
      shift_ < 0 || shift_ > kMaxScoreShift || !file.Holds(index_offset_, 4) ||
      !file.Holds(bigram_offset_, 0) || !file.Holds(mass_offset_, 4)) {
    WarningMessage("SemiClassBigram: bad header in %s", path);
    return -1;
  }

  // Index: count, then {uint8 length, bytes, int32, float weight} per word.
  const int64_t index_bound = 4 + int64_t{kMaxWords} * (1 + 255 + 8);
  std::vector<unsigned char> index(
      static_cast<std::size_t>(std::min(file.size() - index_offset_, index_bound)));
  if (!file.ReadAt(index_offset_, index.data(), index.size())) return -1;
  const int32_t count = static_cast<int32_t>(LoadLittleEndian32(index.data()));
  if (count < 0 || count > kMaxWords || static_cast<std::size_t>(count) > (index.size() - 4) / 9) return -1;
  if (words_.Init(count) != 0) return -1;
  std::size_t pos = 4;
  weights_.resize(static_cast<std::size_t>(count));
  for (int32_t w = 0; w < count; ++w) {
    if (pos >= index.size()) return -1;
    const std::size_t length = index[pos++];
    if (length + 8 > index.size() - pos) return -1;
    const std::string word(reinterpret_cast<const char*>(index.data() + pos), length);
    if (words_.AddNew(word.c_str()) != w) return -1;
    weights_[static_cast<std::size_t>(w)] = LoadFloat(index.data() + pos + length + 4);
    pos += length + 8;
  }

  // Bigrams: per word an int32, eight sizes, then the eight lists.
  bigrams_.resize(static_cast<std::size_t>(file.size() - bigram_offset_));
  if (!file.ReadAt(bigram_offset_, bigrams_.data(), bigrams_.size())) return -1;
  lists_.assign(static_cast<std::size_t>(word_count_) * kLists, List{});
  pos = 0;
  for (int32_t w = 0; w < word_count_; ++w) {
    if (bigrams_.size() - pos < 4 + 2 * kLists) return -1;
    pos += 4;
    uint16_t sizes[kLists];
    for (uint16_t& s : sizes) {
      s = LoadLittleEndian16(bigrams_.data() + pos);
      pos += 2;
    }
    for (int l = 0; l < kLists; ++l) {
      const std::size_t bytes = 2 * std::size_t{sizes[l]};
      if (bytes > bigrams_.size() - pos) return -1;
      lists_[static_cast<std::size_t>(w) * kLists + static_cast<std::size_t>(l)] =
          List{static_cast<uint32_t>(pos), sizes[l]};
      pos += bytes;
    }
  }

  unsigned char head[4];
  if (!file.ReadAt(mass_offset_, head, 4)) return -1;
  const auto n = static_cast<int32_t>(LoadLittleEndian32(head));
  if (n < 0 || n > kMaxClasses || !file.Holds(int64_t{mass_offset_} + 4, 4 * int64_t{n})) return -1;
  std::vector<unsigned char> raw(4 * static_cast<std::size_t>(n));
  if (!file.ReadAt(int64_t{mass_offset_} + 4, raw.data(), raw.size())) return -1;
  masses_.resize(static_cast<std::size_t>(n));
  for (int32_t c = 0; c < n; ++c) masses_[static_cast<std::size_t>(c)] = LoadFloat(raw.data() + 4 * c);
  return 0;
}

int SemiClassBigram::Lookup(int h, int fallback_class, const char* word) const {
  return Lookup(h, fallback_class, WordId(word));
}

int SemiClassBigram::Lookup(int h, int /*fallback_class*/, int word_id) const {
  ++lookups_;
  // An unlisted word scores the floor whatever its class's list holds.
  if (word_id < 0 || word_id >= word_count_ || h < 0 || h >= class_count_) return 255;
  const List& list = lists_[static_cast<std::size_t>(word_id) * kLists + static_cast<std::size_t>(h >> 8)];
  const unsigned char* entries = bigrams_.data() + list.offset;
  const int low = h & 255;
  std::size_t lo = 0, hi = list.size;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (entries[2 * mid] == low) return entries[2 * mid + 1];
    if (entries[2 * mid] < low)
      lo = mid + 1;
    else
      hi = mid;
  }
  ++backoffs_;
  const double mass =
      static_cast<std::size_t>(h) < masses_.size() ? masses_[static_cast<std::size_t>(h)] : 0.0;
  const double weight =
      static_cast<std::size_t>(word_id) < weights_.size() ? weights_[static_cast<std::size_t>(word_id)] : 0.0;
  uint32_t value = static_cast<uint32_t>(LogValue(mass * weight));
  const auto bias = static_cast<uint32_t>(bias_);
  value = value < bias ? 0 : value - bias;
  return static_cast<int>(std::min<uint32_t>(value >> shift_, 255));
}

void SemiClassBigram::PrintSummary() const {
  LogPrint("\n===== Bigram summary =====\n");
  LogPrint("# words     %d\n", word_count_);
  LogPrint("# classes   %d\n", class_count_);
  LogPrint("# bigram    %d\n", bigram_count_);
  LogPrint("CeilingProb %d\n", ceiling_);
  LogPrint("BiasProb    %d\n", bias_);
  LogPrint("ShiftProb   %d\n", shift_);
  LogPrint("OffsetIndex %d\n", index_offset_);
  LogPrint("OffsetBigram%d\n", bigram_offset_);
  LogPrint("OffsetMass %d\n", mass_offset_);
}

}  // namespace vok
