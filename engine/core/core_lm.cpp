#include "engine/core/core_lm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/cache_lm.h"
#include "engine/core/file_io.h"
#include "engine/core/hypothesis.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/semi_class_bigram.h"
#include "engine/core/symbol_table.h"

namespace vok {

namespace {

constexpr const char* kSection = "LMBackend";
constexpr int32_t kNotLookedUp = -2;

// trunc(x) in int32; NaN gives 0 and out-of-range values the nearest limit,
// so no float outside int range reaches a conversion.
inline int32_t TruncToInt(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.0) return 2147483647;
  if (x <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(x);
}

// -trunc(byte x weight), never below the int16 range.
inline int16_t WeightedScore(int bytes, float weight) {
  return Saturate16(-int64_t{TruncToInt(bytes * double{weight})});
}

}  // namespace

CoreLM::CoreLM(const Resources* resources, const char* path) {
  std::fill_n(token_ids_, kTokens, kNoWord);
  std::fill_n(token_classes_, kTokens, kNoClass);
  TableUnigramScores();
  if (resources) ReadOptions(*resources);
  entries_.assign(kWordCapacity, WordEntry{});
  counts_.assign(kWordCapacity, -1);
  semi_ids_.assign(kWordCapacity, kNotLookedUp);
  if (!path) return;
  if (SemiClassBigram::HasMagic(path)) {
    semi_class_ = std::make_unique<SemiClassBigram>(path);
    status_ = semi_class_->status();
    if (status_ == 0) {
      class_count_ = semi_class_->class_count();
      file_word_count_ = semi_class_->word_count();
      // The word scores computed from lexicon counts share the model's shift.
      bigram_shift_ = semi_class_->shift();
    }
  } else {
    status_ = ReadOlderForm(path);
  }
}

CoreLM::~CoreLM() = default;

void CoreLM::ReadOptions(const Resources& resources) {
  resources.GetFloat(kSection, "ClassBigramWeight", &class_bigram_weight_);
  resources.GetFloat(kSection, "WordProbWeight", &word_prob_weight_);
  int value = unknown_word_class_prob_;
  if (resources.GetInt(kSection, "UnknownWordClassProb", &value) == 0) unknown_word_class_prob_ = value;
  resources.GetFloat(kSection, "ClassBigramProbFloorRate", &class_bigram_floor_rate_);
  resources.GetFloat(kSection, "WordProbFloorRate", &word_prob_floor_rate_);
  TableUnigramScores();
}

void CoreLM::SetWordProbWeight(float weight) {
  word_prob_weight_ = weight;
  TableUnigramScores();
}

void CoreLM::TableUnigramScores() {
  for (int byte = 0; byte < 256; ++byte) unigram_scores_[byte] = WeightedScore(byte, word_prob_weight_);
}

int CoreLM::ReadOlderForm(const char* path) {
  std::FILE* stream = FileOpen(path, "rb");
  if (!stream) return -1;
  int result = -1;
  int32_t header_length = 0;
  unsigned char unused[252];
  int32_t words = 0, classes = 0, bias = 0, shift = 0, log_base_bits = 0;
  uint16_t person = 0, place = 0, discarded = 0;
  if (FileReadInt32(stream, &header_length) != 0) {
  } else if (header_length != kHeaderBytes) {
    WarningMessage("header length = %d", header_length);
  } else if (std::fread(unused, 1, 252, stream) == 252 && FileReadInt32(stream, &words) == 0 &&
             FileReadInt32(stream, &classes) == 0 && FileReadInt32(stream, &bias) == 0 &&
             FileReadInt32(stream, &shift) == 0 && FileReadInt32(stream, &log_base_bits) == 0 &&
             FileReadUInt16(stream, &person) == 0 && FileReadUInt16(stream, &place) == 0 &&
             FileReadUInt16(stream, &discarded) == 0 && std::fread(unused, 1, 230, stream) == 230) {
    const long long left = FileRemainingBytes(stream);
    // Class ids are 16 bits with 65535 for "none"; the table must be in the file.
    if (classes >= 0 && classes < 65535 && shift >= 0 && shift <= kMaxScoreShift &&
        (left < 0 || static_cast<long long>(classes) * classes <= left)) {
      table_.assign(static_cast<std::size_t>(classes) * static_cast<std::size_t>(classes), 255);
      if (table_.empty() || std::fread(table_.data(), 1, table_.size(), stream) == table_.size()) {
        file_word_count_ = words;
        class_count_ = classes;
        bigram_bias_ = bias;
        bigram_shift_ = shift;
        std::memcpy(&log_base_, &log_base_bits, 4);
        token_classes_[kPerson] = person;
        token_classes_[kPlace] = place;
        result = 0;
      } else {
        table_.clear();
      }
    }
  }
  FileClose(stream);
  return result;
}

void CoreLM::AllocWords(int n) {
  word_count_ = std::clamp(n, 0, kFirstPseudoWord);
  entries_.assign(kWordCapacity, WordEntry{});
  counts_.assign(kWordCapacity, -1);
  class_totals_.assign(static_cast<std::size_t>(class_count_), 0);
  total_ = 0;
  largest_count_ = 0;
}

int32_t CoreLM::class_total(int c) const {
  return ValidClass(c) ? class_totals_[static_cast<std::size_t>(c)] : 0;
}

void CoreLM::SetWordCount(int id, int word_class, int32_t count) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  const int c = CheckedClass(word_class);
  entries_[w].word_class = static_cast<uint16_t>(c);
  counts_[w] = count;
  if (count <= 0) return;
  if (ValidClass(c)) {
    int32_t& class_total = class_totals_[static_cast<std::size_t>(c)];
    class_total = static_cast<int32_t>(std::min<int64_t>(int64_t{class_total} + count, INT32_MAX));
  }
  total_ = static_cast<int32_t>(std::min<int64_t>(int64_t{total_} + count, INT32_MAX));
  largest_count_ = std::max(largest_count_, count);
}

