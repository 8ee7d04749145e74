// The language-model back end: it loads and owns the lexicon and the
// language models, and runs the stack decoder over a lattice to give N-best
// sentences and per-word alternatives.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/SyllableLatticeEngine/stack_decoder.h"

namespace vok {

class BackTraceTable;
class CAlternativeList;
class CLexTree;
class CLexicon;
class CacheLM;
class CoreLM;
class NBestList;
class PageLM;
class Resources;

// The back end's keys of section "LMBackend" as the engine writes them at
// set-up, before the data folders' "Resources" override them: the model
// weights, the insertion penalty, the floor rates and the cache model.
void PutBackEndDefaults(Resources* resources);

class CLMBackendEngine {
 public:
  static constexpr int kFileNameBytes = 260;
  static constexpr int kNBestFloor = -10000;
  static constexpr int kNoClass = 65535;

  // Nothing loaded.
  CLMBackendEngine();
  // Loads everything the store names (see Load).
  explicit CLMBackendEngine(const Resources& resources);
  // Shares the caller's lexicon and models (not owned; the page model may be
  // null) and makes its own decoder on the store.
  CLMBackendEngine(const Resources& resources, CLexicon* lexicon, CoreLM* core, PageLM* page);
  ~CLMBackendEngine();
  CLMBackendEngine(const CLMBackendEngine&) = delete;
  CLMBackendEngine& operator=(const CLMBackendEngine&) = delete;

  // Section "LMBackend"; on a reload the decoder's and the core model's
  // options too. -1 when a required option is missing.
  int ReadOptions(const Resources& resources, bool reload);
  // Options, core model, page model, lexicon, cache model, decoder. 0 when
  // the lexicon and the core model were loaded, else -1 (loading goes on
  // with what is there).
  int Load(const Resources& resources);
  // As Load without a lexicon of its own, for a caller that binds one to
  // these models with SetLexicon: "LexiconFile" is not asked for. 0 when the
  // core model was loaded, else -1.
  int LoadModels(const Resources& resources);

  // Uses the caller's lexicon (bound to this back end's models; not owned)
  // from now on, in place of the one it loaded.
  void SetLexicon(CLexicon* lexicon);

  // A new cache model on the core model's word data, linked into both models;
  // -1 when "CacheLMHistory" is absent or there is no core model.
  int InitCacheLM(const Resources& resources);
  // -1 without a cache model.
  int ResetCacheLM();
  // Adds the count-first word list to the cache model and recomputes its
  // scores; -1 without a cache model.
  int UpdateCacheLM(const uint16_t* word_ids);

  // -1 when the table holds no frames (the stacks are cleared) or the decoder
  // cannot run.
  int Decode(BackTraceTable* table, const CLexTree* constraint, int beam, int max_extend);
  // Resets the list (best 0, the mode) and reads the sentences with a floor of
  // -10000; -1 when no sentence reached the start of the utterance.
  int GetNBest(NBestList* list, int mode);
  // -1 for an empty word list or one that is no path of the last decode.
  int GetAlternatives(const uint16_t* word_ids, CAlternativeList* records);
  // Takes the insertion penalties out of every record (in 32 bits, held in
  // 16) and lets the core model remove its bigram sums, and its unigram sums
  // too when the page model asks for that (its second weight above 0).
  int PrepareNBest(NBestList* list);
  // Rescoring with the page model, the context word lists (count first,
  // either null) around every record while it runs. -1 (the list unchanged)
  // without a page model whose weight is above 0.
  int RescoreNBest(NBestList* list, const uint16_t* left_context, const uint16_t* right_context);
  // The page model's forward pass over the last decode into record 0; -1
  // without a usable page model or when no path reached the end.
  int RescoreWordGraph(NBestList* list);
  // Gives the decoder the page model (or none) for the following decodes.
  void UseClassTrigram(bool use);

  // The class of "<PERSON>", "<PLACE>", "<IDIOM>" and "<UNK>"; 65535 without
  // the model.
  int GetCorePersonClass() const;
  int GetCorePlaceClass() const;
  int GetCoreIdiomClass() const;
  int GetCoreUnknownClass() const;
  int GetPagePersonClass() const;
  int GetPagePlaceClass() const;
  int GetPageIdiomClass() const;
  int GetPageUnknownClass() const;

  int64_t GetMemoryUsage() const;
  void PrintSummary() const;
  void PrintReport() const;

  CLexicon* lexicon() const { return lexicon_; }
  CoreLM* core() const { return core_; }
  PageLM* page() const { return page_; }
  CacheLM* cache() const { return cache_.get(); }
  StackDecoder* decoder() const { return decoder_.get(); }
  const char* lexicon_file() const { return lexicon_file_; }
  const char* core_lm_file() const { return core_lm_file_; }
  const char* page_lm_file() const { return page_lm_file_; }
  const char* cache_lm_file() const { return cache_lm_file_; }
  int32_t page_lm_word_gram_beam() const { return page_lm_word_gram_beam_; }

 private:
  // Section.Key into a field of kFileNameBytes; false when absent. A name
  // that does not fit is refused (reported) and leaves the field empty.
  static bool ReadFileName(const Resources& resources, const char* section, const char* key, char* out);
  int Load(const Resources& resources, bool own_lexicon);
  void LoadLexicon(const Resources& resources);

  std::unique_ptr<CLexicon> owned_lexicon_;
  std::unique_ptr<CoreLM> owned_core_;
  std::unique_ptr<PageLM> owned_page_;
  std::unique_ptr<CacheLM> cache_;
  CLexicon* lexicon_ = nullptr;
  CoreLM* core_ = nullptr;
  PageLM* page_ = nullptr;
  std::unique_ptr<StackDecoder> decoder_;
  int32_t page_lm_word_gram_beam_ = 0;
  // False while the caller brings the lexicon (LoadModels).
  bool own_lexicon_ = true;
  char lexicon_file_[kFileNameBytes] = {};
  char core_lm_file_[kFileNameBytes] = {};
  char page_lm_file_[kFileNameBytes] = {};
  char cache_lm_file_[kFileNameBytes] = {};
};

}  // namespace vok
