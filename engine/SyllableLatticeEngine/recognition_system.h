// The dictation system of the speech recognizer: a tree search over the
// acoustic models of one dialect and speaker, whose word ends the
// language-model back end turns into sentences. It loads the pronunciations,
// builds the back-trace table and the engine, reads the search beams, feeds
// audio to the engine, adjusts the N-best list, keeps the engine's word list
// and command items in step with the lexicon and the command grammars, and
// offers a console test driver.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/search_parameters.h"
#include "engine/SyllableLatticeEngine/system.h"

namespace vok {

class BackTraceTable;
class CLanguageSystem;
class CLexTree;
class NBestList;
class Resources;
class TreeSearchEngine;
class UtteranceSource;

class CRecognitionSystem : public CSystem {
 public:
  static constexpr int kMemory = 344;
  static constexpr int kTableBlock = 2000;
  static constexpr int kTableBranching = 50;
  static constexpr int kMaxFileName = 256;
  static constexpr int kSecondaryStackBeam = 300;
  static constexpr int kWordListSize = 100;
  static constexpr int kBeamLevelBase = 300;
  static constexpr int kMaxBeamLevel = 10;
  static constexpr const char* kSyllableSeparator = "-";

  // The pronunciations, when given, are the caller's and must outlive the
  // system; without them Load reads those the store names. The back end may
  // be null (no sentences then, only command items and words of the tree).
  CRecognitionSystem(const Resources& resources, CLMBackendEngine* back_end, const AcousticModels& acoustic,
                     CLexTree* pronunciations);
  ~CRecognitionSystem() override;

  // The CSystem slots.
  // Steps the engine once while its own frame is below the frames the front
  // end has ready; 1 when it has caught up.
  int ProcessNextInput() override;
  // The base's options (errors printed on a first read, then cleared), then
  // the search options.
  int ReadOptions(const Resources& resources, bool reload) override;
  // Clears the input count; the engine's utterance is started by its runs.
  int StartUtterance() override;
  int64_t GetMemoryUsage() const override;
  // With the back end's word start windows; a word lattice needs no lexical
  // constraint.
  int RunBackEnd(bool rescore, bool no_lexicon_constraint) override;

  // The slots this system adds.
  // Pronunciations, table, engine and the secondary language system.
  virtual int Load();
  // Samples for front-end input 0, then one engine step when a frame is
  // ready: its result, or 1 when no frame is ready.
  virtual int SetInput(const int16_t* samples, int count, bool last);
  // The console test driver: lines of options from `console` until "-q" or
  // "-n"; each runs one test utterance. The last console result.
  virtual int Recognize(std::FILE* console = stdin);
  // One test utterance on the current wave file: a word id when a command
  // item or word ended it; else the back end runs and, with reference ids
  // (count first), 1 when the reference is not among the sentences, 0 when
  // it is. -1 when the engine could not run.
  virtual int RunReference(const uint16_t* reference);
  // The wave file through the engine: 1 when a command item or word ended
  // it, 0 after the back end, -1 when the file was refused.
  virtual int ProcessUtterance(const char* wave_file);
  // Stored utterance n of the audio session.
  virtual int RunStoredUtterance(UtteranceSource* session, int n);
  // The frames already in the front end, from frame 0: the engine's finish
  // result, or -1 when it cannot run.
  virtual int RunPendingFrames();

  // A speaker change: the new record's models go to the engine.
  int SetVastelSystem(const AcousticModels& acoustic);
  // (PhoneBeam - 300) / 10 within 0..10; a level sets the phone, transition
  // and syllable beams to 300 + 10 x level (level held in 0..10).
  int GetBeamLevel() const;
  void SetBeamLevel(int level);
  // The first word of the best one-word sentence of the engine's live word
  // ends (command items while there is a table) into *out, else -1 there;
  // the engine's result.
  int GetBestWordID(int32_t* out) const;
  // Page-model rescoring of a list whose best sentence has two words or more,
  // then PreferSingleWord. 0 and nothing changed for a shorter best.
  int RescoreBest(NBestList* list);
  // The first later sentence of exactly one word gets the best sentence's
  // score + 1 and the list is sorted again (1); 0 when the list holds one
  // sentence, the best has one word or no later one has; -1 for an empty
  // list. Null means the system's own list.
  int PreferSingleWord(NBestList* list = nullptr);
  // Words of the tree (only with GenWordLattice: else 0 and nothing added).
  // 0, or -1.
  int AddWord(const char* pronunciation, uint16_t word);
  int RemoveWord(uint16_t word);
  // A command item with silence after it; and its removal, enabling and
  // disabling. 0, or -1.
  int AddCommandItemPron(const char* pronunciation, int32_t item);
  int RemoveCommandItem(int32_t item);
  int EnableCommandItem(int32_t item);
  int DisableCommandItem(int32_t item);

  // Section "Search" (and the word start windows of "LMBackend"): each value
  // kept when absent unless it has a default, held in 16 bits.
  void ReadSearchOptions(const Resources& resources);

  const SearchParameters& search_parameters() const { return parameters_; }
  SearchParameters& mutable_search_parameters() { return parameters_; }
  int32_t gen_word_lattice() const { return gen_word_lattice_; }
  int32_t character_count_threshold() const { return character_count_threshold_; }
  int32_t left_word_start_window() const { return left_window_; }
  int32_t right_word_start_window() const { return right_window_; }
  TreeSearchEngine* tree_engine() const { return tree_engine_.get(); }
  const CLexTree* pronunciations() const { return pronunciations_; }
  const AcousticModels& acoustic() const { return acoustic_; }
  const CLanguageSystem* language_system() const { return language_system_.get(); }

 private:
  // A pronunciation file name of section "CRecognitionSystem"; empty when
  // absent or longer than 256 bytes (refused).
  std::string PronunciationFileName(const char* key) const;
  void LoadPronunciations();

  const Resources* resources_;
  AcousticModels acoustic_;
  SearchParameters parameters_;
  int32_t gen_word_lattice_ = 0;
  int32_t character_count_threshold_ = 0;
  int32_t left_window_ = 0;
  int32_t right_window_ = 0;
  bool options_read_ = false;
  std::unique_ptr<CLexTree> own_pronunciations_;
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<TreeSearchEngine> tree_engine_;
  std::unique_ptr<CLanguageSystem> language_system_;
};

}  // namespace vok