void CoreLM::AddWord(int id, int word_class, int score) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  semi_ids_[w] = kNotLookedUp;
  WordEntry& e = entries_[w];
  const auto s = static_cast<uint8_t>(std::clamp(score, 0, 255));
  e.unigram = std::min(e.unigram, s);
  e.in_class = std::min(e.in_class, s);
  e.word_class = static_cast<uint16_t>(CheckedClass(word_class));
}

void CoreLM::BoostWord(int id, int amount) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  WordEntry& e = entries_[w];
  e.unigram = static_cast<uint8_t>(std::clamp(e.unigram - amount, 0, 255));
  e.in_class = static_cast<uint8_t>(std::clamp(e.in_class - amount, 0, 255));
}

void CoreLM::ResetWord(int id) {
  const int w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return;
  entries_[w] = WordEntry{};
  semi_ids_[w] = kNotLookedUp;
}

void CoreLM::BindClassTokens(const SymbolTable& words) {
  words_ = &words;
  std::fill(semi_ids_.begin(), semi_ids_.end(), kNotLookedUp);
  vok::BindClassTokens(
      words, [this](int id) { return static_cast<uint16_t>(CheckedClass(entry(id).word_class)); }, kNoClass,
      token_ids_, token_classes_);
}

void CoreLM::ReleaseWordList(const SymbolTable* words) {
  if (words_ != words) return;
  words_ = nullptr;
  std::fill(semi_ids_.begin(), semi_ids_.end(), kNotLookedUp);
}

int CoreLM::AddPseudoWords(int score) {
  // Pseudo-word id and the token whose class it takes.
  static constexpr struct {
    int id;
    Token token;
  } kPseudo[kPseudoWords] = {{65500, kUnknown}, {65501, kPerson},  {65502, kPlace},  {65503, kUnknown},
                             {65504, kIdiom},   {65505, kUnknown}, {65506, kUnknown}};
  for (const auto& p : kPseudo) AddWord(p.id, token_classes_[p.token], score);
  return kPseudoWords;
}

