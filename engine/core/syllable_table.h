// The speech recognizer's vocabulary units (syllables) and the HMM model
// sequences that spell them, with fan-out and option model groups and the
// allophones that the model names are made of. Read from a text form or its
// binary twin.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/symbol_table.h"

namespace vok {

class NBestList;
class Scoring;

class CSyllableTable {
 public:
  static constexpr const char* kTitle = "<SYL_TABLE_DATA>v15Feb2000";
  static constexpr const char* kTwinSuffix = "_Binary";
  // Room for units added at run time.
  static constexpr int kExtraSyllables = 20000;
  static constexpr int kExtraGroups = 256;
  static constexpr int kAllophoneCapacity = 256;
  // Syllable ids are 16-bit, 65534 and 65535 reserved: at most 65534
  // syllables.
  static constexpr int kMaxSyllables = 65534;
  // Text lines, and the string records of the binary form (NUL included).
  static constexpr int kMaxLine = 512;
  static constexpr int kMaxRecord = 512;
  static constexpr uint16_t kNone = 65535;

  // The center, left and right allophones of a model name (65535 for none).
  struct ModelParts {
    uint16_t center = kNone;
    uint16_t left = kNone;
    uint16_t right = kNone;
  };

  // Reads the file with the model-name table (not owned; lookup only).
  CSyllableTable(const char* path, SymbolTable* model_names);
  // Reads syllable names only: no model lists, fan-outs or options.
  explicit CSyllableTable(const char* path);
  // An empty table whose syllables are a copy of `syllables`.
  explicit CSyllableTable(const SymbolTable& syllables);
  ~CSyllableTable();
  CSyllableTable(const CSyllableTable&) = delete;
  CSyllableTable& operator=(const CSyllableTable&) = delete;

  // Reads the binary form, or the text form (whose binary twin "%s_Binary" is
  // then written when a model table is given). With `add_models` unknown
  // model names are added to the model table. 0, or -1 with a message.
  int Read(const char* path, SymbolTable* model_names, bool add_models);
  // Writes the binary form through a new file; 0, or -1.
  int WriteBinary(const char* path) const;
  // 0 when the constructor's read succeeded (or there was none to do).
  int status() const { return status_; }

  // Syllable ids of a text cut at blanks and "-" (each piece upper-cased)
  // into `list` of `capacity` elements: the count, then the ids. 0, or -1 for
  // an unknown syllable or a list that does not fit.
  int PronToSyllables(const char* text, uint16_t* list, int capacity) const;
  // The model lists of the syllables one after another, as a count-first
  // list; -1 for a syllable above S, one without a list, or no room.
  int SyllablesToModels(const uint16_t* syllables, uint16_t* models, int capacity) const;
  int PronToModels(const char* text, uint16_t* models, int capacity) const;
  // Adds a unit (a-b spells as a followed by b) and returns the new count;
  // -1 when the table is full (nothing added); -2 when the unit cannot be
  // spelled: the name stays, with an empty slot, so later ids keep theirs.
  int AddSyllable(const char* name);
  // The model list of slot `id` (S gives the "SIL" list until the first unit
  // is added); the number of elements written, or -1.
  int GetSyllableModels(int id, uint16_t* models, int capacity) const;
  ModelParts SplitModelName(int model_id) const;
  // Count-first model lists, or null.
  const uint16_t* GetFanout(const char* name) const;
  const uint16_t* GetModelFanout(int model_id) const;
  // Texts into `out` of `size` bytes; 0, or -1 when a syllable or model is
  // unknown or the text does not fit (it is then cut after a whole piece).
  int SyllablesToText(const uint16_t* list, char* out, int size) const;
  int SyllablesToToneless(const uint16_t* list, char* out, int size) const;
  int ModelsToText(const uint16_t* models, char* out, int size) const;
  // The syllable-level N-best listing: the reference, each hypothesis, the
  // reference's rank into the list's statistics, and the reference compared
  // with the best hypothesis.
  void PrintNBest(const uint16_t* reference, int utterance, NBestList* nbest, Scoring* scoring) const;

  // Class numbers of a syllable for class-constrained searches: three per
  // syllable, or null. No table form carries them; a caller that has them
  // sets them (0, or -1 for a syllable outside the table).
  const uint16_t* GetClassNumbers(int syllable) const;
  int SetClassNumbers(int syllable, const uint16_t (&classes)[3]);

  int64_t GetMemoryUsage() const;
  void PrintHeader() const;

  int syllable_count() const { return syllable_count_; }
  int capacity() const { return capacity_; }
  int fanout_count() const { return static_cast<int>(fanout_models_.size()); }
  int option_count() const { return static_cast<int>(option_models_.size()); }
  bool has_models() const { return model_names_ != nullptr; }
  const SymbolTable* syllables() const { return syllables_.get(); }
  const SymbolTable* fanouts() const { return fanouts_.get(); }
  const SymbolTable* options() const { return options_.get(); }
  const SymbolTable* allophones() const { return allophones_.get(); }
  const SymbolTable* model_names() const { return model_names_; }
  // The count-first list of an option, or null.
  const uint16_t* GetOption(int option_id) const;

 private:
  using ModelList = std::vector<uint16_t>;  // count-first; empty: no list

  void Free();
  // Sizes the tables for the section counts; false when S is too large.
  bool Prepare(int syllables, int fanouts, int options);
  int ReadText(const char* path, bool add_models);
  int ReadBinary(const std::vector<unsigned char>& body, bool add_models);
  // Spells blank-separated model names; false (with a message) when one is
  // unknown.
  bool ExtractModels(const char* label, const char* names, bool add_models, ModelList* list) const;
  int AddSyllableEntry(const std::string& name, const char* models, bool add_models);
  // A fan-out or option line: a known model name and its sequence.
  void AddGroup(const std::string& name, const char* models, SymbolTable* table,
                std::vector<ModelList>* lists, const char* unknown_message);
  void SetSilenceSlot();
  void CollectAllophones();
  void AddAllophones(const char* name);
  void WriteTwin(const char* path) const;

  int status_ = 0;
  int syllable_count_ = 0;
  int capacity_ = 0;
  std::unique_ptr<SymbolTable> syllables_;
  std::unique_ptr<SymbolTable> fanouts_;
  std::unique_ptr<SymbolTable> options_;
  SymbolTable* model_names_ = nullptr;
  std::unique_ptr<SymbolTable> allophones_;
  std::vector<ModelList> syllable_models_;
  std::vector<ModelList> fanout_models_;
  std::vector<ModelList> option_models_;
  std::vector<std::array<uint16_t, 3>> class_numbers_;  // empty: none set
};

}  // namespace vok
