#include "engine/core/lexicon.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/core_lm.h"
#include "engine/core/file_io.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/replacing_file.h"
#include "engine/core/resources.h"
#include "engine/core/scoring.h"
#include "engine/core/token_scan.h"

namespace vok {

namespace {

constexpr int kPseudoWordScore = 240;

// The integer before a field's first "/" (so "12/7" reads as 12); false when
// the field does not start with a number.
bool ReadNumberField(const char* field, long* value) {
  if (!field) return false;
  char* end = nullptr;
  *value = std::strtol(field, &end, 10);
  return end != field && (*end == '\0' || *end == '/');
}

int ClampToInt(long v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int>(v); }

}  // namespace

CLexicon::CLexicon() = default;

CLexicon::~CLexicon() { ReleaseWords(); }

void CLexicon::ReleaseWords() {
  if (core_) core_->ReleaseWordList(words_.get());
  if (page_) page_->ReleaseWordList(words_.get());
}

CLexicon::CLexicon(const Resources* resources, const char* text_path, CoreLM* core, PageLM* page)
    : core_(core), page_(page) {
  if (resources) resources->GetInt("LMBackend", "PrintLMScores", &print_lm_scores_);
  status_ = ReadText(text_path);
  if (status_ == 0) BindAfterText();
}

CLexicon::CLexicon(const char* binary_path, CoreLM* core, PageLM* page, uint16_t tag) {
  status_ = Load(binary_path, core, page, tag);
}

bool CLexicon::CoreUsable() const { return core_ && core_->status() == 0; }
bool CLexicon::PageUsable() const { return page_ && page_->status() == 0; }

int CLexicon::ReadText(const char* path) {
  ReleaseWords();
  std::FILE* stream = FileOpen(path, "rb");
  if (!stream) return -1;
  std::string line;
  char label[kLineBytes];
  int n = 0;
  int classes = 0;
  int result = -1;
  if (FileReadLine(stream, &line) < 0 || line.size() >= kLineBytes ||
      std::sscanf(line.c_str(), "%511s%d", label, &n) != 2 || n < 0 || n > kMaxEntries) {
    ErrorMessage("CLexicon: bad entry count line");
  } else if (FileReadLine(stream, &line) < 0 || line.size() >= kLineBytes ||
             std::sscanf(line.c_str(), "%511s%d", label, &classes) != 2) {
    ErrorMessage("CLexicon: bad class count line");
  } else {
    if (CoreUsable() && classes != core_->class_count())
      ErrorMessage("CLexicon::ReadHeader: # classes (%d & %d) not ==", classes, core_->class_count());
    words_ = std::make_unique<SymbolTable>(kTextCapacity);
    if (CoreUsable()) core_->AllocWords(n);
    if (PageUsable()) page_->AllocWords(n);
    int i = 0;
    for (; i < n && FileReadLine(stream, &line) >= 0; ++i) {
      std::vector<char> copy(line.begin(), line.end());
      copy.push_back('\0');
      const char* fields[5] = {};
      int count = 0;
      for (char* p = copy.data(); count < 5;) {
        p += std::strspn(p, " \t\n");
        if (*p == '\0') break;
        fields[count++] = p;
        p += std::strcspn(p, " \t\n");
        if (*p != '\0') *p++ = '\0';
      }
      long core_class = 0;
      long word_count = 0;
      long page_class = 0;
      if (count < 4 || !ReadNumberField(fields[2], &core_class) || !ReadNumberField(fields[3], &word_count) ||
          !ReadNumberField(count > 4 ? fields[4] : fields[2], &page_class)) {
        ErrorMessage("CLexicon: bad entry line %d", i + 3);
        break;
      }
      if (words_->Find(fields[1]) >= 0) LogPrint("Word %s already in the lexicon!\n", fields[1]);
      // Entries go by line: a repeated word takes its line's id too, so ids,
      // entries and pronunciation lines stay aligned.
      if (words_->AddNew(fields[1]) != i) {
        ErrorMessage("CLexicon: word of line %d cannot be stored", i + 3);
        break;
      }
      if (CoreUsable()) core_->SetWordCount(i, ClampToInt(core_class), ClampToInt(word_count));
      if (PageUsable()) page_->SetWordCount(i, ClampToInt(page_class), ClampToInt(word_count));
    }
    if (i == n) {
      entry_count_ = n;
      result = 0;
    } else if (i < n) {
      ErrorMessage("CLexicon: %d entries announced, %d read", n, i);
    }
  }
  FileClose(stream);
  if (result != 0) words_.reset();
  return result;
}

void CLexicon::BindAfterText() {
  if (CoreUsable()) {
    core_->BindClassTokens(*words_);
    core_->ComputeScores();
    core_->AddPseudoWords(kPseudoWordScore);
    core_->ApplySentenceEndRule();
  }
  if (PageUsable()) {
    page_->BindClassTokens(*words_);
    if (CoreUsable())
      page_->ComputeInClassScores(core_->in_class_bias(), core_->in_class_shift());
    else
      page_->ComputeInClassScores(page_->in_class_bias(), page_->in_class_shift());
    page_->AddPseudoWords(kPseudoWordScore);
  }
}

void CLexicon::BindAfterBinary() {
  if (CoreUsable()) {
    core_->BindClassTokens(*words_);
    core_->AddPseudoWords(kPseudoWordScore);
    core_->ApplySentenceEndRule();
  }
  if (PageUsable()) {
    page_->BindClassTokens(*words_);
    page_->AddPseudoWords(kPseudoWordScore);
  }
}

int CLexicon::Load(const char* binary_path, CoreLM* core, PageLM* page, uint16_t tag) {
  ReleaseWords();
  core_ = core;
  page_ = page;
  std::FILE* stream = FileOpen(binary_path, "rb");
  if (!stream) return -1;
  const int result = ReadBinary(stream, tag);
  FileClose(stream);
  if (result != 0) {
    words_.reset();
    entry_count_ = 0;
    return result;
  }
  BindAfterBinary();
  return 0;
}

int CLexicon::ReadBinary(std::FILE* stream, uint16_t tag) {
  auto words = std::make_unique<SymbolTable>();
  const int table = words->Read(stream, tag);
  if (table < 0) return table;
  int32_t n = 0;
  int32_t classes = 0;
  int32_t page_classes = 0;
  if (FileReadInt32(stream, &n) != 0 || FileReadInt32(stream, &classes) != 0 ||
      FileReadInt32(stream, &page_classes) != 0)
    return -1;
  if (n < 0 || n > kMaxEntries || classes < 0 || page_classes < 0) return -1;
  // The stored class count must be the bound model's, else the rest would be
  // misparsed; without a core model its bytes are skipped by the stored count.
  const bool core = CoreUsable();
  if (core && classes != core_->class_count()) {
    ErrorMessage("CLexicon: stored class count %d differs from the model's %d", classes,
                 core_->class_count());
    return -1;
  }
  // A file written without the page model leaves the bound one's entries unset.
  const bool page = PageUsable() && page_classes > 0;
  if (page && page_classes != page_->class_count()) {
    ErrorMessage("CLexicon: stored page class count %d differs from the model's %d", page_classes,
                 page_->class_count());
    return -1;
  }
  const long long left = FileRemainingBytes(stream);
  const long long needed = CoreLM::SectionBytes(classes) + 4LL * page_classes +
                           static_cast<long long>(n) * (CoreLM::kWordDataBytes + PageLM::kWordDataBytes);
  if (left >= 0 && left < needed) return -1;
  if (core) {
    core_->AllocWords(n);
    if (core_->ReadLexiconSection(stream) != 0) return -1;
  } else if (std::fseek(stream, static_cast<long>(CoreLM::SectionBytes(classes)), SEEK_CUR) != 0) {
    return -1;
  }
  if (PageUsable()) page_->AllocWords(n);
  if (page) {
    if (page_->ReadLexiconSection(stream) != 0) return -1;
  } else if (std::fseek(stream, static_cast<long>(4LL * page_classes), SEEK_CUR) != 0) {
    return -1;
  }
  unsigned char skipped[CoreLM::kWordDataBytes];
  for (int i = 0; i < n; ++i) {
    if (core) {
      if (core_->ReadWordData(stream, i) != 0) return -1;
    } else if (std::fread(skipped, 1, CoreLM::kWordDataBytes, stream) != CoreLM::kWordDataBytes) {
      return -1;
    }
    if (page) {
      if (page_->ReadWordData(stream, i) != 0) return -1;
    } else if (std::fread(skipped, 1, PageLM::kWordDataBytes, stream) != PageLM::kWordDataBytes) {
      return -1;
    }
  }
  words_ = std::move(words);
  entry_count_ = n;
  return 0;
}

int CLexicon::WriteBinary(const char* path, uint16_t tag, uint8_t flag) const {
  if (!CoreUsable() || !words_) return -1;
  ReplacingFile file(path);
  std::FILE* stream = file.stream();
  if (!stream) return -1;
  if (words_->Write(stream, tag, flag) != 0) return -1;
  const bool page = PageUsable();
  if (FileWriteInt32(stream, entry_count_) != 0 || FileWriteInt32(stream, core_->class_count()) != 0 ||
      FileWriteInt32(stream, page ? page_->class_count() : 0) != 0 ||
      core_->WriteLexiconSection(stream) != 0 || (page && page_->WriteLexiconSection(stream) != 0))
    return -1;
  static constexpr unsigned char kNoPageEntry[PageLM::kWordDataBytes] = {0, 0, 0};
  for (int i = 0; i < entry_count_; ++i) {
    if (core_->WriteWordData(stream, i) != 0) return -1;
    if (page ? page_->WriteWordData(stream, i) != 0
             : std::fwrite(kNoPageEntry, 1, PageLM::kWordDataBytes, stream) != PageLM::kWordDataBytes)
      return -1;
  }
  return file.Commit();
}

uint16_t CLexicon::StringToWordID(const char* word) const {
  if (!words_ || !word) return kNoWord;
  const int id = words_->Find(word);
  return id < 0 || id >= kNoWord ? kNoWord : static_cast<uint16_t>(id);
}

const char* CLexicon::WordIDToString(int id) const {
  return words_ ? words_->GetName(static_cast<uint16_t>(id)) : nullptr;
}

int CLexicon::AddWord(const char* word, int core_class, int core_score, int page_class, int page_score) {
  if (!word) return -1;
  if (!words_) words_ = std::make_unique<SymbolTable>(kTextCapacity);
  const uint16_t existing = StringToWordID(word);
  if (existing != kNoWord) {
    BoostWord(existing, 10);
    return 0;
  }
  if (words_->GetCount() >= kMaxEntries) return -1;
  const int id = words_->AddNew(word);
  if (id < 0) return -1;
  ++entry_count_;
  if (CoreUsable()) core_->AddWord(id, core_class, core_score);
  if (PageUsable()) page_->AddWord(id, page_class, page_score);
  return 1;
}

void CLexicon::CategoryClasses(int category, uint16_t* core_class, uint16_t* page_class) const {
  const CoreLM::Token core_token = category == 0   ? CoreLM::kPerson
                                   : category == 1 ? CoreLM::kPlace
                                   : category == 2 ? CoreLM::kIdiom
                                                   : CoreLM::kUnknown;
  const PageLM::Token page_token = category == 0   ? PageLM::kPerson
                                   : category == 1 ? PageLM::kPlace
                                   : category == 2 ? PageLM::kIdiom
                                                   : PageLM::kUnknown;
  if (core_class) *core_class = CoreUsable() ? core_->token_class(core_token) : CoreLM::kNoClass;
  if (page_class) *page_class = PageUsable() ? page_->token_class(page_token) : PageLM::kNoClass;
}

int CLexicon::BoostWord(int id, int amount) {
  if (CoreUsable()) core_->BoostWord(static_cast<uint16_t>(id), amount);
  if (PageUsable()) page_->BoostWord(static_cast<uint16_t>(id), amount);
  return 0;
}

int CLexicon::RemoveWord(const char* word) {
  if (!words_ || !word) return -1;
  const int id = words_->RemoveKeepingId(word);
  if (id < 0) return -1;
  if (CoreUsable()) core_->ResetWord(id);
  if (PageUsable()) page_->ResetWord(id);
  return id;
}

const uint16_t* CLexicon::TextToWordIDs(const char* text) const {
  thread_local uint16_t list[kMaxTextIds + 2];
  if (!text) return nullptr;
  std::vector<char> copy(text, text + std::strlen(text) + 1);
  int count = 0;
  for (char* piece = TokenScanFirst(copy.data(), " \n\t"); piece; piece = TokenScanNext(" \n\t")) {
    const uint16_t id = StringToWordID(piece);
    if (id == kNoWord) {
      WarningMessage("Word %s not in lexicon", piece);
      return nullptr;
    }
    if (count >= kMaxTextIds) {
      WarningMessage("More than %d words in a text", kMaxTextIds);
      return nullptr;
    }
    list[1 + count++] = id;
  }
  list[0] = static_cast<uint16_t>(count);
  list[1 + count] = kNoWord;
  return list;
}

int CLexicon::WordIDsToText(const uint16_t* list, std::string* out, const char* separator) const {
  out->clear();
  for (int k = 0; k < list[0]; ++k) {
    const char* word = WordIDToString(list[1 + k]);
    if (!word) return -1;
    out->append(word);
    out->append(separator);
  }
  if (!out->empty() && out->back() == ' ') out->pop_back();
  return 0;
}

int64_t CLexicon::GetMemoryUsage() const { return (words_ ? words_->MemoryUse() : 0) + 4; }

void CLexicon::PrintHeader() const {
  const std::string rule(38, '-');
  LogPrint("\nLexicon Header\n%s\n", rule.c_str());
  LogPrint("%-25s    %d\n", "# Entries:", entry_count_);
  LogPrint("%-25s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("%-25s    %d\n", "Word Table count:", words_ ? words_->GetCount() : 0);
  LogPrint("%-25s    %d\n", "Word Table memory:", words_ ? static_cast<int>(words_->MemoryUse()) : 0);
  LogPrint("%s\n", rule.c_str());
}

void CLexicon::HypothesisToText(const Hypothesis& hypothesis, std::string* out, const char* separator) const {
  out->clear();
  for (int k = 0; k < hypothesis.count && k < Hypothesis::kMaxIds; ++k) {
    const char* word = WordIDToString(hypothesis.ids[k]);
    if (!word) continue;
    out->append(word);
    out->append(separator);
  }
}

int CLexicon::StringToPron(const char* text, std::string* out) const {
  out->clear();
  if (!tree_ || !text) return -1;
  const std::size_t length = std::strlen(text);
  for (std::size_t i = 0; i < length; i += 2) {
    const std::string character(text + i, std::min<std::size_t>(2, length - i));
    const uint16_t id = StringToWordID(character.c_str());
    const char* pron = id == kNoWord ? nullptr : tree_->GetEntryPron(id);
    if (!pron) return -1;
    if (!out->empty()) out->push_back('-');
    out->append(pron);
  }
  return 0;
}

std::unique_ptr<CLexTree> CLexicon::BuildCodeTree(const char* separator, bool backward) const {
  auto tree = std::make_unique<CLexTree>(entry_count_, separator, backward);
  if (tree->status() != 0) return nullptr;
  std::string pron;
  for (int id = 0; id < entry_count_; ++id) {
    const char* word = WordIDToString(id);
    if (!word || word[0] == '<' || word[0] == '_') {
      tree->AddPronsAt(id, "XX", false);
    } else {
      WordToCodePron(word, &pron);
      tree->AddPronsAt(id, pron.c_str(), true);
    }
  }
  return tree;
}

int16_t CLexicon::ListingScore(const uint16_t* ids, int n, int model, const char* prefix) const {
  if (!CoreUsable()) return 0;
  if (model == 2) {
    int64_t sum = core_->GetUnigramSum(ids, n);
    if (PageUsable()) sum += page_->GetSentenceScore(ids, n);
    return static_cast<int16_t>(std::clamp<int64_t>(sum, -32768, 32767));
  }
  std::vector<CoreLM::WordTerms> terms(static_cast<std::size_t>(std::max(n, 1)));
  const int16_t score = core_->GetSentenceScore(ids, n, terms.data());
  if (model == 1 && print_lm_scores_ && prefix) CoreLM::PrintWordTerms(terms.data(), n, prefix);
  return score;
}

int CLexicon::PrintNBest(const uint16_t* reference, int utterance, NBestList* list, Scoring* scoring, int n,
                         int model) const {
  if (!list) return 0;
  std::string text;
  int16_t reference_score = 0;
  if (reference) {
    WordIDsToText(reference, &text, " ");
    const int16_t score = reference_score = ListingScore(reference + 1, reference[0], model, nullptr);
    LogPrint("  0: %7d (%5d): %s\n", utterance, score, text.c_str());
    if (model == 1 && print_lm_scores_)
      ListingScore(reference + 1, reference[0], model, "++p(c2|c1),p(w|c),p(w) ");
  }
  const int shown = std::min(n, list->count());
  int listed = 0;
  for (; listed < shown; ++listed) {
    const Hypothesis& h = list->Get(listed);
    if (h.count == 0) break;
    HypothesisToText(h, &text, " ");
    LogPrint("%3ld: ", static_cast<long>(listed + 1));
    LogPrint("%7d (%5d): ", static_cast<int>(list->best_score() + h.score),
             ListingScore(h.ids, h.count, model, nullptr));
    LogPrint("%s\n", text.c_str());
    if (model == 1 && print_lm_scores_) ListingScore(h.ids, h.count, model, std::string(23, ' ').c_str());
  }
  if (!reference) return shown;
  int rank = -1;
  for (int i = 0; i < list->count() && rank < 0; ++i)
    if (list->Get(i).Equals(reference + 1, reference[0])) rank = i;
  list->UpdateStatistics(rank, reference_score);
  if (scoring && list->count() > 0) {
    std::string reference_text, best_text;
    WordIDsToText(reference, &reference_text, " ");
    HypothesisToText(list->Get(0), &best_text, " ");
    scoring->CompareSentences(reference_text.c_str(), best_text.c_str(), true);
    scoring->PrintSentenceStats();
    scoring->PrintTotalStats();
  }
  return 0;
}

void SplitIntoCharacters(const char* text, std::string* out, const char* separator) {
  std::string compact;
  for (const char* p = text; *p; ++p)
    if (*p != ' ') compact.push_back(*p);
  out->clear();
  for (std::size_t i = 0; i < compact.size(); i += 2) {
    out->append(compact, i, 2);
    out->append(separator);
  }
}

void WordToCodePron(const char* word, std::string* out) {
  out->clear();
  const std::size_t length = std::strlen(word);
  char code[8];
  for (std::size_t i = 0; i < length; i += 2) {
    const auto high = static_cast<unsigned char>(word[i]);
    const auto low = i + 1 < length ? static_cast<unsigned char>(word[i + 1]) : 0;
    std::snprintf(code, sizeof code, "%02x%02x", high, low);
    if (!out->empty()) out->push_back('-');
    out->append(code);
  }
}

}  // namespace vok