void CoreLM::ComputeScores() {
  const int unknown = token_classes_[kUnknown];
  for (int w = word_count_; w < kWordCapacity; ++w) SetWordCount(w, unknown, 1);
  const int s = std::clamp(bigram_shift_, 0, kMaxScoreShift);
  in_class_shift_ = s;
  unigram_shift_ = s;
  in_class_floor_ = static_cast<float>(std::pow(1.0001, -static_cast<double>(int64_t{255} << s)));

  auto in_class_p = [&](int w) {
    const int32_t class_total =
        ValidClass(entries_[w].word_class) ? class_totals_[entries_[w].word_class] : 0;
    return class_total > 0 ? static_cast<double>(counts_[w]) / class_total : 0.0;
  };
  auto unigram_p = [&](int w) { return total_ > 0 ? static_cast<double>(counts_[w]) / total_ : 0.0; };
  const double largest_p = total_ > 0 ? static_cast<double>(largest_count_) / total_ : 0.0;
  CostHistogram in_class_costs(0.0f, 1.0f);
  CostHistogram unigram_costs(static_cast<float>(-((-int64_t{LogValue(largest_p)}) >> s)), 1.0f);
  for (int w = 0; w < kWordCapacity; ++w) {
    if (counts_[w] <= 0) continue;
    in_class_costs.Add(static_cast<double>((-int64_t{LogValue(in_class_p(w))}) >> s));
    unigram_costs.Add(static_cast<double>((-int64_t{LogValue(unigram_p(w))}) >> s));
  }
  in_class_bias_ = TruncToInt(in_class_costs.ValueAt(1.0 - class_bigram_floor_rate_) - 255.0);
  unigram_bias_ = TruncToInt(unigram_costs.ValueAt(1.0 - word_prob_floor_rate_) - 255.0);

  for (int w = 0; w < word_count_; ++w) {
    entries_[w].unigram = ScoreByte(unigram_p(w), unigram_shift_, unigram_bias_);
    entries_[w].in_class = ScoreByte(in_class_p(w), in_class_shift_, in_class_bias_);
  }
  for (int w = word_count_; w < kWordCapacity; ++w) {
    entries_[w].unigram = 240;
    entries_[w].in_class = 240;
  }
  const int unknown_byte = std::clamp(-unknown_word_class_prob_, 0, 255);
  for (int w = 0; w < word_count_; ++w) {
    if (entries_[w].word_class == unknown && entries_[w].in_class > unknown_byte) {
      entries_[w].in_class = static_cast<uint8_t>(unknown_byte);
    }
  }
  total_reciprocal_ = total_ > 0 ? 1.0f / static_cast<float>(total_) : 0.0f;
}

void CoreLM::ApplySentenceEndRule() {
  if (table_.empty()) return;
  const int end = token_classes_[kEnd];
  const int start = token_classes_[kStart];
  const auto row = static_cast<std::size_t>(class_count_);
  if (ValidClass(end)) {
    std::fill_n(table_.begin() + static_cast<std::ptrdiff_t>(end * row), row, 255);
    table_[end * row + end] = 0;
  }
  if (ValidClass(start) && ValidClass(end)) table_[start * row + end] = 255;
  table_revision_ = NewRevision();
}

CoreLM::WordEntry CoreLM::entry(int id) const {
  const auto w = static_cast<uint16_t>(id);
  return w < kWordCapacity ? entries_[w] : WordEntry{};
}

int CoreLM::ReadLexiconSection(std::FILE* stream) {
  int32_t values[5];
  uint32_t floor_bits = 0;
  uint32_t ceiling_bits = 0;
  for (int32_t& v : values)
    if (FileReadInt32(stream, &v) != 0) return -1;
  if (FileReadInt(stream, &floor_bits, 4) != 0 || FileReadInt(stream, &ceiling_bits, 4) != 0) return -1;
  if (values[2] < 0 || values[2] > kMaxScoreShift || values[4] < 0 || values[4] > kMaxScoreShift) return -1;
  std::vector<int32_t> class_totals(static_cast<std::size_t>(class_count_));
  for (int32_t& t : class_totals)
    if (FileReadInt32(stream, &t) != 0) return -1;
  total_ = values[0];
  in_class_bias_ = values[1];
  in_class_shift_ = values[2];
  unigram_bias_ = values[3];
  unigram_shift_ = values[4];
  std::memcpy(&in_class_floor_, &floor_bits, 4);
  std::memcpy(&in_class_ceiling_, &ceiling_bits, 4);
  class_totals_ = std::move(class_totals);
  total_reciprocal_ = total_ > 0 ? 1.0f / static_cast<float>(total_) : 0.0f;
  return 0;
}

int CoreLM::WriteLexiconSection(std::FILE* stream) const {
  uint32_t floor_bits = 0;
  uint32_t ceiling_bits = 0;
  std::memcpy(&floor_bits, &in_class_floor_, 4);
  std::memcpy(&ceiling_bits, &in_class_ceiling_, 4);
  for (int32_t v : {total_, in_class_bias_, in_class_shift_, unigram_bias_, unigram_shift_,
                    static_cast<int32_t>(floor_bits), static_cast<int32_t>(ceiling_bits)})
    if (FileWriteInt32(stream, v) != 0) return -1;
  for (int c = 0; c < class_count_; ++c)
    if (FileWriteInt32(stream, class_total(c)) != 0) return -1;
  return 0;
}

