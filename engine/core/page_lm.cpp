#include "engine/core/page_lm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"
#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/semi_class_trigram.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr int kMaxClasses = 65534;
constexpr int kTrigramRecordBytes = 4;
constexpr int kBlockHeadBytes = 5;
constexpr int kFloorScore = -255;
// At most this many cache records are taken from a cache file.
constexpr int32_t kMaxCacheRecords = 1 << 22;

// trunc(x) in 64 bits; NaN gives 0.
int64_t Trunc64(double x) {
  if (!(x == x)) return 0;
  return static_cast<int64_t>(std::clamp(x, -9.0e18, 9.0e18));
}

}  // namespace

PageLM::PageLM(const char* path, int order, float weight, int cache_size)
    : path_(path ? path : ""), order_(std::clamp(order, 1, kOrder)) {
  SetWeight(weight);
  std::fill_n(token_ids_, kTokens, kNoWord);
  std::fill_n(token_classes_, kTokens, kNoClass);
  entries_.assign(kWordCapacity, WordEntry{});
  counts_.assign(kWordCapacity, -1);
  if (cache_size > 0) cache_ = std::make_unique<PageLMCache>(cache_size);
  if (!path) return;
  if (SemiClassTrigram::HasMagic(path)) {
    semi_class_ = std::make_unique<SemiClassTrigram>(path, in_class_shift_);
    status_ = semi_class_->status();
    if (status_ == 0) {
      word_count_ = semi_class_->word_count();
      class_count_ = semi_class_->class_count();
    }
  } else {
    status_ = ReadOlderForm(path);
    file_.Close();
  }
  class_totals_.assign(static_cast<std::size_t>(class_count_), 0);
}

PageLM::~PageLM() = default;

void PageLM::SetWeight(float weight) {
  if (std::isnan(weight)) {
    WarningMessage("PageLM: weight that is not a number refused");
    return;
  }
  weight_ = weight;
}

void PageLM::SetSecondWeight(float weight) {
  if (std::isnan(weight)) {
    WarningMessage("PageLM: weight that is not a number refused");
    return;
  }
  second_weight_ = weight;
}

int PageLM::ReadOlderForm(const char* path) {
  if (!file_.Open(path)) return -1;
  unsigned char header[kHeaderBytes];
  if (!file_.ReadAt(0, header, sizeof header)) return -1;
  const unsigned char* p = header + 4 + 252;
  auto next32 = [&p]() {
    const auto v = static_cast<int32_t>(LoadBigEndian32(p));
    p += 4;
    return v;
  };
  const int32_t words = next32();
  const int32_t classes = next32();
  for (int k = 0; k < order_; ++k) biases_[k] = next32();
  for (int k = 0; k < order_; ++k) shifts_[k] = next32();
  next32();
  const uint16_t person = LoadBigEndian16(p);
  const uint16_t place = LoadBigEndian16(p + 2);
  if (classes < 0 || classes > kMaxClasses || words < 0) return -1;
  for (int k = 0; k < order_; ++k)
    if (shifts_[k] < 0 || shifts_[k] > kMaxScoreShift) return -1;
  const int64_t c = classes;
  const int64_t tables = kHeaderBytes + 4 * c * c;
  if (!file_.Holds(tables, 3 * c)) {
    WarningMessage("PageLM: %s is shorter than its class tables", path);
    return -1;
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(3 * c));
  if (!file_.ReadAt(tables, bytes.data(), bytes.size())) return -1;
  class_unigrams_.assign(bytes.begin(), bytes.begin() + classes);
  class_backoffs_.resize(static_cast<std::size_t>(classes));
  for (int32_t k = 0; k < classes; ++k)
    class_backoffs_[static_cast<std::size_t>(k)] = LoadLittleEndian16(bytes.data() + classes + 2 * k);
  word_count_ = std::min(words, kWordCapacity);
  class_count_ = classes;
  token_classes_[kPerson] = person;
  token_classes_[kPlace] = place;
  const auto cls = [classes](int minus) {
    return static_cast<uint16_t>(classes >= minus ? classes - minus : kNoClass);
  };
  token_classes_[kIdiom] = cls(6);
  token_classes_[kOrganization] = cls(6);
  token_classes_[kUnknown] = cls(6);
  token_classes_[kDate] = cls(2);
  token_classes_[kTime] = cls(1);
  token_classes_[kUnused] = cls(3);
  return 0;
}

