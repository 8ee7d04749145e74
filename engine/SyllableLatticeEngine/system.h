// The base of every recognition system: one decoding engine that fills a
// back-trace table, and the language-model back end whose stack decoder turns
// the table into an N-best list of sentences. It reads the options all systems
// share, runs the back end, answers results as word ids or text, keeps the
// statistics, prints summaries and offers a console test mode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/timing_stats.h"

namespace vok {

class BackTraceTable;
class CAlternativeList;
class CLMBackendEngine;
class CLexTree;
class CSyllableTable;
class LatticeEngine;
class NBestList;
class Resources;
class Scoring;

class CSystem {
 public:
  static constexpr int kBaseMemory = 292;
  static constexpr int kNBestRecords = 400;
  static constexpr int kReferenceBytes = 500;
  static constexpr int kControlFileBytes = 100;
  static constexpr int kConsoleLineBytes = 1024;
  static constexpr int16_t kDefaultStackMaxExtend = 5000;

  // The back end is shared and never deleted here; it may be null.
  explicit CSystem(CLMBackendEngine* back_end);
  virtual ~CSystem();
  CSystem(const CSystem&) = delete;
  CSystem& operator=(const CSystem&) = delete;

  // The virtual operations in the order every system shares.
  virtual int ProcessNextInput();
  // Sections "System" and "Search". -1 when a required option is missing.
  virtual int ReadOptions(const Resources& resources, bool reload);
  virtual int StartUtterance();
  virtual int UpdateStatistics();
  virtual int64_t GetMemoryUsage() const;
  virtual void PrintSummary() const;
  virtual void PrintReport() const;
  virtual int FinishUtterance();
  // Decodes the table into the N-best list; -1 without a back end or when no
  // sentence reached the start of the utterance.
  virtual int RunBackEnd(bool rescore, bool no_lexicon_constraint);
  virtual int GetAlternatives(const uint16_t* word_ids, CAlternativeList* records);

  // Copies the list (count, limit, best score, records in use).
  int GetNBestList(NBestList* destination) const;
  // The words of hypothesis n as text through the lexicon's character
  // conversion with the separator, into a buffer of `size` bytes. A
  // hypothesis outside the list (or no back end) gives an empty text. A text
  // that does not fit is cut after the last whole word that fits; -1 when not
  // even the first word (or the terminator) fits.
  int GetResultText(int n, char* buffer, int size, const char* separator) const;
  int GetBestText(char* buffer, int size, const char* separator) const {
    return GetResultText(0, buffer, size, separator);
  }
  // The count followed by the ids of hypothesis n of the list (the system's
  // own when null) into `capacity` elements; out[0] is 0 first. -1 when n is
  // outside the list or the ids do not fit.
  int GetResultWordIDs(int n, uint16_t* out, int capacity, const NBestList* list) const;
  int GetBestWordIDs(uint16_t* out, int capacity, const NBestList* list) const {
    return GetResultWordIDs(0, out, capacity, list);
  }
  // Rescoring of the list with context word lists (count first, either null);
  // -1 without a back end.
  int RescoreNBest(const uint16_t* left_context, const uint16_t* right_context);

  // Console test mode: prompts "\nResources> " and reads one line from
  // `input`: an empty line 0, "-q" -1, "-n" -2; anything else is merged into
  // the store as "-Section.Key value" pairs and the options of the system,
  // the engine and the back end are read again (0).
  int ReadResourceLine(Resources* resources, std::FILE* input);
  // The results of one test utterance: kind 0 syllable text, 1 and 2 word
  // text with character and syllable results, 3 the results alone.
  int PrintResults(int kind, const NBestList* list, Scoring* character_stats, Scoring* syllable_stats);

  const TimingStats& timing() const { return timing_; }
  NBestList* nbest() const { return nbest_.get(); }
  LatticeEngine* engine() const { return engine_; }
  BackTraceTable* table() const { return table_; }
  CLMBackendEngine* back_end() const { return back_end_; }
  int32_t input_count() const { return input_count_; }
  int32_t parsed_count() const { return parsed_count_; }
  int32_t n_best_choices() const { return n_best_choices_; }
  int32_t output_n_best_choices() const { return output_n_best_choices_; }
  int32_t print_lattice() const { return print_lattice_; }
  int32_t use_class_trigram() const { return use_class_trigram_; }
  const char* control_file() const { return control_file_; }
  int16_t stack_search_beam() const { return stack_search_beam_; }
  int16_t stack_max_extend() const { return stack_max_extend_; }
  void set_stack_search_beam(int beam);
  void set_n_best_choices(int n);

 protected:
  TimingStats timing_;
  BackTraceTable* table_ = nullptr;
  LatticeEngine* engine_ = nullptr;
  CLMBackendEngine* back_end_;
  CLexTree* pronunciations_ = nullptr;
  CSyllableTable* syllables_ = nullptr;
  std::unique_ptr<NBestList> nbest_;
  int32_t input_count_ = 0;
  int32_t parsed_count_ = 0;
  int32_t n_best_choices_ = 0;
  int32_t output_n_best_choices_ = 0;
  int32_t print_lattice_ = 0;
  int32_t use_class_trigram_ = 0;
  char reference_syllables_[kReferenceBytes] = {};
  char reference_words_[kReferenceBytes] = {};
  std::string wave_file_;
  char control_file_[kControlFileBytes] = {};
  int16_t stack_reset_word_ = 0;
  int16_t stack_search_beam_ = 0;
  int16_t stack_max_extend_ = kDefaultStackMaxExtend;
};

}  // namespace vok