int CoreLM::ReadWordData(std::FILE* stream, int id) {
  int32_t count = 0;
  unsigned char bytes[4];
  if (FileReadInt32(stream, &count) != 0 || std::fread(bytes, 1, 4, stream) != 4) return -1;
  const auto w = static_cast<uint16_t>(id);
  if (w >= kWordCapacity) return 0;
  counts_[w] = count;
  entries_[w].word_class = static_cast<uint16_t>(CheckedClass((bytes[0] << 8) | bytes[1]));
  entries_[w].in_class = bytes[2];
  entries_[w].unigram = bytes[3];
  largest_count_ = std::max(largest_count_, count);
  return 0;
}

int CoreLM::WriteWordData(std::FILE* stream, int id) const {
  const WordEntry e = entry(id);
  const unsigned char bytes[4] = {static_cast<unsigned char>(e.word_class >> 8),
                                  static_cast<unsigned char>(e.word_class), e.in_class, e.unigram};
  if (FileWriteInt32(stream, word_count_of(id)) != 0) return -1;
  return std::fwrite(bytes, 1, 4, stream) == 4 ? 0 : -1;
}

int CoreLM::SemiClassByte(int h, int w) const {
  const auto id = static_cast<uint16_t>(w);
  if (id >= kWordCapacity) return 255;
  int32_t& semi_id = semi_ids_[id];
  if (semi_id == kNotLookedUp) semi_id = words_ ? semi_class_->WordId(words_->GetName(id)) : -1;
  return semi_class_->Lookup(h, ScoringClass(w), semi_id);
}

int16_t CoreLM::GetUnigramScore(int w) const {
  const auto id = static_cast<uint16_t>(w);
  const int byte = id < kWordCapacity ? entries_[id].unigram : 255;
  const int16_t own = unigram_scores_[byte];
  if (!cache_lm_) return own;
  return std::max(own, WeightedScore(cache_lm_->GetScoreByte(id), cache_lm_->weight()));
}

int16_t CoreLM::GetBigramScore(int w1, int w2) const {
  const int c1 = ScoringClass(w1);
  const int c2 = ScoringClass(w2);
  if (c1 == token_classes_[kEnd] && c2 != c1) return kForbidden;
  if (semi_class_) return WeightedScore(SemiClassByte(c1, w2), class_bigram_weight_);
  return WeightedScore(table_byte(c1, c2) + InClassByte(w2), class_bigram_weight_);
}

int16_t CoreLM::GetContinuationScore(int w, int next_class, int next_word) const {
  const int c = ScoringClass(w);
  if (c == token_classes_[kEnd] && next_class != c) return kForbidden;
  if (semi_class_) return WeightedScore(SemiClassByte(c, next_word), class_bigram_weight_);
  return WeightedScore(table_byte(c, next_class) + InClassByte(w), class_bigram_weight_);
}

int16_t CoreLM::WeightedClassBigramScore(int bytes) const {
  return WeightedScore(bytes, class_bigram_weight_);
}

int16_t CoreLM::GetContinuationScore(const ContinuationTerms& w, int next_class) const {
  if (w.word_class == token_classes_[kEnd] && next_class != w.word_class) return kForbidden;
  return WeightedClassBigramScore(table_byte(w.word_class, next_class) + w.in_class);
}

int16_t CoreLM::GetWordScore(int previous_class, int w, WordTerms* terms) const {
  const int c = ScoringClass(w);
  const auto id = static_cast<uint16_t>(w);
  const int u = -(id < kWordCapacity ? entries_[id].unigram : 255);
  int b = 0;
  int i = 0;
  int16_t total = 0;
  if (semi_class_) {
    b = -SemiClassByte(previous_class, w);
    total = Saturate16(TruncToInt(u * double{word_prob_weight_} + b * double{class_bigram_weight_}));
  } else {
    b = -table_byte(previous_class, c);
    i = -InClassByte(w);
    total = Saturate16(TruncToInt((b + i) * double{class_bigram_weight_} + u * double{word_prob_weight_}));
  }
  if (terms)
    *terms = WordTerms{static_cast<int16_t>(c), total, static_cast<int16_t>(b), static_cast<int16_t>(i),
                       static_cast<int16_t>(u)};
  return total;
}

int16_t CoreLM::GetSentenceScore(const uint16_t* ids, int n, WordTerms* terms) const {
  int previous = token_classes_[kStart];
  int64_t sum = 0;
  for (int k = 0; k < n; ++k) {
    sum += GetWordScore(previous, ids[k], terms ? &terms[k] : nullptr);
    previous = ScoringClass(ids[k]);
  }
  return Saturate16(sum);
}