void PageLM::AllocWords(int n) {
  word_count_ = std::clamp(n, 0, kWordCapacity);
  entries_.assign(kWordCapacity, WordEntry{});
  counts_.assign(kWordCapacity, -1);
  class_totals_.assign(static_cast<std::size_t>(class_count_), 0);
}

int32_t PageLM::class_total(int c) const {
  return ValidClass(c) ? class_totals_[static_cast<std::size_t>(c)] : 0;
}

void PageLM::SetWordCount(int id, int word_class, int32_t count) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  const int c = CheckedClass(word_class);
  entries_[w].word_class = static_cast<uint16_t>(c);
  counts_[w] = count;
  if (count > 0 && ValidClass(c)) {
    int32_t& total = class_totals_[static_cast<std::size_t>(c)];
    total = static_cast<int32_t>(std::min<int64_t>(int64_t{total} + count, INT32_MAX));
  }
}

void PageLM::ComputeInClassScores(int32_t bias, int32_t shift) {
  in_class_bias_ = bias;
  in_class_shift_ = shift;
  for (int w = 0; w < word_count_; ++w) {
    const int32_t total = class_total(entries_[w].word_class);
    const double p = total > 0 && counts_[w] > 0 ? static_cast<double>(counts_[w]) / total : 0.0;
    entries_[w].in_class = ScoreByte(p, shift, bias);
  }
}

void PageLM::AddWord(int id, int word_class, int score) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  WordEntry& e = entries_[w];
  const auto s = static_cast<uint8_t>(std::clamp(score, 0, 255));
  e.unigram = std::min(e.unigram, s);
  e.in_class = std::min(e.in_class, s);
  e.word_class = static_cast<uint16_t>(CheckedClass(word_class));
}

void PageLM::BoostWord(int id, int amount) {
  const int w = static_cast<uint16_t>(id);
  if (w < kWordCapacity)
    entries_[w].in_class = static_cast<uint8_t>(std::clamp(entries_[w].in_class - amount, 0, 255));
}

void PageLM::ResetWord(int id) {
  const int w = static_cast<uint16_t>(id);
  if (w < kWordCapacity) entries_[w] = WordEntry{};
}

void PageLM::BindClassTokens(const SymbolTable& words) {
  words_ = &words;
  vok::BindClassTokens(
      words, [this](int id) { return static_cast<uint16_t>(CheckedClass(entry(id).word_class)); }, kNoClass,
      token_ids_, token_classes_);
}

int PageLM::AddPseudoWords(int score) {
  static constexpr struct {
    int id;
    Token token;
  } kPseudo[] = {{65500, kUnknown}, {65501, kPerson},  {65502, kPlace},  {65503, kUnknown},
                 {65504, kIdiom},   {65505, kUnknown}, {65506, kUnknown}};
  for (const auto& p : kPseudo) AddWord(p.id, token_classes_[p.token], score);
  return 7;
}

int PageLM::ReadLexiconSection(std::FILE* stream) {
  std::vector<int32_t> totals(static_cast<std::size_t>(class_count_));
  for (int32_t& t : totals)
    if (FileReadInt32(stream, &t) != 0) return -1;
  class_totals_ = std::move(totals);
  return 0;
}

int PageLM::WriteLexiconSection(std::FILE* stream) const {
  for (int c = 0; c < class_count_; ++c)
    if (FileWriteInt32(stream, class_total(c)) != 0) return -1;
  return 0;
}

int PageLM::ReadWordData(std::FILE* stream, int id) {
  unsigned char bytes[kWordDataBytes];
  if (std::fread(bytes, 1, kWordDataBytes, stream) != kWordDataBytes) return -1;
  const auto w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return 0;
  entries_[w].word_class = static_cast<uint16_t>(CheckedClass(LoadBigEndian16(bytes)));
  entries_[w].in_class = bytes[2];
  return 0;
}

int PageLM::WriteWordData(std::FILE* stream, int id) const {
  const WordEntry e = entry(id);
  unsigned char bytes[kWordDataBytes];
  StoreBigEndian16(bytes, e.word_class);
  bytes[2] = e.in_class;
  return std::fwrite(bytes, 1, kWordDataBytes, stream) == kWordDataBytes ? 0 : -1;
}

