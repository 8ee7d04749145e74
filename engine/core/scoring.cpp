#include "engine/core/scoring.h"

#include <algorithm>
#include <cstring>

#include "engine/core/messages.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"
#include "engine/core/text.h"

namespace vok {
namespace {

constexpr const char* kPlace = "Scoring::CompareSentences";

std::string Lower(std::string word) {
  for (char& c : word) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return word;
}

float Percent(int errors, int words) {
  if (words == 0) return -1.0f;
  return static_cast<float>(errors) * 100.0f / static_cast<float>(words);
}

void PrintStats(const char* title, int insertions, int deletions, int substitutions, int words) {
  const float percent = Percent(insertions + deletions + substitutions, words);
  if (percent < 0) return;
  // "%3.1f" with '.' whatever the host's locale.
  std::string number = FormatFixed(percent, 1);
  while (number.size() < 3) number.insert(number.begin(), ' ');
  LogPrint("%s: %d ins %d del %d sub %d wds (%s%%)\n", title, insertions, deletions, substitutions, words,
           number.c_str());
}

}  // namespace

void Scoring::Reset() {
  insertions_ = deletions_ = substitutions_ = words_ = 0;
  total_insertions_ = total_deletions_ = total_substitutions_ = total_words_ = 0;
  correct_sentences_ = sentences_ = 0;
  ignored_.clear();
  confusion_ = nullptr;
  last_cost_ = 0;
}

bool Scoring::SplitSentence(const char* text, bool case_sensitive, std::vector<std::string>* words) const {
  words->assign(1, "#");
  if (!text) return true;
  const std::vector<std::string> tokens = SplitTokens(text);
  int taken = 0;
  for (const std::string& token : tokens) {
    if (taken == kMaxSplitWords) break;
    std::string word = case_sensitive ? token : Lower(token);
    ++taken;
    if (taken > 1) {
      bool ignored = false;
      for (const std::string& w : ignored_) {
        if ((case_sensitive ? w : Lower(w)) == word) ignored = true;
      }
      if (ignored) continue;
    }
    words->push_back(std::move(word));
  }
  return static_cast<int>(words->size()) - 1 <= kMaxAlignedWords;
}

int Scoring::CompareSentences(const char* reference, const char* hypothesis, bool case_sensitive) {
  std::vector<std::string> ref;
  std::vector<std::string> hyp;
  insertions_ = deletions_ = substitutions_ = words_ = 0;
  if (!SplitSentence(reference, case_sensitive, &ref) || !SplitSentence(hypothesis, case_sensitive, &hyp)) {
    return ErrorSet(kPlace, -1, "errSentenceTooLong");
  }
  const int n = static_cast<int>(ref.size()) - 1;
  const int m = static_cast<int>(hyp.size()) - 1;
  if (n == 0) return ErrorSet(kPlace, -1, "errGetRefWordsFailed");
  if (m == 0) {
    deletions_ = words_ = n;
    total_deletions_ += n;
    total_words_ += n;
    ++sentences_;
    last_cost_ = n * kDeletionCost;
    return ErrorSet(kPlace, -1, "errGetHypWordsFailed");
  }

  const int columns = m + 1;
  std::vector<uint16_t> cost(static_cast<std::size_t>((n + 1) * columns));
  std::vector<uint16_t> step(cost.size());
  const auto at = [columns](int i, int j) { return static_cast<std::size_t>(i * columns + j); };
  cost[at(0, 0)] = 0;
  step[at(0, 0)] = kMatch;
  for (int j = 1; j <= m; ++j) {
    cost[at(0, j)] = static_cast<uint16_t>(cost[at(0, j - 1)] + kInsertionCost);
    step[at(0, j)] = kInsertion;
  }
  for (int i = 1; i <= n; ++i) {
    cost[at(i, 0)] = static_cast<uint16_t>(cost[at(i - 1, 0)] + kDeletionCost);
    step[at(i, 0)] = kDeletion;
  }
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= m; ++j) {
      int c;
      uint16_t s;
      if (ref[static_cast<std::size_t>(i)] == hyp[static_cast<std::size_t>(j)]) {
        c = cost[at(i - 1, j - 1)];
        s = kMatch;
      } else {
        c = cost[at(i - 1, j - 1)] + kSubstitutionCost;
        s = kSubstitution;
      }
      if (c > cost[at(i, j - 1)] + kInsertionCost) {
        c = cost[at(i, j - 1)] + kInsertionCost;
        s = kInsertion;
      }
      if (c > cost[at(i - 1, j)] + kDeletionCost) {
        c = cost[at(i - 1, j)] + kDeletionCost;
        s = kDeletion;
      }
      cost[at(i, j)] = static_cast<uint16_t>(c);
      step[at(i, j)] = s;
    }
  }

  int i = n;
  int j = m;
  while (i > 0 || j > 0) {
    if (i < 0 || j < 0) return ErrorSet(kPlace, -1, "errBacktraceFailed");
    const std::string& r = ref[static_cast<std::size_t>(i)];
    const std::string& h = hyp[static_cast<std::size_t>(j)];
    switch (step[at(i, j)]) {
      case kMatch:
      case kSubstitution:
        if (i == 0 || j == 0) return ErrorSet(kPlace, -1, "errBacktraceFailed");
        if (step[at(i, j)] == kSubstitution) ++substitutions_;
        if (confusion_) confusion_->Count(r.c_str(), h.c_str());
        --i;
        --j;
        break;
      case kInsertion:
        if (j == 0) return ErrorSet(kPlace, -1, "errBacktraceFailed");
        ++insertions_;
        if (confusion_) confusion_->Count(h.c_str(), "<INS>");
        --j;
        break;
      case kDeletion:
        if (i == 0) return ErrorSet(kPlace, -1, "errBacktraceFailed");
        ++deletions_;
        if (confusion_) confusion_->Count(r.c_str(), "<DEL>");
        --i;
        break;
      default:
        return ErrorSet(kPlace, -1, "errBacktraceFailed");
    }
  }

  words_ = n;
  total_insertions_ += insertions_;
  total_deletions_ += deletions_;
  total_substitutions_ += substitutions_;
  total_words_ += n;
  ++sentences_;
  last_cost_ = cost[at(n, m)];
  if (last_cost_ == 0) ++correct_sentences_;
  return 0;
}

