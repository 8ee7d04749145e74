// One grammar's network of the command search and its back-trace table. A
// command grammar's network starts empty and takes its items one by one; a
// network of any other grammar of the grammar manager is built from the
// grammar's expanded network when it is first used. Option bit 0x1 adds
// filler loops at the start and end node, bit 0x10 the out-of-grammar path;
// the start node always gets a silence loop.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/NetSearchEngine/acoustic_models.h"
#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/api/vok_status.h"
#include "engine/core/back_trace_table.h"

namespace vok {
class CLexTree;
class CLexicon;
class GrammarUnit;
class Resources;
}  // namespace vok

namespace vok::api {

class CCommandNetwork {
 public:
  static constexpr std::uint32_t kFillerLoops = 0x1;
  static constexpr std::uint32_t kRejectionPath = 0x10;
  // The hypotheses a multi-result grammar answers and a name or spelling
  // grammar turns into texts.
  static constexpr int kMultiResultHypotheses = 400;
  static constexpr int kTextHypotheses = 200;
  // The score of a plain grammar's best path as a hypothesis.
  static constexpr std::int16_t kBestPathScore = -27768;

  // Null when the search cannot be made (kVokOutOfMemory in *status) or the
  // grammar yields no path (kVokBadGrammarId).
  static std::unique_ptr<CCommandNetwork> Empty(const vok::Resources& resources,
                                                const vok::AcousticModels& acoustic, std::uint32_t options,
                                                VokStatus* status);
  static std::unique_ptr<CCommandNetwork> FromGrammar(const vok::Resources& resources,
                                                      const vok::GrammarUnit& network,
                                                      const vok::AcousticModels& acoustic,
                                                      const vok::CLexTree& tree, std::uint32_t options,
                                                      VokStatus* status);

  vok::NetSearchEngine& search() { return *search_; }

  // Item edits; kVokTextRefused when the network refuses a path,
  // kVokWordSwitchRefused when it has no such item.
  VokStatus AddItem(std::int32_t item, const std::string& pronunciation);
  VokStatus RemoveItem(std::int32_t item);
  VokStatus EnableItem(std::int32_t item, bool enable);

  // Decodes a stored utterance whole: as many frames of the front end as its
  // samples hold (a set counts its lengths in blocks of 165 samples, the
  // front end advances 110 at a time). 0, or -1 when the search fails.
  int RecognizeStored(std::span<const std::int16_t> samples);

  // The outcomes of the last search: the best path's single item (-1 when
  // it is not exactly one item); the first id of each of the first `limit`
  // hypotheses, best first; the ids of the best path (empty without one).
  std::int32_t BestItem();
  std::vector<std::uint32_t> FirstIds(int limit);
  std::vector<std::uint16_t> BestPath();
  // The texts of the first `limit` hypotheses through the lexicon, best first.
  std::vector<std::string> Texts(const vok::CLexicon& lexicon, int limit);

 private:
  CCommandNetwork() = default;
  // Filler loops, rejection path and the start's silence loop.
  bool AddLoops(std::uint32_t options);

  std::unique_ptr<vok::BackTraceTable> table_;
  std::unique_ptr<vok::NetSearchEngine> search_;
};

// The text of a hypothesis as the speech recognizer hands it out: the
// lexicon's words with no separator between them.
std::string HypothesisText(const vok::CLexicon& lexicon, const vok::Hypothesis& hypothesis);

}  // namespace vok::api