PageLM::WordEntry PageLM::entry(int id) const {
  const auto w = static_cast<uint16_t>(id);
  return w < kWordCapacity ? entries_[w] : WordEntry{};
}

int PageLM::WordClass(int w) const {
  const auto id = static_cast<uint16_t>(w);
  const int c = id < kWordCapacity ? entries_[id].word_class : kNoClass;
  return ValidClass(c) ? c : token_classes_[kUnknown];
}

uint8_t PageLM::InClassByte(int w) const {
  const auto id = static_cast<uint16_t>(w);
  if (id >= kWordCapacity || !ValidClass(entries_[id].word_class)) return 255;
  return entries_[id].in_class;
}

const char* PageLM::WordString(int w) const {
  return words_ ? words_->GetName(static_cast<uint16_t>(w)) : nullptr;
}

void PageLM::StartUtterance() {
  timing_.Start();
  lookups_ = hits_ = 0;
  bigram_accesses_ = bigram_loaded_ = trigram_accesses_ = trigram_loaded_ = 0;
  if (status_ != 0) return;
  if (semi_class_)
    semi_class_->Open();
  else
    file_.Open(path_.c_str());
  in_utterance_ = true;
}

void PageLM::EndUtterance() {
  if (semi_class_) semi_class_->Close();
  file_.Close();
  total_lookups_ += lookups_;
  total_hits_ += hits_;
  timing_.Stop();
  in_utterance_ = false;
}

int16_t PageLM::Weighted(int64_t x) const {
  return Saturate16(Trunc64(static_cast<double>(x) * double{weight_}) + word_penalty_);
}

void PageLM::Count(int level) {
  ++lookups_;
  if (level == kCacheHit) ++hits_;
}

int PageLM::Requant(int64_t x) const {
  const int s = shifts_[order_ - 1];
  int64_t b = biases_[order_ - 1];
  if (b > 255) b >>= s;
  return -static_cast<int>(std::clamp<int64_t>(-((x >> s) + b), 0, 255));
}

int64_t PageLM::BlockOffset(int c1, int c2) {
  const int64_t at = kHeaderBytes + 4 * (int64_t{c1} * class_count_ + c2);
  unsigned char bytes[4];
  if (!file_.ReadAt(at, bytes, 4)) return 0;
  const int64_t offset = LoadBigEndian32(bytes);
  return offset > 0 && file_.Holds(offset, kBlockHeadBytes) ? offset : 0;
}

int PageLM::ClassTrigram(int c1, int c2, int c3, int* level) {
  if (!ValidClass(c2) || !ValidClass(c3)) {
    *level = kUnigram;
    return kFloorScore;
  }
  uint16_t cached = 0;
  if (cache_ && ValidClass(c1) &&
      cache_->Find(static_cast<uint16_t>(c1), static_cast<uint16_t>(c2), static_cast<uint16_t>(c3),
                   &cached)) {
    *level = kCacheHit;
    return static_cast<int16_t>(cached);
  }
  int64_t backoff = 0;
  int score = 0;
  const int64_t trigram_block = ValidClass(c1) ? BlockOffset(c1, c2) : 0;
  bool found = false;
  if (trigram_block) {
    unsigned char head[kBlockHeadBytes];
    file_.ReadAt(trigram_block, head, kBlockHeadBytes);
    backoff = LoadBigEndian16(head + 1);
    const std::size_t k = LoadBigEndian16(head + 3);
    ++trigram_accesses_;
    records_.resize(std::max(records_.size(), k * kTrigramRecordBytes));
    if (k > 0 && file_.ReadAt(trigram_block + kBlockHeadBytes, records_.data(), k * kTrigramRecordBytes)) {
      trigram_loaded_ += static_cast<int32_t>(k);
      std::size_t lo = 0, hi = k;
      while (lo < hi && !found) {
        const std::size_t mid = (lo + hi) / 2;
        const uint16_t c = LoadBigEndian16(records_.data() + mid * kTrigramRecordBytes);
        if (c == c3) {
          score = -records_[mid * kTrigramRecordBytes + 2];
          found = true;
        } else if (c < c3) {
          lo = mid + 1;
        } else {
          hi = mid;
        }
      }
    }
  }
  if (found) {
    *level = kTrigram;
  } else if (const int64_t bigram_block = BlockOffset(c2, c3)) {
    unsigned char byte = 255;
    file_.ReadAt(bigram_block, &byte, 1);
    ++bigram_accesses_;
    ++bigram_loaded_;
    score = Requant(-(backoff + ((int64_t{biases_[1]} + byte) << shifts_[1])));
    *level = kBigram;
  } else {
    score = Requant(
        -(backoff + ((int64_t{class_unigrams_[c3]} + biases_[0]) << shifts_[0]) + class_backoffs_[c2]));
    *level = kUnigram;
  }
  // Without the file only the in-memory tables answered: not worth keeping.
  if (cache_ && ValidClass(c1) && file_.is_open())
    cache_->Insert(static_cast<uint16_t>(c1), static_cast<uint16_t>(c2), static_cast<uint16_t>(c3),
                   static_cast<uint16_t>(score));
  return score;
}