void Scoring::GetSentenceStats(int* substitutions, int* insertions, int* deletions, int* words,
                               float* percent) const {
  if (substitutions) *substitutions = substitutions_;
  if (insertions) *insertions = insertions_;
  if (deletions) *deletions = deletions_;
  if (words) *words = words_;
  if (percent) *percent = Percent(insertions_ + deletions_ + substitutions_, words_);
}

void Scoring::GetTotalStats(int* substitutions, int* insertions, int* deletions, int* words,
                            float* percent) const {
  if (substitutions) *substitutions = total_substitutions_;
  if (insertions) *insertions = total_insertions_;
  if (deletions) *deletions = total_deletions_;
  if (words) *words = total_words_;
  if (percent) *percent = Percent(total_insertions_ + total_deletions_ + total_substitutions_, total_words_);
}

void Scoring::PrintSentenceStats() const {
  PrintStats("ERRORS", insertions_, deletions_, substitutions_, words_);
}

void Scoring::PrintTotalStats() const {
  PrintStats("TOTALS", total_insertions_, total_deletions_, total_substitutions_, total_words_);
}

int SegmentWords(const SymbolTable& words, int max_length, const char* text, uint16_t* ids, int capacity) {
  if (!ids || capacity < 1) return 0;
  ids[0] = 0;
  if (!text) return 0;
  const std::size_t full = std::strlen(text);
  const std::size_t length = CharacterPrefix(text, full, 255);
  // Character boundaries of the text, scanned from its start.
  std::vector<bool> boundary(length + 1, false);
  for (std::size_t p = 0; p < length; p += static_cast<std::size_t>(CharacterLength(text, p, length))) {
    boundary[p] = true;
  }
  boundary[length] = true;

  int count = 0;
  std::string candidate;
  std::size_t p = 0;
  while (p < length) {
    bool found = false;
    const std::size_t longest =
        std::min(static_cast<std::size_t>(max_length > 0 ? max_length : 0), length - p);
    for (std::size_t l = longest; l >= 2; --l) {
      if (!boundary[p + l]) continue;
      candidate.assign(text + p, l);
      const int id = words.Find(candidate.c_str());
      if (id < 0) continue;
      if (count + 1 < capacity) ids[++count] = static_cast<uint16_t>(id);
      p += l;
      found = true;
      break;
    }
    if (!found) p += static_cast<std::size_t>(CharacterLength(text, p, length));
  }
  ids[0] = static_cast<uint16_t>(count);
  return 0;
}

}  // namespace vok
