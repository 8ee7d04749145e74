#include "engine/SyllableLatticeEngine/system.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/SyllableLatticeEngine/lattice_engine.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/required_option.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/resources.h"
#include "engine/core/scoring.h"
#include "engine/core/syllable_table.h"

namespace vok {

namespace {

int ClampReported(const char* key, int value, int low, int high) {
  const int clamped = std::clamp(value, low, high);
  if (clamped != value)
    WarningMessage("%s = %d is outside %d to %d; %d is used", key, value, low, high, clamped);
  return clamped;
}

// The text of the words through the lexicon's character conversion.
std::string WordsText(const CLexicon& lexicon, const uint16_t* ids, int count, const char* separator) {
  std::vector<uint16_t> list(static_cast<std::size_t>(count) + 1);
  list[0] = static_cast<uint16_t>(count);
  std::copy(ids, ids + count, list.begin() + 1);
  std::string words;
  lexicon.WordIDsToText(list.data(), &words, " ");
  std::string text;
  SplitIntoCharacters(words.c_str(), &text, separator ? separator : "");
  return text;
}

}  // namespace

CSystem::CSystem(CLMBackendEngine* back_end)
    : back_end_(back_end), nbest_(std::make_unique<NBestList>(kNBestRecords, 1)) {}

CSystem::~CSystem() = default;

int CSystem::ProcessNextInput() { return 0; }

void CSystem::set_stack_search_beam(int beam) {
  stack_search_beam_ = static_cast<int16_t>(ClampReported("StackSearchBeam", beam, 0, 32767));
}

void CSystem::set_n_best_choices(int n) {
  n_best_choices_ = ClampReported("NBestChoices", n, 1, kNBestRecords);
}

int CSystem::ReadOptions(const Resources& resources, bool reload) {
  int result = 0;
  int value = 0;
  if (ReadRequiredInt(resources, "System", "NBestChoices", &value) == 0) {
    set_n_best_choices(value);
  } else {
    result = -1;
  }
  if (resources.GetInt("System", "OutputNBestChoices", &value) == 0) {
    output_n_best_choices_ = value;
  } else if (!reload) {
    output_n_best_choices_ = n_best_choices_;
  }
  if (resources.Get("System", "ControlFile", control_file_, kControlFileBytes) != 0) control_file_[0] = '\0';
  print_lattice_ = 0;
  resources.GetInt("System", "PrintLattice", &print_lattice_);
  value = stack_max_extend_ = kDefaultStackMaxExtend;
  if (resources.GetInt("Search", "StackMaxExtend", &value) == 0) {
    stack_max_extend_ = static_cast<int16_t>(ClampReported("StackMaxExtend", value, 0, 32767));
  }
  if (ReadRequiredInt(resources, "Search", "StackSearchBeam", &value) == 0) {
    set_stack_search_beam(value);
  } else {
    result = -1;
  }
  use_class_trigram_ = 0;
  resources.GetInt("Search", "UseClassTrigram", &use_class_trigram_);
  stack_reset_word_ = 0;
  FlushOptionErrors(reload);
  return result;
}

int CSystem::StartUtterance() {
  if (engine_) engine_->StartUtterance();
  input_count_ = 0;
  return 0;
}

int CSystem::FinishUtterance() { return engine_ ? engine_->FinishUtterance() : 0; }

int CSystem::RunBackEnd(bool rescore, bool no_lexicon_constraint) {
  if (!back_end_) return -1;
  back_end_->UseClassTrigram(use_class_trigram_ != 0);
  back_end_->Decode(table_, no_lexicon_constraint ? nullptr : pronunciations_, stack_search_beam_,
                    stack_max_extend_);
  nbest_->set_limit(n_best_choices_);
  const int32_t mode = table_ ? table_->hypothesis_mode() : 1;
  if (back_end_->GetNBest(nbest_.get(), mode) < 0) return -1;
  if (rescore) RescoreNBest(nullptr, nullptr);
  return 0;
}

int CSystem::GetAlternatives(const uint16_t* word_ids, CAlternativeList* records) {
  return back_end_ ? back_end_->GetAlternatives(word_ids, records) : -1;
}

int CSystem::RescoreNBest(const uint16_t* left_context, const uint16_t* right_context) {
  return back_end_ ? back_end_->RescoreNBest(nbest_.get(), left_context, right_context) : -1;
}

int CSystem::UpdateStatistics() {
  float elapsed = 0, processor = 0;
  int frames = 0;
  if (engine_) {
    frames = engine_->timing().last_frames();
    elapsed = engine_->timing().last_elapsed_ms();
    processor = engine_->timing().last_processor_ms();
  }
  if (back_end_ && back_end_->decoder()) {
    elapsed += back_end_->decoder()->timing().last_elapsed_ms();
    processor += back_end_->decoder()->timing().last_processor_ms();
    if (const PageLM* page = back_end_->page()) {
      elapsed += page->timing_stats().last_elapsed_ms();
      processor += page->timing_stats().last_processor_ms();
    }
  }
  timing_.set_last_times(elapsed, processor);
  timing_.AddUtterance(frames);
  return 0;
}

int64_t CSystem::GetMemoryUsage() const {
  int64_t bytes = kBaseMemory;
  if (pronunciations_) bytes += pronunciations_->GetMemoryUsage();
  if (table_) bytes += table_->MemoryUse();
  if (engine_) bytes += engine_->GetMemoryUsage();
  if (back_end_) bytes += back_end_->GetMemoryUsage();
  return bytes;
}

void CSystem::PrintSummary() const {
  const int verbosity = LogVerbosity();
  if (verbosity == 0) return;
  LogPrint("\nSystem summary:\n");
  timing_.PrintUtterance();
  if (verbosity == 1) return;
  if (engine_) engine_->PrintSummary();
  if (back_end_) back_end_->PrintSummary();
}

void CSystem::PrintReport() const {
  static const char kRule[] = "========================================================\n";
  LogPrint("\nSystem Report\n");
  LogPrint("%s", kRule);
  const int utterances = timing_.utterances();
  if (utterances == 0) return;
  timing_.PrintTotals();
  LogPrint("Number parsed in lattice = %d (%.1f percent)\n", parsed_count_,
           100.0 * parsed_count_ / utterances);
  if (engine_) engine_->PrintReport();
  if (back_end_) back_end_->PrintReport();
  LogPrint("%s", kRule);
}

int CSystem::GetNBestList(NBestList* destination) const {
  if (destination) nbest_->CopyTo(destination);
  return 0;
}

int CSystem::GetResultText(int n, char* buffer, int size, const char* separator) const {
  if (!buffer || size < 1) return -1;
  buffer[0] = '\0';
  if (n < 0 || n >= nbest_->count() || !back_end_ || !back_end_->lexicon()) return 0;
  const Hypothesis& h = nbest_->Get(n);
  // The longest run of leading words whose text fits.
  for (int words = h.count; words >= 0; --words) {
    const std::string text = WordsText(*back_end_->lexicon(), h.ids, words, separator);
    if (static_cast<int>(text.size()) < size) {
      std::memcpy(buffer, text.c_str(), text.size() + 1);
      return words == 0 && h.count > 0 ? -1 : 0;
    }
  }
  return -1;
}

int CSystem::GetResultWordIDs(int n, uint16_t* out, int capacity, const NBestList* list) const {
  if (!out || capacity < 1) return -1;
  out[0] = 0;
  const NBestList* source = list ? list : nbest_.get();
  if (n < 0 || n >= source->count()) return -1;
  const Hypothesis& h = source->Get(n);
  return h.GetIds(out, capacity) < 0 ? -1 : 0;
}

int CSystem::ReadResourceLine(Resources* resources, std::FILE* input) {
  std::FILE* console = MessageOutput();
  std::fputs("\nResources> ", console);
  std::fflush(console);
  char line[kConsoleLineBytes];
  if (!input || !std::fgets(line, sizeof line, input)) return -1;
  // The rest of an overlong line is read and dropped.
  if (!std::strchr(line, '\n')) {
    int c;
    while ((c = std::fgetc(input)) != EOF && c != '\n') {
    }
  }
  std::vector<std::string> arguments;
  for (char* token = std::strtok(line, " \t\r\n"); token; token = std::strtok(nullptr, " \t\r\n")) {
    arguments.emplace_back(token);
  }
  if (arguments.empty()) return 0;
  if (arguments.size() == 1 && arguments[0] == "-q") return -1;
  if (arguments.size() == 1 && arguments[0] == "-n") return -2;
  if (!resources) return 0;
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  resources->Merge(static_cast<int>(pointers.size()), pointers.data());
  ReadOptions(*resources, true);
  if (engine_) engine_->ReadOptions(*resources);
  if (back_end_) back_end_->ReadOptions(*resources, true);
  return 0;
}

int CSystem::PrintResults(int kind, const NBestList* list, Scoring* character_stats,
                          Scoring* syllable_stats) {
  const NBestList* source = list ? list : nbest_.get();
  const int shown = std::min(output_n_best_choices_, source->count());
  LogPrint("\nUtt:   score (  clm)\n");
  const CLexicon* lexicon = back_end_ ? back_end_->lexicon() : nullptr;
  if (kind != 3) {
    for (int i = 0; i < shown; ++i) {
      const Hypothesis& h = source->Get(i);
      std::string text;
      if (kind == 0 && syllables_) {
        char syllables[kReferenceBytes * 2];
        std::vector<uint16_t> ids(h.ids, h.ids + h.count);
        ids.insert(ids.begin(), h.count);
        if (syllables_->SyllablesToText(ids.data(), syllables, sizeof syllables) >= 0) text = syllables;
      } else if (lexicon) {
        text = WordsText(*lexicon, h.ids, h.count, " ");
      }
      LogPrint("%3d: %7d: %s\n", i + 1, source->best_score() + h.score, text.c_str());
    }
  }
  if (kind == 0) return shown;
  std::string hypothesis;
  if (source->count() > 0 && lexicon)
    hypothesis = WordsText(*lexicon, source->Get(0).ids, source->Get(0).count, " ");
  LogPrint("\nCharacter Results:\n");
  LogPrint("Reference:    %s\n", reference_words_);
  LogPrint("Hypothesized: %s\n", hypothesis.c_str());
  if (character_stats) character_stats->CompareSentences(reference_words_, hypothesis.c_str(), false);
  LogPrint("\nSyllable Result:\n");
  char hypothesis_syllables[kReferenceBytes] = {};
  if (pronunciations_ && source->count() > 0) {
    pronunciations_->WordIDsToPron(source->Get(0).ids, source->Get(0).count, hypothesis_syllables,
                                   sizeof hypothesis_syllables, " ");
  }
  LogPrint("Reference:    %s\n", reference_syllables_);
  LogPrint("Hypothesized: %s\n", hypothesis_syllables);
  if (syllable_stats) syllable_stats->CompareSentences(reference_syllables_, hypothesis_syllables, kind == 3);
  return shown;
}

}  // namespace vok