int PageLM::ClassBigram(int c1, int c2, int* level) {
  if (!ValidClass(c1) || !ValidClass(c2)) {
    *level = kBigram;
    return kFloorScore;
  }
  uint16_t cached = 0;
  if (cache_ && cache_->Find(kBigramKey, static_cast<uint16_t>(c1), static_cast<uint16_t>(c2), &cached)) {
    *level = kCacheHit;
    return static_cast<int16_t>(cached);
  }
  int score = 0;
  if (const int64_t block = BlockOffset(c1, c2)) {
    unsigned char byte = 255;
    file_.ReadAt(block, &byte, 1);
    ++bigram_accesses_;
    ++bigram_loaded_;
    score = Requant(-((int64_t{biases_[1]} + byte) << shifts_[1]));
    *level = kTrigram;
  } else {
    score = Requant(-(((int64_t{class_unigrams_[c2]} + biases_[0]) << shifts_[0]) + class_backoffs_[c1]));
    *level = kBigram;
  }
  if (cache_ && file_.is_open())
    cache_->Insert(kBigramKey, static_cast<uint16_t>(c1), static_cast<uint16_t>(c2),
                   static_cast<uint16_t>(score));
  return score;
}

int16_t PageLM::GetClassTrigramScore(int c1, int c2, int w3, int* level) {
  int l = kTrigram;
  int64_t x;
  if (semi_class_)
    x = semi_class_->Score(c1, c2, WordClass(w3), WordString(w3), cache_.get(), &l);
  else
    x = int64_t{ClassTrigram(c1, c2, WordClass(w3), &l)} - InClassByte(w3);
  Count(l);
  if (level) *level = l;
  return Weighted(x);
}

int16_t PageLM::GetTrigramScore(int w1, int w2, int w3, int* level) {
  return GetClassTrigramScore(WordClass(w1), WordClass(w2), w3, level);
}

int16_t PageLM::GetBigramScore(int w1, int w2, int* level) {
  if (semi_class_) return GetClassTrigramScore(token_classes_[kStart], WordClass(w1), w2, level);
  int l = kTrigram;
  const int64_t x = int64_t{ClassBigram(WordClass(w1), WordClass(w2), &l)} - InClassByte(w2);
  Count(l);
  if (level) *level = l;
  return Weighted(x);
}

int16_t PageLM::GetClassBigramScore(int c1, int w2, int* level) {
  int l = kTrigram;
  int64_t x;
  if (semi_class_)
    x = semi_class_->Score(token_classes_[kStart], c1, 2, WordString(w2), cache_.get(), &l);
  else
    x = int64_t{ClassBigram(c1, WordClass(w2), &l)} - InClassByte(w2);
  Count(l);
  if (level) *level = l;
  return Weighted(x);
}

int16_t PageLM::GetSentenceScore(const uint16_t* ids, int n) {
  if (!ids || n <= 0) return 0;
  const int start = token_ids_[kStart];
  int64_t sum = GetBigramScore(start, ids[0]);
  for (int k = 1; k < n; ++k) sum += GetTrigramScore(k >= 2 ? ids[k - 2] : start, ids[k - 1], ids[k]);
  return Saturate16(sum);
}

