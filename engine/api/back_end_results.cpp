#include "engine/api/back_end_results.h"

#include <algorithm>
#include <cstring>

#include "engine/SyllableLatticeEngine/system.h"
#include "engine/core/hypothesis.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kContextTimeoutMs = 2000;

// Count first, as the back end takes context and word lists.
std::vector<std::uint16_t> CountFirst(const std::vector<std::uint16_t>& ids) {
  std::vector<std::uint16_t> list{static_cast<std::uint16_t>(ids.size())};
  list.insert(list.end(), ids.begin(), ids.end());
  return list;
}

}  // namespace

void HypothesesTable::Fill(const vok::CSystem& system) {
  hypotheses_.clear();
  const vok::NBestList* list = system.nbest();
  if (list == nullptr) return;
  const int count = std::min(list->count(), kMaxHypotheses);
  for (int i = 0; i < count; ++i) {
    const vok::Hypothesis& h = list->Get(i);
    const int words = std::min<int>(h.count, kMaxWords);
    hypotheses_.emplace_back(h.ids, h.ids + words);
  }
}

VokContextRecord BackEndResults::AskContext(std::uint32_t sequence) {
  VokContextRecord context{};
  context.sequence = sequence;
  if (notifier_.Send(kNotifyContext, reinterpret_cast<std::uintptr_t>(&context), 0, true,
                     kContextTimeoutMs) != kVokOk) {
    return VokContextRecord{sequence, {}, {}};
  }
  context.first[VokContextRecord::kTextBytes - 1] = '\0';
  context.second[VokContextRecord::kTextBytes - 1] = '\0';
  return context;
}

void BackEndResults::Rescore(vok::CSystem& system, const VokContextRecord& context,
                             const TextToWordIds& to_word_ids) {
  const bool text_given = context.first[0] != '\0' || context.second[0] != '\0';
  const vok::NBestList* list = system.nbest();
  const bool long_best = list != nullptr && list->count() > 0 && list->Get(0).count >= 2;
  if (!text_given && !long_best) return;
  std::vector<std::uint16_t> left, right;
  if (to_word_ids && context.first[0] != '\0') left = CountFirst(to_word_ids(context.first));
  if (to_word_ids && context.second[0] != '\0') right = CountFirst(to_word_ids(context.second));
  system.RescoreNBest(left.empty() ? nullptr : left.data(), right.empty() ? nullptr : right.data());
}

void BackEndResults::Finish(vok::CSystem& system, std::mutex& language, bool ask_context, bool rescore,
                            const TextToWordIds& to_word_ids, const ResultRequest& request,
                            VokResult** hypotheses, VokResult** alternatives) {
  VokContextRecord context{request.sequence, {}, {}};
  if (ask_context) context = AskContext(request.sequence);
  std::lock_guard<std::mutex> lock(language);
  if (rescore) Rescore(system, context, to_word_ids);
  Build(system, request, hypotheses, alternatives);
}

void BackEndResults::Build(vok::CSystem& system, const ResultRequest& request, VokResult** hypotheses,
                           VokResult** alternatives) {
  table_.Fill(system);
  std::vector<std::vector<std::uint16_t>> positions;
  if (!table_.hypotheses().empty() && !table_.hypotheses().front().empty()) {
    const std::vector<std::uint16_t> best = CountFirst(table_.hypotheses().front());
    std::vector<vok::CAlternativeList> lists(best.size());
    if (system.GetAlternatives(best.data(), lists.data()) == 0) {
      for (std::size_t p = 0; p + 1 < best.size(); ++p) {
        std::vector<std::uint16_t>& words = positions.emplace_back();
        for (int a = 0; a < lists[p].count(); ++a) words.push_back(lists[p].Get(a).word);
      }
    }
  }
  *hypotheses = records_.MakeWordIds(kKindWordIdHypotheses | request.kind_bits, request.sequence,
                                     request.second_word, table_.hypotheses());
  *alternatives = records_.MakeWordIds(kKindWordIdAlternatives | request.kind_bits, request.sequence,
                                       request.second_word, positions);
  if (*hypotheses == nullptr || *alternatives == nullptr) {
    records_.Delete(*hypotheses);
    records_.Delete(*alternatives);
    *hypotheses = *alternatives = nullptr;
  }
}

}  // namespace vok::api