int16_t CoreLM::GetUnigramSum(const uint16_t* ids, int n) const {
  int64_t sum = 0;
  for (int k = 0; k < n; ++k) sum += GetUnigramScore(ids[k]);
  return Saturate16(sum);
}

int16_t CoreLM::GetBigramSum(const uint16_t* ids, int n) const {
  int64_t sum = 0;
  int previous = token_ids_[kStart];
  for (int k = 0; k < n; ++k) {
    sum += GetBigramScore(previous, ids[k]);
    previous = ids[k];
  }
  return Saturate16(sum);
}

void CoreLM::RemoveScoresFromNBest(NBestList* list, bool bigram) const {
  if (!list) return;
  for (int k = 0; k < list->count(); ++k) {
    Hypothesis& h = list->Mutable(k);
    const int16_t sum = bigram ? GetBigramSum(h.ids, h.count) : GetUnigramSum(h.ids, h.count);
    h.score = Saturate16(int64_t{h.score} - sum);
  }
}

void CoreLM::PrintWordTerms(const WordTerms* terms, int n, const char* title) {
  LogPrint("%s", title ? title : "");
  for (int k = 0; k < n; ++k)
    LogPrint("%d(%d,%d,%d) ", terms[k].total, terms[k].bigram, terms[k].in_class, terms[k].unigram);
  LogPrint("\n");
}

int64_t CoreLM::GetMemoryUsage() const {
  const int64_t c = class_count_;
  return (c + 4) * c + 4 * int64_t{kWordCapacity} + 4;
}

void CoreLM::PrintHeader() const {
  if (semi_class_) return;
  const std::string rule(37, '-');
  const auto percent = [](int64_t part, int64_t whole) {
    return whole > 0 ? 100.0 * double(part) / double(whole) : 0.0;
  };
  int in_class_floor = 0, in_class_ceiling = 0;
  for (int w = 0; w < word_count_; ++w) {
    in_class_floor += entries_[w].in_class == 255;
    in_class_ceiling += entries_[w].in_class == 0;
  }
  const int64_t cells = static_cast<int64_t>(table_.size());
  const auto table_floor = std::count_if(table_.begin(), table_.end(), [](uint8_t v) { return v > 254; });
  const auto table_ceiling = std::count(table_.begin(), table_.end(), uint8_t{0});
  LogPrint("\nCoreLM Header\n");
  LogPrint("%s\n", rule.c_str());
  LogPrint("%-15s    %d\n", "# Words:", word_count_);
  LogPrint("%-15s    %d\n", "# Classes:", class_count_);
  LogPrint("%-15s    %d\n", "Pr(w) shift:", unigram_shift_);
  LogPrint("%-15s    %d\n", "Pr(w) bias:", unigram_bias_);
  LogPrint("%-15s    %d\n", "Pr(w|c) shift:", in_class_shift_);
  LogPrint("%-15s    %d\n", "Pr(w|c) bias:", in_class_bias_);
  LogPrint("%-15s    %d\n", "Pr(c2|c1) shift:", bigram_shift_);
  LogPrint("%-15s    %d\n", "Pr(c2|c1) bias:", bigram_bias_);
  LogPrint("%-25s    %f\n", "Pr(w|c) prob floor:", double{in_class_floor_});
  LogPrint("%-25s    %f\n", "Pr(w|c) prob ceiling:", double{in_class_ceiling_});
  LogPrint("%-25s    %d (%.1f perc)\n", "Pr(w|c) floor cnt:", in_class_floor,
           percent(in_class_floor, word_count_));
  LogPrint("%-25s    %d (%.1f perc)\n", "Pr(w|c) ceiling cnt:", in_class_ceiling,
           percent(in_class_ceiling, word_count_));
  LogPrint("%-25s    %d (%.1f perc)\n", "Pr(c2|c1) floor cnt:", static_cast<int>(table_floor),
           percent(table_floor, cells));
  LogPrint("%-25s    %d (%.1f perc)\n", "Pr(c2|c1) ceiling cnt:", static_cast<int>(table_ceiling),
           percent(table_ceiling, cells));
  LogPrint("%-15s    %f\n", "Log base:", double{log_base_});
  LogPrint("%-15s    %f\n", "Memory usage:", static_cast<double>(GetMemoryUsage()));
  LogPrint("%s\n", rule.c_str());
}

}  // namespace vok