void PageLM::RescoreNBest(NBestList* list, int mode) {
  if (!list) return;
  const bool own_utterance = !in_utterance_;
  if (own_utterance) StartUtterance();
  for (int i = 0; i < list->count(); ++i) {
    Hypothesis& h = list->Mutable(i);
    int64_t add = 0;
    if (mode == 0) {
      add = GetSentenceScore(h.ids, h.count);
    } else {
      int previous = token_ids_[kStart];
      for (int k = 0; k < h.count; ++k) {
        add += GetBigramScore(previous, h.ids[k]);
        previous = h.ids[k];
      }
    }
    h.score = Saturate16(int64_t{h.score} + Saturate16(add));
  }
  if (own_utterance) EndUtterance();
  list->Sort();
}

int PageLM::LoadCache(const char* path) {
  PagedFile file;
  unsigned char head[4];
  if (!file.Open(path) || !file.ReadAt(0, head, 4)) return 0;
  const auto n = static_cast<int32_t>(LoadLittleEndian32(head));
  if (n <= 0 || n > kMaxCacheRecords || !file.Holds(4, int64_t{n} * PageLMCache::kEntryBytes)) {
    WarningMessage("PageLM: cache file %s refused", path);
    return 0;
  }
  std::vector<unsigned char> records(static_cast<std::size_t>(n) * PageLMCache::kEntryBytes);
  if (!file.ReadAt(4, records.data(), records.size())) return 0;
  cache_ = std::make_unique<PageLMCache>(n);
  for (int32_t i = 0; i < n; ++i) {
    const unsigned char* r = records.data() + static_cast<std::size_t>(i) * PageLMCache::kEntryBytes;
    cache_->Insert(LoadLittleEndian16(r + 2), LoadLittleEndian16(r + 4), LoadLittleEndian16(r + 6),
                   LoadLittleEndian16(r));
  }
  return cache_->count();
}

int64_t PageLM::GetMemoryUsage() const { return cache_ ? cache_->MemoryUse() : 0; }

void PageLM::PrintHeader() const {
  const std::string rule(27, '-');
  LogPrint("\nPageLM Header\n");
  LogPrint("%s\n", rule.c_str());
  LogPrint("%-12s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("%s\n", rule.c_str());
}

void PageLM::PrintSummary() const {
  LogPrint("PageLM summary:\n");
  timing_.PrintUtterance();
  LogPrint("Cache Hits = %.1f%% (%d out of %d)\n", lookups_ > 0 ? 100.0 * hits_ / lookups_ : 0.0, hits_,
           lookups_);
  if (LogVerbosity() < 3) return;
  if (bigram_accesses_ != 0)
    LogPrint("%d bigram disk access, %d loaded (%d per access)\n", bigram_accesses_, bigram_loaded_,
             bigram_loaded_ / bigram_accesses_);
  if (trigram_accesses_ != 0)
    LogPrint("%d trigram disk access, %d loaded (%d per access)\n", trigram_accesses_, trigram_loaded_,
             trigram_loaded_ / trigram_accesses_);
}

void PageLM::PrintReport() const {
  LogPrint("\nPageable LM Report\n");
  LogPrint("%s\n", std::string(56, '-').c_str());
  timing_.PrintTotals();
  LogPrint("%s %.1f%% (%d out of %d)\n",
           "Cache Hits = ", total_lookups_ > 0 ? 100.0 * total_hits_ / total_lookups_ : 0.0, total_hits_,
           total_lookups_);
  if (!semi_class_) return;
  const int32_t lookups = semi_class_->lookups();
  const auto percent = [lookups](int32_t n) { return lookups > 0 ? 100.0 * n / lookups : 0.0; };
  LogPrint("\nTrigram memory usage: %d bytes\n", static_cast<int>(semi_class_->MemoryUse()));
  LogPrint("Trigram backoff hits %d (%4.1f)\n", semi_class_->trigram_backoffs(),
           percent(semi_class_->trigram_backoffs()));
  LogPrint("Bigram backoff hits %d (%4.1f)\n", semi_class_->bigram_backoffs(),
           percent(semi_class_->bigram_backoffs()));
}

}  // namespace vok
