#include "engine/api/command_network.h"

#include <new>

#include "engine/core/hypothesis.h"
#include "engine/core/lexicon.h"

namespace vok::api {
namespace {

constexpr int kTableBlock = 200;
constexpr int kTableBranching = 50;
constexpr std::int32_t kTableFlag = 1;
constexpr std::uint16_t kFillerLabel = 65533;

bool IsLoopLabel(std::uint16_t id) { return id == kFillerLabel || id == vok::NetSearchEngine::kLabelSilence; }

}  // namespace

std::string HypothesisText(const vok::CLexicon& lexicon, const vok::Hypothesis& hypothesis) {
  std::string text;
  lexicon.HypothesisToText(hypothesis, &text, "");
  return text;
}

std::unique_ptr<CCommandNetwork> CCommandNetwork::Empty(const vok::Resources& resources,
                                                        const vok::AcousticModels& acoustic,
                                                        std::uint32_t options, VokStatus* status) {
  std::unique_ptr<CCommandNetwork> network(new (std::nothrow) CCommandNetwork);
  *status = kVokOutOfMemory;
  if (!network) return nullptr;
  network->table_ = std::make_unique<vok::BackTraceTable>(kTableBlock, kTableBranching, kTableFlag);
  network->search_ = std::make_unique<vok::NetSearchEngine>(resources, acoustic, network->table_.get());
  if (network->search_->status() != 0 || !network->AddLoops(options)) return nullptr;
  *status = kVokOk;
  return network;
}

std::unique_ptr<CCommandNetwork> CCommandNetwork::FromGrammar(const vok::Resources& resources,
                                                              const vok::GrammarUnit& grammar,
                                                              const vok::AcousticModels& acoustic,
                                                              const vok::CLexTree& tree,
                                                              std::uint32_t options, VokStatus* status) {
  std::unique_ptr<CCommandNetwork> network(new (std::nothrow) CCommandNetwork);
  *status = kVokOutOfMemory;
  if (!network) return nullptr;
  network->search_ = std::make_unique<vok::NetSearchEngine>(resources, grammar, acoustic, tree);
  if (network->search_->status() != 0) {
    *status = kVokBadGrammarId;
    return nullptr;
  }
  if (!network->AddLoops(options)) return nullptr;
  *status = kVokOk;
  return network;
}

bool CCommandNetwork::AddLoops(std::uint32_t options) {
  if ((options & kFillerLoops) != 0 && search_->AddFillerLoops() != 0) return false;
  if ((options & kRejectionPath) != 0 && search_->AddRejectionPath() != 0) return false;
  // A database without "SIL" only misses the loop.
  search_->AddSilenceLoops(1);
  return true;
}

VokStatus CCommandNetwork::AddItem(std::int32_t item, const std::string& pronunciation) {
  return search_->AddItemPron(pronunciation.c_str(), item, 1) == 0 ? kVokOk : kVokTextRefused;
}

VokStatus CCommandNetwork::RemoveItem(std::int32_t item) {
  return search_->RemoveItem(item) == 0 ? kVokOk : kVokWordSwitchRefused;
}

VokStatus CCommandNetwork::EnableItem(std::int32_t item, bool enable) {
  const int result = enable ? search_->EnableItem(item) : search_->DisableItem(item);
  return result == 0 ? kVokOk : kVokWordSwitchRefused;
}

int CCommandNetwork::RecognizeStored(std::span<const std::int16_t> samples) {
  const C_rFrontEnd* front_end = search_->acoustic().front_end;
  const int advance = front_end != nullptr ? front_end->get_NumSamplesFrameAdvance() : 0;
  if (advance <= 0) return -1;
  const auto frames = static_cast<int>(samples.size() / static_cast<std::size_t>(advance));
  return search_->RecognizeSamples(frames, samples.data(), nullptr);
}

std::int32_t CCommandNetwork::BestItem() {
  int item = -1;
  if (search_->GetBestItem(&item) != 0) return -1;
  return item;
}

std::vector<std::uint32_t> CCommandNetwork::FirstIds(int limit) {
  vok::NBestList list(limit, 1);
  std::vector<std::uint32_t> ids;
  if (search_->GetNBest(&list) != 0) return ids;
  for (int i = 0; i < list.count(); ++i) {
    const vok::Hypothesis& hypothesis = list.Get(i);
    std::uint32_t first = 0xFFFFFFFFu;
    for (int w = 0; w < hypothesis.count; ++w) {
      if (!IsLoopLabel(hypothesis.ids[w])) {
        first = hypothesis.ids[w];
        break;
      }
    }
    ids.push_back(first);
  }
  return ids;
}

std::vector<std::uint16_t> CCommandNetwork::BestPath() {
  vok::Hypothesis best;
  std::vector<std::uint16_t> ids;
  if (search_->GetResult(&best) < 0) return ids;
  for (int w = 0; w < best.count; ++w) {
    if (!IsLoopLabel(best.ids[w])) ids.push_back(best.ids[w]);
  }
  return ids;
}

std::vector<std::string> CCommandNetwork::Texts(const vok::CLexicon& lexicon, int limit) {
  vok::NBestList list(limit, 1);
  std::vector<std::string> texts;
  if (search_->GetNBest(&list) != 0) return texts;
  for (int i = 0; i < list.count(); ++i) {
    const vok::Hypothesis& hypothesis = list.Get(i);
    vok::Hypothesis words;
    std::vector<std::uint16_t> ids;
    for (int w = 0; w < hypothesis.count; ++w) {
      if (!IsLoopLabel(hypothesis.ids[w])) ids.push_back(hypothesis.ids[w]);
    }
    words.Set(hypothesis.score, static_cast<int>(ids.size()), ids.data(), 1);
    texts.push_back(HypothesisText(lexicon, words));
  }
  return texts;
}

}  // namespace vok::api
